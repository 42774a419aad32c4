#pragma once
// Upper and lower case of UTF-16 text by Qt's Unicode tables, one code point at a time
// so the text keeps its length (a character without a one-character mapping stays).

#include <string>
#include <string_view>

namespace quillon::engine {

std::u16string ToUpperUnits(std::u16string_view text);
std::u16string ToLowerUnits(std::u16string_view text);

} // namespace quillon::engine
