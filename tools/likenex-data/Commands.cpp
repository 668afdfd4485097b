#include "tools/likenex-data/Commands.h"

#include <algorithm>
#include <iostream>
#include <new>
#include <string_view>

namespace likenex {
namespace {

using Command = int (*)(const Arguments&, std::ostream&, std::ostream&);

struct NamedCommand {
    std::string_view name;
    Command run;
};

constexpr NamedCommand kCommands[] = {
    {"key", keyCommand},
    {"sprite", spriteCommand},
    {"composite", compositeCommand},
    {"text", textCommand},
    {"dump-catalogue", dumpCatalogueCommand},
    {"find", findCommand},
    {"build-catalogue", buildCatalogueCommand},
    {"build-strings", buildStringsCommand},
    {"dump-strings", dumpStringsCommand},
    {"build-colours", buildColoursCommand},
    {"dump-colours", dumpColoursCommand},
    {"build-archive", buildArchiveCommand},
    {"dump-archive", dumpArchiveCommand},
    {"sheet", sheetCommand},
    {"render", renderCommand},
    {"random", randomCommand},
    {"validate", validateCommand},
};

bool isOptionName(const std::string& token) {
    if (token.size() < 2 || token[0] != '-') return false;
    return !(token[1] >= '0' && token[1] <= '9');
}

}  // namespace

const char* likenexDataHelp() {
    return R"(likenex-data: make and inspect the Likenex data files.

DIR is a program directory: DIR/color.dat, DIR/skin.dat, DIR/wall.dat and DIR/data/ with
avatar.inx, avatar.iso, avatar.dat, inter.inx, inter.dat, lang.bin. Pictures are written and read as upright RGBA
PNG files (top row first). Any failure prints a message and exits with 1.

  likenex-data key ITEM KIND VARIANT POSE EXTRA TAIL
      Prints the image key of these fields in decimal.
  likenex-data sprite DIR KEY [--kind K] [--colour C] -o OUT.png
      Writes one archive picture, recoloured with set C of the colour table (K = 0, the
      default) or the skin table (K = 1); C = -1 (the default) leaves it as stored.
  likenex-data composite DIR -o OUT.png LAYER...
      Draws the layers (KEY or KEY:KIND:COLOUR) in order onto a transparent 128 by 128
      canvas and writes it. A layer that cannot be drawn is reported and left out; the
      picture is still written and the exit code is then 1.
  likenex-data text DIR GROUP ID LANGUAGE
      Prints the text of group 0..7 and identifier ID in language 0..4 as UTF-8.
  likenex-data dump-catalogue DIR
      Prints data/avatar.dat as catalogue JSON (below).
  likenex-data find DIR item|bodypart|action|option ID [FACELAYER]
      Prints the record that the catalogue's find returns as JSON, or null. FACELAYER is
      required for option and refused otherwise.
  likenex-data build-catalogue CATALOGUE.json DIR
      Writes DIR/data/avatar.dat from catalogue JSON.
  likenex-data build-strings STRINGS.tsv [MORE.tsv ...] DIR
      Writes DIR/data/lang.bin from the records of the TSV files, file after file.
  likenex-data dump-strings DIR                   Prints DIR/data/lang.bin as TSV.
  likenex-data build-colours COLOURS.json DIR     Writes color.dat, skin.dat, wall.dat.
  likenex-data dump-colours DIR                   Prints the colour tables as JSON.
  likenex-data build-archive MANIFEST.json DIR
      Writes DIR/data/avatar.inx and avatar.iso (from "sprites") and DIR/data/inter.inx
      and inter.dat (from "skins") from a manifest of PNG files.
  likenex-data dump-archive DIR OUTDIR
      Writes OUTDIR/manifest.json and one PNG per entry of each archive present.
  likenex-data sheet DIR -o OUT.png [--show all|actions|wardrobe] [--actions all|ID,ID...]
                    [--directions D,D...] [--per-row N] [--scale S]
      Writes a contact sheet of 128 by 128 avatar frames composed as the editor composes
      them: a row per action (all by default, in catalogue order; or the listed ones) with
      frame 0 in directions 0..7 and then its frames (up to 32) in direction 7; a row per
      dressing picked from the catalogue (offered outfits, then combinations of the first
      offered items) standing in directions 0..7 with face options, colours and skins
      varying by row; and the body parts in directions 7 and 0. --show actions keeps the
      action rows alone, frame 0 in the listed directions; --show wardrobe shows instead every item record worn alone in its
      starting colour (an outfit as its components), standing in the listed directions
      (default 0..7), N items a row (default 2). --scale 1..4 enlarges every frame by whole
      pixels. Prints a legend per row.
  likenex-data render DIR --avatar AVATAR.json --action ID --direction D [--frame F]
                     [--variant V] [--sheet | --snapshot | --export] -o OUT.png
      Composes frame F (default 0) of action ID in direction D (0..7) on the avatar that
      AVATAR.json describes, exactly as the editor's model does, as an upright RGBA PNG:
      the 128 by 128 frame (variant 1: the talking picture), --sheet every frame (columns)
      in every direction (rows), --snapshot the 256 by 256 snapshot, --export its 96 by 96
      export crop (a name ending in .bmp writes a 32-bit BMP instead). AVATAR.json: {"items": [null | {"item": ID, "colour": C}, ...],
      "bodyParts": [null | ID, ...], "skin": S, "mode": M}; items are slots 0..8 (7 and 8
      the face options), body parts by body layer; anything left out keeps the defaults.
  likenex-data render DIR --avatar AVATAR.json --direction D --animate SCRIPT.json -o OUT.png
      Plays the action script SCRIPT.json on the avatar as the editor plays a script (each
      caption said in the speech bubble for 10000 ms, each action once, 500 ms after each
      step) and writes it as an animated PNG looping forever: 256 by 192 pixels (snapshot
      rows 191 down to 0), transparent background, one frame per action frame with its
      duration (cut where a caption runs out). SCRIPT.json: [{"action": ID, "caption":
      "text"}, ...]; steps with actions the catalogue lacks are left out.
  likenex-data render DIR --code CODE [--action ID] [--direction D] [...] -o OUT.png
  likenex-data render DIR --code CODE [--direction D] --animate -o OUT.png
      The same for the avatar an avatar code holds, drawn as the server draws a stored
      avatar. --action defaults to the standing action and --direction to the code's own;
      --animate takes no script and plays the code's. A code that cannot be read is refused
      with the reason.
  likenex-data random DIR [--seed N] [--count K] [--free]
      Prints K (default 1, at most 10000) avatar codes of avatars dressed at random from
      the catalogue and colour table, one per line; --free chooses only what costs nothing.
      The same seed gives the same codes; without --seed the seed comes from the clock and
      is printed on the error stream.
  likenex-data validate DIR [--uses INTERFACE_DIR]
      Checks that every file is readable and complete and that every picture the
      catalogue can name is in the archive, and that every item, body part and action
      has its name in all five languages; prints each problem, exit code 1 if any.
      Avatar pictures must fit the 128 by 128 frame, except the fixed ones of kind 5
      (shadow, speech-bubble pieces), which are drawn at their own offsets.
      --uses (content/interface): every skin of its skins.tsv is in inter.inx at the
      listed sizes; every text of its text-places.tsv (when present) is in group 0 of
      lang.bin, in all five languages, and is estimated to fit its width.

Catalogue JSON: {"layerOptions": [...], "actions": [...], "bodyParts": [...], "items": [...]}
  layer option: faceLayer, optionNumber, availability, storedBytes [3], screenValue
  action: firstValue, flagByte, displayValue, lowHalfWord, identifier, frames [...]
  frame: duration, directionOffset, thirdValue, layers [up to 10], images [...]
  layer: word0, imageNumber, directionOffset, x, y
  image: imageNumber, word1, x, y, directionMask
  body part: bodyLayer, word4, byte8, gap9 [3], style, listValue, byte20, byte21, identifier
  item: word0, category, listValue, outfitKind, outfitSlot6, outfitSlot3or5, outfitSlot4,
        availability, bytes29 [3], secondListValue, byte36, byte37, identifier
  A missing field is 0; an unknown field is an error.
Strings TSV (UTF-8): GROUP<TAB>ID<TAB>TEXT0<TAB>...<TAB>TEXT4 per line, in file order; in
  texts \n, \t, \\ and \uXXXX stand for a line break, a tab, a backslash and any one UTF-16
  unit; empty lines and lines starting with # are skipped.
Colour JSON: {"colour": [SET...], "skin": [SET...], "wall": [SET...]}, a SET being six
  [red, green, blue] colours for the key greys 100, 180, 218, 238, 242, 255; a table left
  out is not written.
Archive manifest: {"sprites": [{"key": K, "png": "FILE.png", "x": X, "y": Y, "extra1": E1,
  "extra2": E2}, ...], "skins": [{"id": SKIN, "png": "FILE.png", "layoutWidth": LW,
  "layoutHeight": LH}, ...]}, each list in index order, either may be left out. PNG paths
  are relative to the manifest. "width" and "height" may be given and must match the PNG;
  an empty picture gives them without "png". Pictures are stored bottom row first.
)";
}

