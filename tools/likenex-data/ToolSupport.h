#pragma once
// What every subcommand shares: the failure that ends the tool with exit code 1, argument
// parsing with ranges, file access that fails with a message, and strict JSON field reading
// (unknown names and out-of-range numbers are errors, so a typing slip never passes silently).

#include <nlohmann/json.hpp>

#include <cstdint>
#include <limits>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace likenex {

// Any failure of the tool; the dispatcher prints it and exits with 1.
class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

using Arguments = std::vector<std::string>;

// A decimal integer (optional sign) inside [low, high]; `what` names it in the message.
[[nodiscard]] std::int64_t parseInteger(std::string_view text, std::string_view what, std::int64_t low,
                                        std::int64_t high);

template <typename T>
[[nodiscard]] T parseArgument(std::string_view text, std::string_view what) {
    return static_cast<T>(parseInteger(text, what, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

[[nodiscard]] std::vector<std::uint8_t> readFileOrFail(const std::string& path);
void writeFileOrFail(const std::string& path, const std::vector<std::uint8_t>& bytes);
[[nodiscard]] std::string readTextFileOrFail(const std::string& path);
void writeTextFileOrFail(const std::string& path, const std::string& text);
// The program directory's file (relative path with '/'), refusing directories the loaders refuse.
[[nodiscard]] std::string programFile(const std::string& directory, std::string_view relative);
void makeDirectories(const std::string& path);

[[nodiscard]] nlohmann::ordered_json parseJsonOrFail(const std::string& text, const std::string& source);

// Reads the fields of one JSON object; missing fields keep their defaults. `finish` fails
// when the object holds a name that no read asked for.
class JsonFields {
public:
    JsonFields(const nlohmann::ordered_json& object, std::string where);

    template <typename T>
    void get(const char* name, T& value) {
        if (const auto* field = find(name))
            value = static_cast<T>(integer(*field, name, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
    }
    template <typename T, std::size_t N>
    void getArray(const char* name, std::array<T, N>& values) {
        const auto* field = find(name);
        if (!field) return;
        if (!field->is_array() || field->size() != N)
            throw ToolError(where_ + ": \"" + name + "\" must be an array of " + std::to_string(N) + " numbers");
        for (std::size_t i = 0; i < N; ++i)
            values[i] = static_cast<T>(
                integer((*field)[i], name, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
    }
    // Null when absent; fails when present but not an array.
    [[nodiscard]] const nlohmann::ordered_json* array(const char* name);
    [[nodiscard]] const nlohmann::ordered_json* find(const char* name);
    [[nodiscard]] const std::string& where() const { return where_; }
    void finish() const;

private:
    [[nodiscard]] std::int64_t integer(const nlohmann::ordered_json& value, const char* name, std::int64_t low,
                                       std::int64_t high) const;

    const nlohmann::ordered_json& object_;
    std::string where_;
    std::set<std::string> seen_;
};

}  // namespace likenex
