#pragma once
// The parts of a text format by the names both script languages give them, in the order
// of the TextFormat constructor's arguments, as plain values each interpreter turns
// into its own.

#include "player/engine/characters/TextFormat.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::engine {

// Number parts keep whole numbers, Fraction parts any number.
enum class FormatKind { Text, Number, Fraction, Color, Flag, Align, List };

struct FormatValue {
    bool isNull = true;
    double number = 0;
    std::string text;
    bool flag = false;
    std::vector<double> list;
};

inline constexpr int FormatPartCount = 18;
// font, size, color, bold, italic, underline, url, target, align, leftMargin,
// rightMargin, indent, leading, blockIndent, bullet, kerning, letterSpacing, tabStops
extern const char* const FormatPartNames[FormatPartCount];
FormatKind FormatPartKind(int part);

FormatValue ReadFormatPart(const TextFormat& format, int part);
// Sets a part; a null value (or an alignment of no known name) unsets it.
void WriteFormatPart(TextFormat& format, int part, const FormatValue& value);

// A part as a script value, made by the interpreter's maker: null(), text(s), flag(b),
// list(numbers), color(n) and number(n).
template <class Maker> auto ScriptValueOf(const FormatValue& v, FormatKind kind, Maker& make) {
    if (v.isNull) {
        return make.null();
    }
    switch (kind) {
    case FormatKind::Text:
    case FormatKind::Align:
        return make.text(v.text);
    case FormatKind::Flag:
        return make.flag(v.flag);
    case FormatKind::List:
        return make.list(v.list);
    case FormatKind::Color:
        return make.color(v.number);
    default:
        return make.number(v.number);
    }
}

// A script value as a part, read by the interpreter's reader: nullish(v), text(v),
// flag(v), list(v) (numbers), color(v) (an unsigned 32-bit number) and number(v).
template <class Reader, class V>
FormatValue FormatValueOf(const V& v, FormatKind kind, Reader& read) {
    FormatValue out;
    if (read.nullish(v)) {
        return out;
    }
    out.isNull = false;
    switch (kind) {
    case FormatKind::Text:
    case FormatKind::Align:
        out.text = read.text(v);
        break;
    case FormatKind::Flag:
        out.flag = read.flag(v);
        break;
    case FormatKind::List:
        out.list = read.list(v);
        break;
    case FormatKind::Color:
        out.number = read.color(v) & 0xffffff;
        break;
    case FormatKind::Fraction:
        out.number = read.number(v);
        out.isNull = !std::isfinite(out.number);
        break;
    default:
        out.number = std::trunc(read.number(v));
        out.isNull = !std::isfinite(out.number);
    }
    return out;
}

// Every part of a format stored on a script object, and read back from one, through an
// interpreter's bridge: the maker and reader calls above plus get(object, name) and
// set(object, name, value).
template <class Bridge, class V>
void StoreFormat(Bridge& bridge, const V& target, const TextFormat& format) {
    for (int part = 0; part < FormatPartCount; ++part) {
        bridge.set(target, FormatPartNames[part],
                   ScriptValueOf(ReadFormatPart(format, part), FormatPartKind(part), bridge));
    }
}

template <class Bridge, class V> TextFormat LoadFormat(Bridge& bridge, const V& from) {
    TextFormat format;
    for (int part = 0; part < FormatPartCount; ++part) {
        WriteFormatPart(
            format, part,
            FormatValueOf(bridge.get(from, FormatPartNames[part]), FormatPartKind(part), bridge));
    }
    return format;
}

// The names of alignments as scripts write them.
const char* AlignName(TextAlign align);

} // namespace quillon::engine
