#include "IniFile.h"

#include "codec/FileIO.h"

#include <cctype>
#include <cerrno>
#include <limits>

namespace quillon {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    const auto close = line.find(']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// The key and value of a "key=value" line; nothing for blank lines and comments.
std::optional<KeyValue> KeyLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return std::nullopt;
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return KeyValue{Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1))};
}

// Cuts a UTF-8 text after its first max characters, never inside one.
std::string_view FirstChars(std::string_view text, std::size_t max) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (chars == max) {
                return text.substr(0, i);
            }
            ++chars;
        }
    }
    return text;
}

// Blanks around a value are trimmed on reading, so a value that has them is written
// in double quotes, and so is one that is itself quoted, for reading strips one pair.
bool NeedsQuotes(std::string_view value) {
    return !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                              (value.size() >= 2 && value.front() == '"' && value.back() == '"'));
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A text that would break the line structure cannot be written as a name or value.
bool FitsOnOneLine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The value of a hexadecimal digit, -1 for any other character.
int HexDigit(char c) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t at = kDigits.find(lower);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^31 for the most negative value.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + negative;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path_);
    } catch (const QuillonError&) {
        // Reading never fails; but a file that is there and cannot be read must not be
        // replaced by one holding only the keys written afterwards.
        unreadable_ = FileExists(path_);
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        lines_.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    crlf_ = !lines_.empty() && lines_.front().ends_with('\r');
}

IniFile::Location IniFile::locate(std::string_view section, std::string_view key) const {
    Location where;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionName(lines_[i])) {
            if (where.sectionLine) {
                break; // the end of the first matching section
            }
            if (SameName(*name, section)) {
                where.sectionLine = i;
                where.insertAt = i + 1;
            }
            continue;
        }
        if (!where.sectionLine) {
            continue;
        }
        if (const auto entry = KeyLine(lines_[i])) {
            where.insertAt = i + 1;
            if (SameName(entry->key, key)) {
                where.keyLine = i;
                return where;
            }
        }
    }
    return where;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    // An empty name (an empty language code, say) names no key, not a "=value" line.
    const Location where = Trim(key).empty() ? Location{} : locate(section, key);
    if (!where.keyLine) {
        return std::string(fallback);
    }
    return std::string(
        FirstChars(Unquoted(KeyLine(lines_[*where.keyLine])->value), kMaxIniValueChars));
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    return ParseIniInteger(readString(section, key, "")).value_or(fallback);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (unreadable_ || !FitsOnOneLine(section) || !FitsOnOneLine(key) || !FitsOnOneLine(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        Trim(key).empty()) {
        throw EIniWriteError(path_);
    }
    const std::string ending = crlf_ ? "\r" : "";
    std::vector<std::string> lines = lines_;
    const Location where = locate(section, key);
    const std::string stored =
        NeedsQuotes(value) ? "\"" + std::string(value) + "\"" : std::string(value);
    const std::string entry = std::string(key) + "=" + stored + ending;
    if (where.keyLine) {
        lines[*where.keyLine] = entry;
    } else if (where.sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.insertAt), entry);
    } else {
        lines.push_back("[" + std::string(section) + "]" + ending);
        lines.push_back(entry);
    }

    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    bool written = false;
    try {
        written = WriteFileReplacing(
            path_, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const QuillonError&) {
        written = false;
    }
    if (!written) {
        throw EIniWriteError(path_);
    }
    lines_ = std::move(lines);
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

} // namespace quillon
