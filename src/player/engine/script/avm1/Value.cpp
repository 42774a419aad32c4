#include "player/engine/script/avm1/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace quillon::engine::avm1 {

Str MakeStr(std::string text) {
    return std::make_shared<const std::string>(std::move(text));
}

const Str& EmptyStr() {
    static const Str empty = MakeStr("");
    return empty;
}

namespace {

std::string Exponential(const std::string& digits, int exponent, bool negative) {
    std::string out = negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1) {
        out += '.';
        out += digits.substr(1);
    }
    out += exponent < 0 ? "e-" : "e+";
    out += std::to_string(std::abs(exponent));
    return out;
}

std::string Positional(const std::string& digits, int exponent, bool negative) {
    std::string out = negative ? "-" : "";
    if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
        return out;
    }
    const auto whole = static_cast<std::size_t>(exponent + 1);
    if (digits.size() <= whole) {
        out += digits;
        out.append(whole - digits.size(), '0');
    } else {
        out += digits.substr(0, whole);
        out += '.';
        out += digits.substr(whole);
    }
    return out;
}

} // namespace

std::string NumberToString(double number) {
    if (std::isnan(number)) {
        return "NaN";
    }
    if (std::isinf(number)) {
        return number > 0 ? "Infinity" : "-Infinity";
    }
    if (number == 0) {
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(number));
    if (std::isinf(std::strtod(buffer, nullptr))) {
        // rounding up would pass the largest number (Number.MAX_VALUE): the digits are cut
        // instead, so the text still reads back as a finite number
        std::snprintf(buffer, sizeof buffer, "%.20e", std::fabs(number));
        char* cut = std::strchr(buffer, 'e');
        std::memmove(buffer + 16, cut, std::strlen(cut) + 1);
    }
    std::string digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits += *p;
        }
    }
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    if (exponent < -5 || exponent >= 15) {
        return Exponential(digits, exponent, number < 0);
    }
    return Positional(digits, exponent, number < 0);
}

std::string NumberToRadix(double number, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) {
        return NumberToString(number);
    }
    // The player takes the number as a 32-bit integer, NaN and numbers out of range as the
    // lowest one, and writes digits of the signed remainders: the lowest integer, which
    // stays negative when negated, comes out as characters below '0'.
    const bool inRange = number > -2147483649.0 && number < 2147483648.0;
    const std::int32_t whole = inRange ? static_cast<std::int32_t>(std::trunc(number))
                                       : std::numeric_limits<std::int32_t>::min();
    std::int32_t value =
        whole < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(whole)) : whole;
    std::string out;
    do {
        const int digit = value % radix;
        out.insert(out.begin(), static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10));
        value /= radix;
    } while (value != 0);
    return whole < 0 ? "-" + out : out;
}

namespace {

// Version 4 reads the longest decimal number the text starts with, and 0 for none.
double LeadingNumber(std::string_view text) {
    std::size_t end = 0;
    end += end < text.size() && (text[end] == '-' || text[end] == '+') ? 1 : 0;
    const auto digits = [&text, &end] {
        const std::size_t start = end;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        return end > start;
    };
    bool any = digits();
    if (end < text.size() && text[end] == '.') {
        ++end;
        any = digits() || any;
    }
    if (!any) {
        return 0.0;
    }
    const std::size_t mantissaEnd = end;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        ++end;
        end += end < text.size() && (text[end] == '-' || text[end] == '+') ? 1 : 0;
        if (!digits()) {
            end = mantissaEnd;
        }
    }
    return std::strtod(std::string(text.substr(0, end)).c_str(), nullptr);
}

} // namespace

double StringToNumber(std::string_view text, int version) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v')) {
        ++i;
    }
    text.remove_prefix(i);
    if (text.empty()) {
        return version >= 5 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    }
    if (version < 5) {
        return LeadingNumber(text);
    }
    if (version >= 6 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        double value = 0;
        for (char c : text.substr(2)) {
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) {
                return std::numeric_limits<double>::quiet_NaN();
            }
            value = value * 16 + digit;
        }
        return value;
    }
    // A leading zero with octal digits only reads as octal, as the player does.
    if (version >= 6 && text.size() > 1 && text[0] == '0' &&
        text.find_first_not_of("01234567") == std::string_view::npos) {
        double value = 0;
        for (char c : text) {
            value = value * 8 + (c - '0');
        }
        return value;
    }
    // Only plain decimal forms: no "inf", "nan" or hex floats.
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-')) {
            return std::numeric_limits<double>::quiet_NaN();
        }
    }
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || end == copy.c_str()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return value;
}

std::uint32_t ToUint32(double number) {
    if (!std::isfinite(number)) {
        return 0;
    }
    const double m = std::fmod(std::trunc(number), 4294967296.0);
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(m < 0 ? m + 4294967296.0 : m));
}

