#include "player/engine/characters/HtmlText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace quillon::engine {

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

HtmlTag ParseHtmlTag(const std::string& inside) {
    HtmlTag tag;
    std::size_t i = 0;
    const auto skipSpace = [&] {
        while (i < inside.size() && std::isspace(static_cast<unsigned char>(inside[i]))) {
            ++i;
        }
    };
    skipSpace();
    if (i < inside.size() && inside[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const auto word = [&] {
        const std::size_t from = i;
        while (i < inside.size() && !std::isspace(static_cast<unsigned char>(inside[i])) &&
               inside[i] != '=' && inside[i] != '/') {
            ++i;
        }
        return AsciiLower(inside.substr(from, i - from));
    };
    tag.name = word();
    while (i < inside.size()) {
        skipSpace();
        if (i < inside.size() && inside[i] == '/') {
            ++i;
            continue;
        }
        const std::string name = word();
        if (name.empty()) {
            break;
        }
        skipSpace();
        std::string value;
        if (i < inside.size() && inside[i] == '=') {
            ++i;
            skipSpace();
            if (i < inside.size() && (inside[i] == '"' || inside[i] == '\'')) {
                const char quote = inside[i++];
                const std::size_t end = inside.find(quote, i);
                value = inside.substr(i, end == std::string::npos ? std::string::npos : end - i);
                i = end == std::string::npos ? inside.size() : end + 1;
            } else {
                const std::size_t from = i;
                while (i < inside.size() && !std::isspace(static_cast<unsigned char>(inside[i]))) {
                    ++i;
                }
                value = inside.substr(from, i - from);
            }
        }
        tag.attributes[name] = value;
    }
    return tag;
}

namespace {

// Appends the UTF-8 of a code point.
void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x110000) {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

std::size_t DecodeHtmlEntity(const std::string& html, std::size_t i, std::string& out) {
    const std::size_t end = html.find(';', i);
    if (end == std::string::npos || end - i > 10) {
        return 0;
    }
    const std::string name = AsciiLower(html.substr(i + 1, end - i - 1));
    static const std::map<std::string, unsigned> named = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    unsigned code = 0;
    if (const auto it = named.find(name); it != named.end()) {
        code = it->second;
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const char* from = name.data() + (hex ? 2 : 1);
        const auto [ptr, ec] =
            std::from_chars(from, name.data() + name.size(), code, hex ? 16 : 10);
        if (ec != std::errc{} || ptr != name.data() + name.size() || from == ptr) {
            return 0;
        }
    } else {
        return 0;
    }
    AppendUtf8(out, code);
    return end - i + 1;
}

} // namespace quillon::engine
