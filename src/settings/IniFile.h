#pragma once
// Our initialization-file layer: "[Section]" lines open sections, "Key=Value" lines hold
// values. Section and key names compare without regard to case, anything missing reads
// as the caller's default, and writing one key leaves every other line as it was.

#include "codec/Errors.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A key could not be written: "Unable to write to PATH".
class EIniWriteError : public QuillonError {
public:
    explicit EIniWriteError(const std::string& path) : QuillonError("Unable to write to " + path) {}
};

// One read returns at most this many characters of a value.
inline constexpr std::size_t kMaxIniValueChars = 2047;

// The integer rule of the settings files: optional leading blanks, an optional sign,
// then decimal digits or hexadecimal digits behind "$", "x", "X", "0x" or "0X". Nothing
// when the text does not parse in full or does not fit a signed 32-bit integer.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// A snapshot of one file, read when constructed; every write goes straight to the disk
// through a temporary file and a rename, so a failed write keeps the old file.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Create the file, the section and the key as needed; throw EIniWriteError when the
    // key cannot be written, leaving the file as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    struct Location {
        std::optional<std::size_t> sectionLine; // the first "[section]" line
        std::optional<std::size_t> keyLine;     // the first line of that key in it
        std::size_t insertAt = 0;               // where a new key of the section goes
    };
    Location locate(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<std::string> lines_; // as in the file, without their "\n"
    bool unreadable_ = false;        // the file exists but could not be read
    bool crlf_ = false;              // the file's lines end in "\r\n"
};

} // namespace quillon
