#pragma once
// Strings are UTF-8 inside the machine; the language counts UTF-16 units, so the
// String methods that index go through these.

#include <string>
#include <string_view>

namespace quillon::avm2 {

std::u16string ToUtf16(std::string_view text);
std::string ToUtf8(std::u16string_view text);
bool IsAscii(std::string_view text);

} // namespace quillon::avm2
