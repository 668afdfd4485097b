#include "app/AppServices.h"

#include "avatar/AvatarModel.h"
#include "catalogue/AvatarArchive.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ColourTable.h"
#include "catalogue/StringTable.h"
#include "platform/win/CodePage.h"
#include "render/RenderOps.h"
#include "render/text/Fonts.h"
#include "render/text/TextRenderer.h"
#include "ui/InterfaceArchive.h"

namespace likenex {

AppServices AppServices::forProcess() {
    return AppServices{
        .renderOps = likenex::renderOps(),
        .textEngines = TextRenderer::registry(),
        .fontFolders = likenex::fontFolders(),
        .interfaceArchive = likenex::interfaceArchive(),
        .strings = StringTable::instance(),
        .catalogue = Catalogue::instance(),
        .avatarArchive = likenex::avatarArchive(),
        .colourTables = likenex::colourTables(),
        .spriteCache = likenex::spriteCache(),
        .avatarModel = currentAvatarModel(),
        .avatarSettings = likenex::avatarSettings(),
        .codePage = systemCodePage(),
    };
}

}  // namespace likenex
