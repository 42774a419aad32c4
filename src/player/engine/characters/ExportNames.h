#pragma once
// Exported symbol names, which scripts and sounds look up without regard to case.

#include <string>

namespace quillon::engine {

inline std::string AsciiLowerName(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return text;
}

} // namespace quillon::engine
