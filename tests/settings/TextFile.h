#pragma once
// Settings files as text, for tests that write and compare them whole.

#include "support/Bytes.h"

#include <string>

namespace quillon::test {

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFile(path, Bytes(text.begin(), text.end()));
}

inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace quillon::test
