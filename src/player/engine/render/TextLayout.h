#pragma once
// Lays out an edit field's styled paragraphs: picks the font of every span (an embedded
// font of the span's face, bold and italic, or a system font), breaks lines at the
// field's breaks and, when it wraps words, at its width, and places each character.

#include "player/engine/characters/Characters.h"
#include "player/engine/render/HtmlText.h"

#include <QFont>
#include <functional>
#include <optional>

namespace quillon::engine {

struct FontSource {
    std::function<const FontCharacter*(std::uint16_t)> byId;
    // The embedded font closest to a face name and style, or nullptr when no font has the name.
    std::function<const FontCharacter*(const std::string&, bool bold, bool italic)> byStyle;
};

// How one span draws: with an embedded font's outlines or with a system font.
struct SpanFace {
    TextStyle style;
    const FontCharacter* font = nullptr; // outlines when set
    std::optional<QFont> system;         // otherwise a system font (when one can draw)
    double ascent = 0, descent = 0;      // twips
};

struct PlacedChar {
    QChar c;
    std::size_t face = 0; // index into TextLayout::faces
    int glyph = -1;       // glyph index for outlines
    double x = 0;         // twips from the field's left edge
    double advance = 0;   // twips, letter spacing included
};

struct TextLine {
    std::vector<PlacedChar> chars;
    double baseline = 0; // twips from the field's top edge
};

struct TextLayout {
    std::vector<SpanFace> faces;
    std::vector<TextLine> lines;
};

// systemFonts: whether system fonts can be measured and drawn (a GUI application runs).
TextLayout LayOutEditText(const EditTextCharacter& text, const FontSource& fonts, bool systemFonts);

} // namespace quillon::engine
