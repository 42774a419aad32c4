#pragma once
// Characters as UTF-8, as both interpreters keep their text.

#include <cstdint>
#include <string>

namespace quillon::engine {

// Appends the character of that code point (at most 0x10FFFF) as UTF-8.
void AppendUtf8(std::uint32_t code, std::string& out);

} // namespace quillon::engine
