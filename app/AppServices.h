#pragma once
// The editor's process-wide objects, gathered in one place. The application owns one
// AppServices, made at start-up, and hands each subsystem the parts it needs by reference;
// code of the editor reaches these objects through it rather than through the free
// accessors. The text table and the avatar's data and model are the application's own
// (AppData); the rest are still reached through their accessors.
//
// Beside each member: which thread may touch it. The editor has one user-interface thread
// (window procedure, frame loop, widgets, avatar model and drawing); each server connection
// adds a reader and a dispatcher thread, which touch none of these.

#include <memory>

#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "catalogue/StringTable.h"
#include "ui/InterfaceArchive.h"

namespace likenex {

class AvatarArchive;
class AvatarModel;
class Catalogue;
class CodePage;
class InterfaceArchive;
class SpriteCache;
class StringTable;
class TextEngineRegistry;
struct AvatarSettings;
struct ColourTables;
struct FontFolders;
struct RenderOps;

// What the application owns for its whole run and lends through AppServices.
struct AppData {
    // The interface pictures: loaded at start-up, released once the frame loop has ended.
    InterfaceArchive interfaceArchive;
    StringTable strings;
    Catalogue catalogue;
    ColourTables colourTables;
    AvatarArchive avatarArchive{colourTables};
    SpriteCache spriteCache;
    AvatarSettings avatarSettings;
    std::shared_ptr<AvatarModel> avatarModel;  // made at start-up, replaced by a new avatar
};

struct AppServices {
    // Drawing: the operation table the running back end fills (the back end and its context
    // belong to the main window). Main thread.
    RenderOps& renderOps;
    // Text engines shared by pixel size, and the font folders chosen once. Main thread.
    TextEngineRegistry& textEngines;
    const FontFolders& fontFolders;

    // Interface pictures and the five-language text table. Main thread.
    InterfaceArchive& interfaceArchive;
    StringTable& strings;

    // Avatar data, loaded at start-up and read-only afterwards: any thread may read the
    // catalogue and colour tables; the archive's scratch buffer is guarded by its own sprite
    // lock, and the sprite cache by its lock, so models on any thread may draw from them.
    const Catalogue& catalogue;
    AvatarArchive& avatarArchive;
    const ColourTables& colourTables;
    SpriteCache& spriteCache;

    // The avatar being edited and the view's settings. Main thread; the model takes its own
    // model lock around its frame store.
    std::shared_ptr<AvatarModel>& avatarModel;
    AvatarSettings& avatarSettings;

    // The system's 8-bit code page. Immutable: any thread.
    const CodePage& codePage;

    // Binds every member to the application's own data or to the process's own object.
    [[nodiscard]] static AppServices forProcess(AppData& data);
};

}  // namespace likenex
