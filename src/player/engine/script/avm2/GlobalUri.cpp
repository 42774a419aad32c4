// The global text-escaping functions: encodeURI, encodeURIComponent, decodeURI and
// decodeURIComponent (UTF-8 percent escapes), and escape and unescape (%XX and %uXXXX).

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/common/Utf8.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon::avm2 {
namespace {

constexpr std::string_view kAlnum =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kUriMarks = "-_.!~*'()";
constexpr std::string_view kUriReserved = ";/?:@&=+$,#";
constexpr std::string_view kEscapeKept = "@*_+-./";
constexpr char kHex[] = "0123456789ABCDEF";

bool In(char16_t unit, std::string_view a, std::string_view b = {}, std::string_view c = {}) {
    return unit < 0x80 && (a.find(static_cast<char>(unit)) != std::string_view::npos ||
                           b.find(static_cast<char>(unit)) != std::string_view::npos ||
                           c.find(static_cast<char>(unit)) != std::string_view::npos);
}

[[noreturn]] void BadUri(Vm& vm, const char* function) {
    vm.throwError(ErrorKind::URIError, 1052,
                  std::string("Invalid URI passed to ") + function + " function.");
}

void AppendByte(std::u16string& out, unsigned byte) {
    out += u'%';
    out += static_cast<char16_t>(kHex[byte >> 4]);
    out += static_cast<char16_t>(kHex[byte & 15]);
}

// The code point at units[i], a surrogate pair read whole (i moves past it).
char32_t CodePointAt(Vm& vm, std::u16string_view units, std::size_t& i, const char* function) {
    const char16_t unit = units[i];
    if (unit >= 0xdc00 && unit <= 0xdfff) {
        BadUri(vm, function);
    }
    if (unit < 0xd800 || unit > 0xdbff) {
        return unit;
    }
    if (i + 1 >= units.size() || units[i + 1] < 0xdc00 || units[i + 1] > 0xdfff) {
        BadUri(vm, function);
    }
    ++i;
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xd800) << 10) + (units[i] - 0xdc00);
}

Value Encode(Vm& vm, const Value& text, bool component, const char* function) {
    const std::u16string units = ToUnits(vm, text);
    std::u16string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (In(units[i], kAlnum, kUriMarks, component ? std::string_view() : kUriReserved)) {
            out += units[i];
            continue;
        }
        std::string bytes;
        engine::AppendUtf8(CodePointAt(vm, units, i, function), bytes);
        for (const char byte : bytes) {
            AppendByte(out, static_cast<unsigned char>(byte));
        }
    }
    return FromUnits(out);
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if ((c | 0x20) >= u'a' && (c | 0x20) <= u'f') {
        return (c | 0x20) - u'a' + 10;
    }
    return -1;
}

// The number written in count hex digits at units[at], or -1.
int HexAt(std::u16string_view units, std::size_t at, std::size_t count) {
    if (at + count > units.size()) {
        return -1;
    }
    int value = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const int digit = HexDigit(units[at + k]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

// The byte of "%XX" at units[at], or -1.
int EscapedByte(std::u16string_view units, std::size_t at) {
    return at < units.size() && units[at] == u'%' ? HexAt(units, at + 1, 2) : -1;
}

// One percent-escaped UTF-8 sequence starting at units[i]; i moves past it.
char32_t DecodeSequence(Vm& vm, std::u16string_view units, std::size_t& i, const char* function) {
    const int lead = EscapedByte(units, i);
    if (lead < 0) {
        BadUri(vm, function);
    }
    const int length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
    if (length == 0 || lead >= 0xf8) {
        BadUri(vm, function);
    }
    constexpr char32_t kLeadMask[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t cp = static_cast<char32_t>(lead) & kLeadMask[length];
    for (int k = 1; k < length; ++k) {
        const int next = EscapedByte(units, i + 3 * static_cast<std::size_t>(k));
        if (next < 0x80 || next > 0xbf) {
            BadUri(vm, function);
        }
        cp = (cp << 6) | (static_cast<char32_t>(next) & 0x3f);
    }
    // Overlong forms, surrogates and code points past Unicode are not UTF-8.
    if (cp < kSmallest[length] || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) {
        BadUri(vm, function);
    }
    i += 3 * static_cast<std::size_t>(length) - 1;
    return cp;
}

Value Decode(Vm& vm, const Value& text, bool component, const char* function) {
    const std::u16string units = ToUnits(vm, text);
    std::u16string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] != u'%') {
            out += units[i];
            continue;
        }
        const std::size_t start = i;
        const char32_t cp = DecodeSequence(vm, units, i, function);
        if (cp < 0x80 && !component && In(static_cast<char16_t>(cp), kUriReserved)) {
            out.append(units, start, 3); // a reserved character stays escaped
        } else if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xd800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xdc00 + ((cp - 0x10000) & 0x3ff));
        }
    }
    return FromUnits(out);
}

// The text argument as the String parameter it is declared as: "undefined" when
// missing, "null" for null and undefined.
Value UriText(std::span<const Value> args) {
    if (args.empty()) {
        return Value::string("undefined");
    }
    return args[0].isNullish() ? Value::string("null") : args[0];
}

template <bool Component> Value EncodeUri(Vm& vm, const Value&, std::span<const Value> args) {
    return Encode(vm, UriText(args), Component, Component ? "encodeURIComponent" : "encodeURI");
}
template <bool Component> Value DecodeUri(Vm& vm, const Value&, std::span<const Value> args) {
    return Decode(vm, UriText(args), Component, Component ? "decodeURIComponent" : "decodeURI");
}

Value Escape(Vm& vm, const Value&, std::span<const Value> args) {
    const std::u16string units = ToUnits(vm, UriText(args));
    std::u16string out;
    for (const char16_t unit : units) {
        if (In(unit, kAlnum, kEscapeKept)) {
            out += unit;
        } else if (unit < 0x100) {
            AppendByte(out, unit);
        } else {
            out += u"%u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                out += static_cast<char16_t>(kHex[(unit >> shift) & 15]);
            }
        }
    }
    return FromUnits(out);
}

Value Unescape(Vm& vm, const Value&, std::span<const Value> args) {
    const std::u16string units = ToUnits(vm, UriText(args));
    std::u16string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] == u'%' && i + 1 < units.size() && units[i + 1] == u'u') {
            if (const int unit = HexAt(units, i + 2, 4); unit >= 0) {
                out += static_cast<char16_t>(unit);
                i += 5;
                continue;
            }
        }
        const int byte = EscapedByte(units, i);
        out += byte >= 0 ? static_cast<char16_t>(byte) : units[i];
        i += byte >= 0 ? 2 : 0;
    }
    return FromUnits(out);
}

} // namespace

void InstallUriFunctions(Vm& vm) {
    DefineGlobalFunction(vm, "encodeURI", EncodeUri<false>);
    DefineGlobalFunction(vm, "encodeURIComponent", EncodeUri<true>);
    DefineGlobalFunction(vm, "decodeURI", DecodeUri<false>);
    DefineGlobalFunction(vm, "decodeURIComponent", DecodeUri<true>);
    DefineGlobalFunction(vm, "escape", Escape);
    DefineGlobalFunction(vm, "unescape", Unescape);
}

} // namespace quillon::avm2
