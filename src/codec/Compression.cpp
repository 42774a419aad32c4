#include "Compression.h"

namespace quillon {

namespace {

struct MethodText {
    CompressionMethod method;
    std::string_view text;
};
constexpr std::array<MethodText, 3> Texts = {{
    {CompressionMethod::ZlibLevel, "zlib9"},
    {CompressionMethod::ZlibSmallest, "zlib-smallest"},
    {CompressionMethod::Lzma, "lzma"},
}};

// Settings files are edited by hand; the case of a value does not matter.
bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string CompressionMethodText(CompressionMethod method) {
    for (const auto& entry : Texts) {
        if (entry.method == method) {
            return std::string(entry.text);
        }
    }
    return std::string(Texts[0].text);
}

CompressionMethod CompressionMethodFromText(std::string_view text) {
    for (const auto& entry : Texts) {
        if (SameText(entry.text, text)) {
            return entry.method;
        }
    }
    return CompressionMethod::ZlibLevel;
}

} // namespace quillon
