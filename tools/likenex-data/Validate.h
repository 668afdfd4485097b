#pragma once
// Whole-directory checks behind `likenex-data validate`.
//
// Files: every data file of the program directory is readable and complete: archive
// indexes hold exactly their claimed entries and every record lies inside its data file
// with a size matching its header; avatar pictures fit the 128 by 128 frame, except the
// fixed ones of kind 5 (shadow, speech-bubble pieces), which are drawn on their own; every
// avatar.dat section holds all the records its counts claim; colour tables hold exactly
// their claimed sets; lang.bin ends at a record's end.
// Pictures: every image key that catalogue data and the fixed keys can form is in the
// avatar archive and loads: the fixed pictures (shadow 1050000000 and 2050000000, skin
// sample 1000000000, speech bubbles 10..25 of kind 5), body thumbnails, and for every
// action frame and direction its frame pictures, body layers, the body parts, items and
// offered face-layer options drawn on each non-empty layer, and picture 501 on layer 8.
// Outfits are not drawn themselves (their components are), so they name no pictures.

#include <cstddef>
#include <string>
#include <vector>

namespace likenex {

struct ValidationReport {
    std::vector<std::string> problems;  // each makes the directory fail
    std::vector<std::string> notes;     // allowed, but worth knowing
    std::size_t picturesChecked = 0;
};

[[nodiscard]] ValidationReport validateProgramDirectory(const std::string& directory);

}  // namespace likenex