ParsedArguments parseArguments(const Arguments& arguments, std::initializer_list<const char*> options) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& token = arguments[i];
        if (!isOptionName(token)) {
            parsed.positional.push_back(token);
            continue;
        }
        if (std::find(options.begin(), options.end(), std::string_view(token)) == options.end())
            throw ToolError("unknown option " + token);
        if (i + 1 >= arguments.size()) throw ToolError("option " + token + " needs a value");
        parsed.options[token] = arguments[++i];
    }
    return parsed;
}

void expectCount(const ParsedArguments& parsed, std::size_t low, std::size_t high, const char* usage) {
    if (parsed.positional.size() < low || parsed.positional.size() > high)
        throw ToolError(std::string("wrong number of arguments; usage: likenex-data ") + usage);
}

int runLikenexData(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        err << "likenex-data: no subcommand given; see likenex-data --help\n";
        return 1;
    }
    const std::string& name = arguments.front();
    if (name == "--help" || name == "-h" || name == "help") {
        out << likenexDataHelp();
        return 0;
    }
    const auto* command =
        std::find_if(std::begin(kCommands), std::end(kCommands), [&](const NamedCommand& c) { return c.name == name; });
    if (command == std::end(kCommands)) {
        err << "likenex-data: unknown subcommand \"" << name << "\"; see likenex-data --help\n";
        return 1;
    }
    try {
        return command->run(Arguments(arguments.begin() + 1, arguments.end()), out, err) == 0 ? 0 : 1;
    } catch (const ToolError& e) {
        err << "likenex-data " << name << ": " << e.what() << '\n';
    } catch (const nlohmann::json::exception& e) {
        err << "likenex-data " << name << ": bad JSON: " << e.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "likenex-data " << name << ": out of memory\n";
    } catch (const std::exception& e) {
        err << "likenex-data " << name << ": " << e.what() << '\n';
    }
    return 1;
}

}  // namespace likenex
