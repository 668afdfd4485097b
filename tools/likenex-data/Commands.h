#pragma once
// The subcommands of likenex-data, grouped by family. Each takes the arguments after its
// name, writes its results to `out` and its notes to `err`, returns the exit code and
// throws ToolError for anything that stops it.

#include "tools/likenex-data/ToolSupport.h"

#include <iosfwd>
#include <map>

namespace likenex {

// Runs the tool on the arguments after the program name; 0 on success, 1 on any failure.
[[nodiscard]] int runLikenexData(const Arguments& arguments, std::ostream& out, std::ostream& err);
[[nodiscard]] const char* likenexDataHelp();

// Splits options (each "-o", "--kind", ... followed by its value) from positional arguments;
// an unknown option, or one without its value, fails. Tokens such as "-5" are positional.
struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};
[[nodiscard]] ParsedArguments parseArguments(const Arguments& arguments, std::initializer_list<const char*> options);
void expectCount(const ParsedArguments& parsed, std::size_t low, std::size_t high, const char* usage);

// Pictures: key, sprite, composite.
int keyCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int spriteCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int compositeCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// Catalogue: dump-catalogue, find, build-catalogue.
int dumpCatalogueCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int findCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int buildCatalogueCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// String table: text, build-strings, dump-strings.
int textCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int buildStringsCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int dumpStringsCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// Colour tables: build-colours, dump-colours.
int buildColoursCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int dumpColoursCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// Archives: build-archive, dump-archive.
int buildArchiveCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int dumpArchiveCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// sheet: a contact sheet of the avatar frames.
int sheetCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// render: frames, sheets, snapshots and exports of a described avatar.
int renderCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// random: codes of avatars dressed at random.
int randomCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);
// validate.
int validateCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace likenex
