#pragma once
// What the editor loads for its whole run: the interface pictures, the five-language text
// table, the catalogue, the colour tables, the avatar archive and its sprite cache, the
// avatar view's settings and the avatar being edited. The application owns one and hands
// each piece to whoever uses it.
//
// Threads: the editor has one user-interface thread (window procedure, frame loop, widgets,
// avatar model and drawing), which alone touches the interface pictures, the text table, the
// settings and the model. The catalogue and colour tables are read-only after start-up, the
// archive's scratch buffer is guarded by its sprite lock and the sprite cache by its own, so
// models on any thread may draw from them. Each server connection adds a reader and a
// dispatcher thread, which touch none of these.

#include "avatar/AvatarModel.h"
#include "avatar/SpriteCache.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "catalogue/StringTable.h"
#include "ui/InterfaceArchive.h"

#include <memory>

namespace likenex {

class Painter;

struct AppData {
    // Interface pictures become textures through the main window's painter.
    explicit AppData(Painter& painter) : interfaceArchive(painter) {}

    // Loaded at start-up, released once the frame loop has ended.
    InterfaceArchive interfaceArchive;
    StringTable strings;
    Catalogue catalogue;
    ColourTables colourTables;
    AvatarArchive avatarArchive{colourTables};
    SpriteCache spriteCache;
    AvatarSettings avatarSettings;
    std::shared_ptr<AvatarModel> avatarModel;  // made at start-up, replaced by a new avatar
};

}  // namespace likenex
