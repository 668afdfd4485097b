#pragma once
// The avatar data of a program directory (catalogue, picture archive and colour tables),
// loaded as the program loads it, for the commands that compose avatars.

#include "catalogue/AvatarArchive.h"
#include "catalogue/AvatarData.h"
#include "catalogue/Catalogue.h"
#include "tools/likenex-data/ToolSupport.h"

#include <string>

namespace likenex {

struct LoadedAvatarData {
    Catalogue catalogue;
    ColourTables tables;
    AvatarArchive archive{tables};

    // Throws a ToolError naming the files when the directory's data cannot be loaded.
    explicit LoadedAvatarData(const std::string& directory) {
        (void)programFile(directory, "data");  // refuses a directory the loaders would refuse
        if (!loadAvatarData(catalogue, archive, tables, directory))
            throw ToolError("cannot load the avatar data of " + directory +
                            " (data/avatar.dat, avatar.inx, avatar.iso)");
    }
};

}  // namespace likenex
