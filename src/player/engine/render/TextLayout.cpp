#include "player/engine/render/TextLayout.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

constexpr double Gutter = 40; // twips between the field's edge and its text

SpanFace FaceOf(const TextStyle& style, const FontCharacter* font, bool useOutlines,
                bool systemFonts) {
    SpanFace face;
    face.style = style;
    if (useOutlines && font && !font->glyphs.empty()) {
        face.font = font;
        const double scale = style.size / font->emSize;
        face.ascent = font->hasLayout ? font->ascent * scale : style.size * 0.8;
        face.descent = font->hasLayout ? font->descent * scale : style.size * 0.2;
    } else if (systemFonts) {
        QFont system(style.face.empty() ? QString("Times New Roman")
                                        : QString::fromStdString(style.face));
        system.setPixelSize(std::max(1, static_cast<int>(style.size)));
        system.setBold(style.bold);
        system.setItalic(style.italic);
        const QFontMetricsF metrics(system);
        face.ascent = metrics.ascent();
        face.descent = metrics.descent();
        face.system = system;
    }
    return face;
}

class Layouter {
public:
    Layouter(const EditTextCharacter& text, const FontSource& fonts, bool systemFonts)
        : text_(text), fonts_(fonts), systemFonts_(systemFonts) {
        fieldFont_ = text.hasFont && fonts.byId ? fonts.byId(text.fontId) : nullptr;
        base_.size = text.height;
        base_.color = text.color;
        if (fieldFont_) {
            base_.face = fieldFont_->name;
            // markup states bold and italic itself; a plain field takes its font's
            if (!text.html) {
                base_.bold = fieldFont_->bold;
                base_.italic = fieldFont_->italic;
            }
        }
    }

    TextLayout run() {
        const auto paragraphs = text_.html ? ParseHtmlText(text_.text, base_, text_.align)
                                           : PlainTextParagraphs(text_.text, base_, text_.align);
        const std::size_t baseFace = faceFor(base_);
        for (const TextParagraph& paragraph : paragraphs) {
            std::vector<PlacedChar> chars;
            for (const TextSpan& span : paragraph.spans) {
                const std::size_t face = faceFor(span.style);
                for (QChar c : span.text) {
                    chars.push_back(place(c, face));
                }
            }
            breakLines(chars, paragraph.align, baseFace);
            if (!text_.multiline) {
                break;
            }
        }
        return std::move(layout_);
    }

private:
    std::size_t faceFor(const TextStyle& style) {
        for (std::size_t i = 0; i < layout_.faces.size(); ++i) {
            if (layout_.faces[i].style == style) {
                return i;
            }
        }
        const FontCharacter* font = fieldFont_;
        if (text_.html && fonts_.byStyle) {
            font = fonts_.byStyle(style.face, style.bold, style.italic);
        }
        layout_.faces.push_back(FaceOf(style, font, text_.useOutlines, systemFonts_));
        metrics_.emplace_back();
        if (layout_.faces.back().system) {
            metrics_.back().emplace(*layout_.faces.back().system);
        }
        return layout_.faces.size() - 1;
    }

    PlacedChar place(QChar c, std::size_t faceIndex) const {
        const SpanFace& face = layout_.faces[faceIndex];
        PlacedChar placed{c, faceIndex};
        if (face.font) {
            placed.glyph = face.font->glyphFor(c.unicode());
            const auto& advances = face.font->advances;
            if (placed.glyph >= 0 && placed.glyph < static_cast<int>(advances.size())) {
                // fields lay glyphs out in whole twips
                placed.advance = std::trunc(advances[static_cast<std::size_t>(placed.glyph)] *
                                            face.style.size / face.font->emSize);
            } else if (placed.glyph >= 0) {
                placed.advance = face.style.size * 0.5;
            }
        } else if (metrics_[faceIndex]) {
            placed.advance = metrics_[faceIndex]->horizontalAdvance(c);
        } else {
            return placed; // nothing can draw it
        }
        placed.advance += face.style.letterSpacing;
        return placed;
    }

    // Breaks a paragraph into lines: at its width when words wrap, after the last space.
    void breakLines(std::vector<PlacedChar>& chars, int align, std::size_t baseFace) {
        const double fullWidth =
            text_.area.width() - 2 * Gutter - text_.leftMargin - text_.rightMargin;
        std::size_t start = 0;
        std::optional<std::size_t> lastSpace;
        double width = 0;
        bool first = true;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const double maxWidth = fullWidth - (first ? text_.indent : 0);
            if (chars[i].c != ' ' && text_.wordWrap && i > start &&
                width + chars[i].advance > maxWidth) {
                const std::size_t end = lastSpace ? *lastSpace + 1 : i;
                emitLine(chars, start, end, align, first, false, baseFace);
                first = false;
                start = end;
                lastSpace.reset();
                width = 0;
                for (std::size_t j = start; j < i; ++j) {
                    width += chars[j].advance;
                }
            }
            if (chars[i].c == ' ') {
                lastSpace = i;
            }
            width += chars[i].advance;
        }
        emitLine(chars, start, chars.size(), align, first, true, baseFace);
    }

    void emitLine(const std::vector<PlacedChar>& chars, std::size_t from, std::size_t to, int align,
                  bool first, bool last, std::size_t baseFace) {
        TextLine line;
        line.chars.assign(chars.begin() + static_cast<std::ptrdiff_t>(from),
                          chars.begin() + static_cast<std::ptrdiff_t>(to));
        std::size_t used = line.chars.size(); // trailing spaces take no room
        while (used > 0 && line.chars[used - 1].c == ' ') {
            --used;
        }
        double width = 0;
        int spaces = 0;
        for (std::size_t i = 0; i < used; ++i) {
            width += line.chars[i].advance;
            spaces += line.chars[i].c == ' ';
        }
        const double indent = first ? text_.indent : 0;
        const double free =
            text_.area.width() - 2 * Gutter - text_.leftMargin - text_.rightMargin - indent - width;
        double x = text_.area.left() + Gutter + text_.leftMargin + indent;
        double stretch = 0; // justified lines widen their spaces, all but the last line
        if (align == 1) {
            x += free;
        } else if (align == 2) {
            x += free / 2;
        } else if (align == 3 && !last && spaces > 0 && free > 0) {
            stretch = free / spaces;
        }
        double ascent = 0, descent = 0;
        for (PlacedChar& c : line.chars) {
            c.x = x;
            x += c.advance + (c.c == ' ' ? stretch : 0);
            ascent = std::max(ascent, layout_.faces[c.face].ascent);
            descent = std::max(descent, layout_.faces[c.face].descent);
        }
        if (line.chars.empty()) {
            ascent = layout_.faces[baseFace].ascent;
            descent = layout_.faces[baseFace].descent;
        }
        line.baseline = layout_.lines.empty()
                            ? text_.area.top() + Gutter + ascent
                            : layout_.lines.back().baseline + lastDescent_ + text_.leading + ascent;
        lastDescent_ = descent;
        layout_.lines.push_back(std::move(line));
    }

    const EditTextCharacter& text_;
    const FontSource& fonts_;
    bool systemFonts_;
    const FontCharacter* fieldFont_ = nullptr;
    TextStyle base_;
    TextLayout layout_;
    std::vector<std::optional<QFontMetricsF>> metrics_; // parallel to layout_.faces
    double lastDescent_ = 0;
};

} // namespace

TextLayout LayOutEditText(const EditTextCharacter& text, const FontSource& fonts,
                          bool systemFonts) {
    return Layouter(text, fonts, systemFonts).run();
}

} // namespace quillon::engine
