#pragma once
// Shared fixtures of the catalogue and string table tests.

#include "catalogue/CatalogueRecords.h"

#include <filesystem>
#include <string>

namespace likenex::testing {

// A small catalogue that uses every field with a distinct value, so that a swapped or
// misplaced field shows in a round trip.
CatalogueTables sampleCatalogue();

// A fresh program directory with its data folder, removed again at the end of the test.
class TempProgramDirectory {
public:
    TempProgramDirectory();
    ~TempProgramDirectory();
    TempProgramDirectory(const TempProgramDirectory&) = delete;
    TempProgramDirectory& operator=(const TempProgramDirectory&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] std::string dataFile(const std::string& name) const { return path_ + "/data/" + name; }

private:
    std::string path_;
};

}  // namespace likenex::testing
