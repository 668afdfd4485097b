// build-colours and dump-colours: color.dat, skin.dat and wall.dat.
#include "tools/likenex-data/ColourJson.h"
#include "tools/likenex-data/Commands.h"

#include "catalogue/DataFiles.h"

#include <ostream>

namespace likenex {

int buildColoursCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "build-colours COLOURS.json DIR");
    const std::string& source = parsed.positional[0];
    ColourTableSources tables = colourTablesFromJson(parseJsonOrFail(readTextFileOrFail(source), source));
    makeDirectories(parsed.positional[1]);
    for (std::size_t t = 0; t < tables.size(); ++t)
        if (tables[t])
            writeFileOrFail(programFile(parsed.positional[1], kColourTableFiles[t].fileName),
                            encodeColourTable(*tables[t]));
    return 0;
}

int dumpColoursCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 1, 1, "dump-colours DIR");
    ColourTableSources tables;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const std::string path = programFile(parsed.positional[0], kColourTableFiles[t].fileName);
        auto bytes = readWholeFile(path);
        if (!bytes) continue;  // the program goes on without it too
        ColourTable table;
        table.parse(*bytes);
        tables[t] = colourSets(table);
        if (encodeColourTable(*tables[t]) != *bytes)
            err << "likenex-data dump-colours: note: " << path
                << " holds an incomplete record or extra bytes; only its complete sets are dumped\n";
    }
    if (!tables[0] && !tables[1] && !tables[2])
        throw ToolError("none of color.dat, skin.dat, wall.dat can be read in " + parsed.positional[0]);
    out << colourTablesToJson(tables).dump(2) << '\n';
    return 0;
}

}  // namespace likenex
