#include "player/engine/script/common/XmlEntities.h"

#include "player/engine/script/common/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

namespace quillon::engine {

namespace {

// A reference longer than this is not one.
constexpr std::size_t MaxReferenceLength = 10;

// The character a reference's name (between "&" and ";") stands for.
std::optional<std::uint32_t> Referenced(std::string_view name) {
    static constexpr std::pair<std::string_view, char> Named[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [key, c] : Named) {
        if (name == key) {
            return static_cast<std::uint32_t>(c);
        }
    }
    if (name.size() < 2 || name[0] != '#') {
        return std::nullopt;
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
        code == 0 || code > 0x10ffff) {
        return std::nullopt;
    }
    return code;
}

} // namespace

std::string DecodeXmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        const std::optional<std::uint32_t> code =
            semicolon != std::string_view::npos && semicolon - i <= MaxReferenceLength
                ? Referenced(text.substr(i + 1, semicolon - i - 1))
                : std::nullopt;
        if (code) {
            AppendUtf8(*code, out);
            i = semicolon;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EncodeXmlEntities(std::string_view text) {
    static constexpr std::pair<char, std::string_view> Entities[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&apos;"}};
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto* entity = std::find_if(std::begin(Entities), std::end(Entities),
                                          [c](const auto& e) { return e.first == c; });
        if (entity != std::end(Entities)) {
            out += entity->second;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace quillon::engine
