#pragma once
// Lays out a text field: picks the font of every run (an embedded font of the run's face,
// bold and italic, or a system font), breaks lines at the paragraphs' ends and, when the
// field wraps words, at its width, and places each character. Positions are twips in
// the field's own space, before scrolling.

#include "player/engine/characters/EditField.h"

#include <QColor>
#include <QFont>
#include <optional>

namespace quillon::engine {

// The space between a field's edge and its text.
inline constexpr double FieldGutter = 40; // twips

// How one run draws: with an embedded font's outlines or with a system font.
struct SpanFace {
    std::string name;
    double size = 240; // twips
    QColor color = Qt::black;
    bool bold = false, italic = false, underline = false;
    double letterSpacing = 0;            // twips
    const FontCharacter* font = nullptr; // outlines when set
    std::optional<QFont> system;         // otherwise a system font (when one can draw)
    double ascent = 0, descent = 0;      // twips
    bool operator==(const SpanFace& other) const {
        return name == other.name && size == other.size && color == other.color &&
               bold == other.bold && italic == other.italic && underline == other.underline &&
               letterSpacing == other.letterSpacing;
    }
};

struct PlacedChar {
    QChar c;
    std::size_t face = 0; // index into TextLayout::faces
    int glyph = -1;       // glyph index for outlines
    double x = 0;         // twips from the field's left edge
    double advance = 0;   // twips, letter spacing included
    int index = 0;        // in the field's text
};

// How far a bulleted paragraph's text stands in from its margin; its bullet goes there.
inline constexpr double BulletIndent = 36 * 20; // twips

struct TextLine {
    std::vector<PlacedChar> chars;
    std::optional<PlacedChar> bullet;            // the first line of a bulleted paragraph shows one
    double baseline = 0;                         // twips from the field's top edge
    double ascent = 0, descent = 0, leading = 0; // twips
    double left = 0, width = 0;                  // twips: where the text starts, how wide
    int firstChar = 0, length = 0;               // in the field's text, breaks included
};

struct TextLayout {
    std::vector<SpanFace> faces;
    std::vector<TextLine> lines;
    double textWidth = 0, textHeight = 0; // twips
};

// systemFonts: whether system fonts can be measured and drawn (a GUI application runs);
// without them a system font is measured by its size alone.
TextLayout LayOutField(const EditField& field, bool systemFonts);
// Whether this process can measure and draw system fonts.
bool SystemFontsAvailable();

} // namespace quillon::engine
