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

AppServices AppServices::forProcess(AppData& data) {
    return AppServices{
        .renderOps = likenex::renderOps(),
        .textEngines = TextRenderer::registry(),
        .fontFolders = likenex::fontFolders(),
        .interfaceArchive = data.interfaceArchive,
        .strings = data.strings,
        .catalogue = data.catalogue,
        .avatarArchive = data.avatarArchive,
        .colourTables = data.colourTables,
        .spriteCache = data.spriteCache,
        .avatarModel = data.avatarModel,
        .avatarSettings = data.avatarSettings,
        .codePage = systemCodePage(),
    };
}

}  // namespace likenex
