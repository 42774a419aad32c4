#include "player/engine/characters/TextFormat.h"

namespace quillon::engine {

namespace {

// Calls f with each part of both formats, in one order.
template <class F> void EachPart(TextFormat& a, const TextFormat& b, F&& f) {
    f(a.font, b.font);
    f(a.size, b.size);
    f(a.color, b.color);
    f(a.bold, b.bold);
    f(a.italic, b.italic);
    f(a.underline, b.underline);
    f(a.kerning, b.kerning);
    f(a.url, b.url);
    f(a.target, b.target);
    f(a.letterSpacing, b.letterSpacing);
    f(a.align, b.align);
    f(a.leftMargin, b.leftMargin);
    f(a.rightMargin, b.rightMargin);
    f(a.indent, b.indent);
    f(a.blockIndent, b.blockIndent);
    f(a.leading, b.leading);
    f(a.bullet, b.bullet);
    f(a.tabStops, b.tabStops);
}

} // namespace

void TextFormat::apply(const TextFormat& over) {
    EachPart(*this, over, [](auto& mine, const auto& theirs) {
        if (theirs) {
            mine = theirs;
        }
    });
}

void TextFormat::keepCommon(const TextFormat& other) {
    EachPart(*this, other, [](auto& mine, const auto& theirs) {
        if (mine != theirs) {
            mine.reset();
        }
    });
}

bool TextFormat::hasParagraphParts() const {
    return align || leftMargin || rightMargin || indent || blockIndent || leading || bullet ||
           tabStops;
}

TextFormat TextFormat::Defaults() {
    TextFormat f;
    f.font = "Times New Roman";
    f.size = 12;
    f.color = 0;
    f.bold = f.italic = f.underline = f.kerning = f.bullet = false;
    f.url = f.target = "";
    f.letterSpacing = 0;
    f.align = TextAlign::Left;
    f.leftMargin = f.rightMargin = f.indent = f.blockIndent = f.leading = 0;
    f.tabStops = std::vector<double>{};
    return f;
}

} // namespace quillon::engine
