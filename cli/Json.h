#pragma once

#include <string>

namespace quillon::cli {

// A JSON string literal for text that may hold any bytes: control characters, quotes
// and backslashes are escaped, other bytes pass as they are.
std::string JsonString(const std::string& text);

} // namespace quillon::cli
