#pragma once
// Folding the letters of a UTF-8 path to one case, for comparing names as a
// case-insensitive file system does. Bytes that are not UTF-8 are kept as they are.

#include <string>
#include <string_view>

namespace quillon {

std::string FoldCase(std::string_view text);

} // namespace quillon
