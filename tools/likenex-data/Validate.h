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
// Names: every item, body part and action has a name in all five languages in lang.bin.
// Uses (only with a folder of interface tables, content/interface): every skin of its
// skins.tsv is in inter.inx with the listed stored and layout sizes; and, when the folder
// holds text-places.tsv, every text placed there is in group 0 of lang.bin, is not empty in
// any language and, where the place gives a width, is estimated to fit it
// (`estimatedTextWidth`, InterfaceTables.h).

#include <cstddef>
#include <string>
#include <vector>

namespace likenex {

struct ValidationReport {
    std::vector<std::string> problems;  // each makes the directory fail
    std::vector<std::string> notes;     // allowed, but worth knowing
    std::size_t picturesChecked = 0;
    std::size_t skinsChecked = 0;  // skins and texts named by the uses folder
    std::size_t textsChecked = 0;
};

// `usesDirectory` empty: no uses checks. A uses folder without skins.tsv, or a table that
// cannot be read, fails with a ToolError.
[[nodiscard]] ValidationReport validateProgramDirectory(const std::string& directory,
                                                        const std::string& usesDirectory = {});

}  // namespace likenex
