#include "tools/likenex-data/ToolSupport.h"

#include "catalogue/DataFiles.h"

#include <charconv>
#include <filesystem>
#include <system_error>

namespace likenex {

std::int64_t parseInteger(std::string_view text, std::string_view what, std::int64_t low, std::int64_t high) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error == std::errc::invalid_argument || end != digits.data() + digits.size())
        throw ToolError(std::string(what) + " must be a whole number, not \"" + std::string(text) + "\"");
    if (error == std::errc::result_out_of_range || value < low || value > high)
        throw ToolError(std::string(what) + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
                        ", not " + std::string(text));
    return value;
}

std::vector<std::uint8_t> readFileOrFail(const std::string& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) throw ToolError("cannot read " + path);
    return std::move(*bytes);
}

void writeFileOrFail(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    if (!writeWholeFile(path, bytes)) throw ToolError("cannot write " + path);
}

std::string readTextFileOrFail(const std::string& path) {
    std::vector<std::uint8_t> bytes = readFileOrFail(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeTextFileOrFail(const std::string& path, const std::string& text) {
    writeFileOrFail(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string programFile(const std::string& directory, std::string_view relative) {
    std::string path = dataFilePath(directory, relative);
    if (path.empty())
        throw ToolError("the program directory must be given and shorter than " +
                        std::to_string(kMaxProgramDirectoryLength + 1) + " characters");
    return path;
}

void makeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) throw ToolError("cannot create the folder " + path + ": " + error.message());
}

nlohmann::ordered_json parseJsonOrFail(const std::string& text, const std::string& source) {
    try {
        return nlohmann::ordered_json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        throw ToolError(source + ": not valid JSON: " + e.what());
    }
}

JsonFields::JsonFields(const nlohmann::ordered_json& object, std::string where)
    : object_(object), where_(std::move(where)) {
    if (!object_.is_object()) throw ToolError(where_ + ": must be a JSON object");
}

const nlohmann::ordered_json* JsonFields::find(const char* name) {
    seen_.insert(name);
    auto it = object_.find(name);
    return it == object_.end() ? nullptr : &*it;
}

const nlohmann::ordered_json* JsonFields::array(const char* name) {
    const auto* field = find(name);
    if (field && !field->is_array()) throw ToolError(where_ + ": \"" + name + "\" must be an array");
    return field;
}

void JsonFields::finish() const {
    for (const auto& [name, value] : object_.items())
        if (!seen_.contains(name)) throw ToolError(where_ + ": unknown field \"" + name + "\"");
}

std::int64_t JsonFields::integer(const nlohmann::ordered_json& value, const char* name, std::int64_t low,
                                 std::int64_t high) const {
    std::int64_t result = 0;
    if (value.is_number_unsigned()) {
        auto u = value.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(high))
            throw ToolError(where_ + ": \"" + name + "\" must lie in " + std::to_string(low) + ".." +
                            std::to_string(high));
        result = static_cast<std::int64_t>(u);
    } else if (value.is_number_integer()) {
        result = value.get<std::int64_t>();
    } else {
        throw ToolError(where_ + ": \"" + name + "\" must be a whole number");
    }
    if (result < low || result > high)
        throw ToolError(where_ + ": \"" + name + "\" must lie in " + std::to_string(low) + ".." + std::to_string(high));
    return result;
}

}  // namespace likenex
