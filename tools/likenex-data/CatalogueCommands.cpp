// dump-catalogue, find and build-catalogue: data/avatar.dat as JSON and back.
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueWriter.h"
#include "tools/likenex-data/CatalogueJson.h"
#include "tools/likenex-data/Commands.h"

#include <ostream>

namespace likenex {
namespace {

Catalogue loadCatalogue(const std::string& directory) {
    const std::string path = programFile(directory, "data/avatar.dat");
    Catalogue catalogue;
    if (!catalogue.loadCatalogueSection1(directory) || !catalogue.loadBodyParts(directory) ||
        !catalogue.loadItems(directory))
        throw ToolError("cannot read the catalogue " + path + " (missing, or a section offset past its end)");
    return catalogue;
}

}  // namespace

int dumpCatalogueCommand(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 1, 1, "dump-catalogue DIR");
    const std::string& directory = parsed.positional[0];
    Catalogue catalogue = loadCatalogue(directory);
    out << toJson(catalogue.tables()).dump(2) << '\n';
    // The JSON holds what the program reads; say so when the file holds more or other bytes.
    auto rebuilt = encodeAvatarData(catalogue.tables());
    auto file = readFileOrFail(programFile(directory, "data/avatar.dat"));
    if (!rebuilt || *rebuilt != file)
        err << "likenex-data dump-catalogue: note: avatar.dat is not laid out as build-catalogue writes it "
               "(cut short, extra bytes or other section offsets); a rebuild gives other bytes\n";
    return 0;
}

int findCommand(const Arguments& arguments, std::ostream& out, std::ostream&) {
    constexpr const char* kUsage = "find DIR item|bodypart|action|option ID [FACELAYER]";
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 3, 4, kUsage);
    const std::string& kind = parsed.positional[1];
    const bool option = kind == "option";
    if (!option && kind != "item" && kind != "bodypart" && kind != "action")
        throw ToolError("\"" + kind + "\" is not one of item, bodypart, action, option");
    if (option != (parsed.positional.size() == 4))
        throw ToolError(option ? "find option needs FACELAYER" : "FACELAYER belongs only to find option");
    const std::string& id = parsed.positional[2];
    nlohmann::ordered_json result;  // null
    if (kind == "action") {
        const auto identifier = parseArgument<std::uint16_t>(id, "an action ID");
        Catalogue catalogue = loadCatalogue(parsed.positional[0]);
        if (const Action* a = catalogue.findAction(identifier)) result = toJson(*a);
    } else {
        const auto identifier = parseArgument<std::int32_t>(id, "ID");
        const auto faceLayer = option ? parseArgument<std::int32_t>(parsed.positional[3], "FACELAYER") : 0;
        Catalogue catalogue = loadCatalogue(parsed.positional[0]);
        if (option) {
            if (const LayerOption* o = catalogue.findLayerOption(identifier, faceLayer)) result = toJson(*o);
        } else if (kind == "item") {
            if (const Item* item = catalogue.findItem(identifier)) result = toJson(*item);
        } else if (const BodyPart* part = catalogue.findBodyPart(identifier)) {
            result = toJson(*part);
        }
    }
    out << result.dump(2) << '\n';
    return 0;
}

int buildCatalogueCommand(const Arguments& arguments, std::ostream&, std::ostream&) {
    ParsedArguments parsed = parseArguments(arguments, {});
    expectCount(parsed, 2, 2, "build-catalogue CATALOGUE.json DIR");
    const std::string& source = parsed.positional[0];
    CatalogueTables tables = catalogueFromJson(parseJsonOrFail(readTextFileOrFail(source), source));
    auto bytes = encodeAvatarData(tables);
    if (!bytes) throw ToolError(source + ": the catalogue is too large for avatar.dat's 32-bit fields");
    makeDirectories(programFile(parsed.positional[1], "data"));
    writeFileOrFail(programFile(parsed.positional[1], "data/avatar.dat"), *bytes);
    return 0;
}

}  // namespace likenex
