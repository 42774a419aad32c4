#pragma once
// How a movie is compressed: the method a caller picks, its text in config.ini and the
// captions the Options dialog offers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

enum class CompressionMethod {
    ZlibLevel,    // "CWS", zlib at the caller's level (9 unless told otherwise)
    ZlibSmallest, // "CWS", the smallest standard zlib stream we can make
    Lzma,         // "ZWS", which players read from version 13 on
};

inline constexpr int DefaultZlibLevel = 9;

// Players read "ZWS" movies from this version on; an older version byte is raised.
inline constexpr std::uint8_t LzmaMinimumVersion = 13;

// The setting's place in config.ini.
inline constexpr const char* CompressionSection = "Configuration";
inline constexpr const char* CompressionKey = "Compression";

// The value config.ini holds for a method, and back. A missing or unknown value reads
// as the default, zlib at level 9, as every unreadable setting does.
std::string CompressionMethodText(CompressionMethod method);
CompressionMethod CompressionMethodFromText(std::string_view text);

struct CompressionChoice {
    CompressionMethod method;
    const char* caption; // the Options dialog's text for it
};
// In the order the dialog lists them; the first is the default.
inline constexpr std::array<CompressionChoice, 3> CompressionChoices = {{
    {CompressionMethod::ZlibLevel, "zlib, level 9"},
    {CompressionMethod::ZlibSmallest, "zlib, smallest"},
    {CompressionMethod::Lzma, "LZMA (Flash Player 11 and later)"},
}};

} // namespace quillon
