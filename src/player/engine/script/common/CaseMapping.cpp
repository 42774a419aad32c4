#include "player/engine/script/common/CaseMapping.h"

#include <QChar>

namespace quillon::engine {
namespace {

template <bool Upper> std::u16string Mapped(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        const bool pair = QChar::isHighSurrogate(code) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1]);
        if (pair) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        char32_t mapped = Upper ? QChar::toUpper(code) : QChar::toLower(code);
        // Qt keeps the dotted capital I, whose lower case is two characters; its
        // one-character lower case is the plain i.
        if (!Upper && code == 0x130) {
            mapped = u'i';
        }
        if (QChar::requiresSurrogates(mapped)) {
            out += QChar::highSurrogate(mapped);
            out += QChar::lowSurrogate(mapped);
        } else {
            out += static_cast<char16_t>(mapped);
        }
    }
    return out;
}

} // namespace

std::u16string ToUpperUnits(std::u16string_view text) {
    return Mapped<true>(text);
}
std::u16string ToLowerUnits(std::u16string_view text) {
    return Mapped<false>(text);
}

} // namespace quillon::engine
