#include "server/WebText.h"

namespace likenex {

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string percentDecode(std::string_view text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> parseForm(std::string_view text) {
    std::map<std::string, std::string> form;
    while (!text.empty()) {
        std::size_t end = text.find('&');
        std::string_view pair = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (pair.empty()) continue;
        std::size_t equals = pair.find('=');
        std::string key = percentDecode(pair.substr(0, equals));
        std::string value = equals == std::string_view::npos ? std::string() : percentDecode(pair.substr(equals + 1));
        form.emplace(std::move(key), std::move(value));
    }
    return form;
}

std::string_view targetPath(std::string_view target) { return target.substr(0, target.find('?')); }

std::string_view targetQuery(std::string_view target) {
    std::size_t mark = target.find('?');
    return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

}  // namespace likenex