std::int32_t ToInt32(double number) {
    return static_cast<std::int32_t>(ToUint32(number));
}

namespace {

// Capitals of the two-byte range that pair with the small letter after them, from a
// first capital to a last one.
struct PairRun {
    unsigned first, last;
};
constexpr PairRun EvenPairs[] = {{0x100, 0x12e}, {0x132, 0x136}, {0x14a, 0x176}, {0x182, 0x184},
                                 {0x1a0, 0x1a4}, {0x1de, 0x1ee}, {0x1f8, 0x21e}, {0x222, 0x232},
                                 {0x3d8, 0x3ee}, {0x460, 0x480}, {0x48a, 0x4be}, {0x4d0, 0x4f4},
                                 {0x4f8, 0x4f8}, {0x500, 0x50e}};
constexpr PairRun OddPairs[] = {{0x139, 0x147}, {0x179, 0x17d}, {0x187, 0x187}, {0x18b, 0x18b},
                                {0x191, 0x191}, {0x198, 0x198}, {0x1a7, 0x1a7}, {0x1ac, 0x1ac},
                                {0x1af, 0x1af}, {0x1b3, 0x1b5}, {0x1b8, 0x1b8}, {0x1bc, 0x1bc},
                                {0x1cd, 0x1db}, {0x1f4, 0x1f4}, {0x4c1, 0x4cd}};
// Capitals whose small letter lies elsewhere.
constexpr std::pair<unsigned, unsigned> Singles[] = {
    {0x178, 0xff},  {0x181, 0x253}, {0x186, 0x254}, {0x189, 0x256}, {0x18a, 0x257}, {0x18e, 0x1dd},
    {0x18f, 0x259}, {0x190, 0x25b}, {0x193, 0x260}, {0x194, 0x263}, {0x196, 0x269}, {0x197, 0x268},
    {0x19c, 0x26f}, {0x19d, 0x272}, {0x19f, 0x275}, {0x1a6, 0x280}, {0x1a9, 0x283}, {0x1ae, 0x288},
    {0x1b1, 0x28a}, {0x1b2, 0x28b}, {0x1b7, 0x292}, {0x1c4, 0x1c6}, {0x1c5, 0x1c6}, {0x1c7, 0x1c9},
    {0x1c8, 0x1c9}, {0x1ca, 0x1cc}, {0x1cb, 0x1cc}, {0x1f1, 0x1f3}, {0x1f2, 0x1f3}, {0x1f6, 0x195},
    {0x1f7, 0x1bf}, {0x220, 0x19e}, {0x386, 0x3ac}, {0x38c, 0x3cc}, {0x38e, 0x3cd}, {0x38f, 0x3ce},
    {0x3f4, 0x3b8}};

// The small letter of a code point below 0x800, by the case pairs of the player's
// (older) character tables: later additions such as U+03F7 stay as they are.
unsigned LowerLetter(unsigned code) {
    if ((code >= 0xc0 && code <= 0xde && code != 0xd7) || (code >= 0x391 && code <= 0x3ab) ||
        (code >= 0x410 && code <= 0x42f)) {
        return code + 0x20;
    }
    if (code >= 0x388 && code <= 0x38a) {
        return code + 0x25;
    }
    if (code >= 0x400 && code <= 0x40f) {
        return code + 0x50;
    }
    if (code >= 0x531 && code <= 0x556) {
        return code + 0x30;
    }
    for (const PairRun& run : EvenPairs) {
        if (code >= run.first && code <= run.last && code % 2 == 0) {
            return code + 1;
        }
    }
    for (const PairRun& run : OddPairs) {
        if (code >= run.first && code <= run.last && code % 2 == 1) {
            return code + 1;
        }
    }
    for (const auto& [capital, small] : Singles) {
        if (code == capital) {
            return small;
        }
    }
    return code;
}

// Lowers the letter of one two-byte UTF-8 sequence in place.
void FoldPair(unsigned char& lead, unsigned char& next) {
    const unsigned lower = LowerLetter(((lead & 0x1fu) << 6) | (next & 0x3fu));
    lead = static_cast<unsigned char>(0xc0 | (lower >> 6));
    next = static_cast<unsigned char>(0x80 | (lower & 0x3f));
}

} // namespace

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto& c = reinterpret_cast<unsigned char&>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<unsigned char>(c + 32);
        } else if (c >= 0xc2 && c <= 0xdf && i + 1 < out.size() &&
                   (static_cast<unsigned char>(out[i + 1]) & 0xc0) == 0x80) {
            FoldPair(c, reinterpret_cast<unsigned char&>(out[i + 1]));
            ++i;
        }
    }
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if ((x | y) & 0x80) {
            return FoldCase(a.substr(i)) == FoldCase(b.substr(i)); // letters past ASCII
        }
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x + 32);
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y + 32);
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

} // namespace quillon::engine::avm1
