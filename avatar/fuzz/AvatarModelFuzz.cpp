// Fuzzes the avatar model with a hostile catalogue and archive: wearing, playing every action
// in every direction, drawing and snapshots (see test_support/AvatarModelDrive.h).
//
// Input: a 32-bit little-endian catalogue length, the catalogue (avatar.dat), then the
// avatar archive as the archive's fuzz target takes it (AvatarArchiveFuzzInput.h).
#include "test_support/AvatarModelDrive.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    likenex::fuzzing::driveAvatarModel({data, size});
    return 0;
}
