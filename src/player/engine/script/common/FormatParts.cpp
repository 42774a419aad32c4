#include "player/engine/script/common/FormatParts.h"

#include <cstdint>

namespace quillon::engine {

const char* const FormatPartNames[FormatPartCount] = {
    "font",    "size",        "color",  "bold",       "italic",        "underline",
    "url",     "target",      "align",  "leftMargin", "rightMargin",   "indent",
    "leading", "blockIndent", "bullet", "kerning",    "letterSpacing", "tabStops"};

namespace {

constexpr FormatKind Kinds[FormatPartCount] = {
    FormatKind::Text,     FormatKind::Number, FormatKind::Color,  FormatKind::Flag,
    FormatKind::Flag,     FormatKind::Flag,   FormatKind::Text,   FormatKind::Text,
    FormatKind::Align,    FormatKind::Number, FormatKind::Number, FormatKind::Number,
    FormatKind::Number,   FormatKind::Number, FormatKind::Flag,   FormatKind::Flag,
    FormatKind::Fraction, FormatKind::List};

constexpr const char* AlignNames[] = {"left", "right", "center", "justify"};

// Calls f with the optional member behind a part.
template <class Format, class F> void WithPart(Format& f, int part, F&& use) {
    switch (part) {
    case 0:
        use(f.font);
        break;
    case 1:
        use(f.size);
        break;
    case 2:
        use(f.color);
        break;
    case 3:
        use(f.bold);
        break;
    case 4:
        use(f.italic);
        break;
    case 5:
        use(f.underline);
        break;
    case 6:
        use(f.url);
        break;
    case 7:
        use(f.target);
        break;
    case 8:
        use(f.align);
        break;
    case 9:
        use(f.leftMargin);
        break;
    case 10:
        use(f.rightMargin);
        break;
    case 11:
        use(f.indent);
        break;
    case 12:
        use(f.leading);
        break;
    case 13:
        use(f.blockIndent);
        break;
    case 14:
        use(f.bullet);
        break;
    case 15:
        use(f.kerning);
        break;
    case 16:
        use(f.letterSpacing);
        break;
    default:
        use(f.tabStops);
        break;
    }
}

void Fill(FormatValue& out, const std::string& v) {
    out.text = v;
}
void Fill(FormatValue& out, double v) {
    out.number = v;
}
void Fill(FormatValue& out, std::uint32_t v) {
    out.number = v;
}
void Fill(FormatValue& out, bool v) {
    out.flag = v;
}
void Fill(FormatValue& out, TextAlign v) {
    out.text = AlignName(v);
}
void Fill(FormatValue& out, const std::vector<double>& v) {
    out.list = v;
}

void Take(std::optional<std::string>& part, const FormatValue& v) {
    part = v.text;
}
void Take(std::optional<double>& part, const FormatValue& v) {
    part = v.number;
}
void Take(std::optional<std::uint32_t>& part, const FormatValue& v) {
    part = static_cast<std::uint32_t>(v.number) & 0xffffff;
}
void Take(std::optional<bool>& part, const FormatValue& v) {
    part = v.flag;
}
void Take(std::optional<std::vector<double>>& part, const FormatValue& v) {
    part = v.list;
}
void Take(std::optional<TextAlign>& part, const FormatValue& v) {
    part.reset();
    for (int i = 0; i < 4; ++i) {
        if (v.text == AlignNames[i]) {
            part = static_cast<TextAlign>(i);
        }
    }
}

} // namespace

FormatKind FormatPartKind(int part) {
    return Kinds[part];
}

const char* AlignName(TextAlign align) {
    return AlignNames[static_cast<int>(align) & 3];
}

FormatValue ReadFormatPart(const TextFormat& format, int part) {
    FormatValue out;
    WithPart(format, part, [&out](const auto& value) {
        if (value) {
            out.isNull = false;
            Fill(out, *value);
        }
    });
    return out;
}

void WriteFormatPart(TextFormat& format, int part, const FormatValue& value) {
    WithPart(format, part, [&value](auto& member) {
        if (value.isNull) {
            member.reset();
        } else {
            Take(member, value);
        }
    });
}

} // namespace quillon::engine
