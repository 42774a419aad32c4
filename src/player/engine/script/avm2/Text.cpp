#include "player/engine/script/avm2/Text.h"

namespace quillon::avm2 {

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        const int extra = c < 0x80 ? 0 : c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : -1;
        char32_t cp = extra == 0   ? c
                      : extra == 1 ? (c & 0x1f)
                      : extra == 2 ? (c & 0x0f)
                                   : (c & 0x07);
        bool valid = extra >= 0 && i + extra < text.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = text[i + k];
            valid = (next & 0xc0) == 0x80;
            cp = (cp << 6) | (next & 0x3f);
        }
        if (!valid || cp > 0x10ffff) {
            out.push_back(u'\xfffd');
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += extra + 1;
    }
    return out;
}

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
        return;
    }
    const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    constexpr unsigned lead[] = {0, 0xc0, 0xe0, 0xf0};
    out.push_back(static_cast<char>(lead[extra] | (cp >> (6 * extra))));
    for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
        out.push_back(static_cast<char>(0x80 | ((cp >> shift) & 0x3f)));
    }
}

} // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xd800 && cp < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
            text[i + 1] < 0xe000) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (text[++i] - 0xdc00);
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace quillon::avm2
