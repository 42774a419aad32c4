#include "CaseFold.h"

#include <cwctype>
#include <locale>
#include <stdexcept>

namespace quillon {

namespace {

// The length of the UTF-8 sequence at text[i] and its code point; 0 when the bytes
// there are not one.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) {
        return 0;
    }
    codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = codePoint << 6 | (byte(i + k) & 0x3F);
    }
    const bool overlong =
        (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    return overlong || codePoint > 0x10FFFF ? 0 : length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    static constexpr unsigned char Lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(Lead[length] | (c >> (6 * (length - 1))));
    for (int k = length - 2; k >= 0; --k) {
        out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
}

// Unicode case mapping where the system has it; plain ASCII otherwise.
const std::ctype<wchar_t>& Letters() {
    static const std::locale unicode = [] {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return std::use_facet<std::ctype<wchar_t>>(unicode);
}

} // namespace

std::string FoldCase(std::string_view text) {
    const std::ctype<wchar_t>& letters = Letters();
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(text, i, c);
        if (length == 0) {
            folded += text[i++];
            continue;
        }
        AppendUtf8(folded, static_cast<char32_t>(letters.tolower(static_cast<wchar_t>(c))));
        i += length;
    }
    return folded;
}

} // namespace quillon
