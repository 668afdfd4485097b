#include "catalogue/AvatarData.h"

#include "catalogue/DataFiles.h"

namespace likenex {

bool loadAvatarData(Catalogue& catalogue, AvatarArchive& archive, ColourTables& tables,
                    const std::string& programDirectory) {
    if (programDirectory.empty() || programDirectory.size() > kMaxProgramDirectoryLength) return false;
    if (!catalogue.loadCatalogueSection1(programDirectory)) return false;
    if (!catalogue.loadBodyParts(programDirectory)) return false;
    if (!archive.loadAvatarArchive(programDirectory)) return false;
    loadColourTables(tables, programDirectory);
    return catalogue.loadItems(programDirectory);
}

}  // namespace likenex
