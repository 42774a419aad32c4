#pragma once
// The parts of a text format by the names both script languages give them, in the order
// of the TextFormat constructor's arguments, as plain values each interpreter turns
// into its own.

#include "player/engine/characters/TextFormat.h"

#include <string>
#include <vector>

namespace quillon::engine {

enum class FormatKind { Text, Number, Color, Flag, Align, List };

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

// The names of alignments as scripts write them.
const char* AlignName(TextAlign align);

} // namespace quillon::engine
