#include "player/engine/characters/TextLayout.h"

#include "player/engine/characters/Characters.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

constexpr double Twips = 20;

// The embedded font a format names, or the field tag's own when it has that name.
const FontCharacter* EmbeddedFont(const EditField& field, const SpanFace& face) {
    const FontCharacter* font =
        field.fonts.byStyle ? field.fonts.byStyle(face.name, face.bold, face.italic) : nullptr;
    if (!font && field.hasFont && field.fonts.byId) {
        const FontCharacter* own = field.fonts.byId(field.fontId);
        if (own && QString::fromStdString(own->name).compare(QString::fromStdString(face.name),
                                                             Qt::CaseInsensitive) == 0) {
            font = own;
        }
    }
    return font && !font->glyphs.empty() ? font : nullptr;
}

SpanFace FaceOf(const EditField& field, const TextFormat& f, bool systemFonts) {
    SpanFace face;
    face.name = f.font.value_or("");
    face.size = f.size.value_or(12) * Twips;
    const std::uint32_t rgb = f.color.value_or(0);
    face.color = QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff, field.alpha);
    face.bold = f.bold.value_or(false);
    face.italic = f.italic.value_or(false);
    face.underline = f.underline.value_or(false);
    face.letterSpacing = f.letterSpacing.value_or(0) * Twips;
    if (field.embedFonts) {
        face.font = EmbeddedFont(field, face);
        if (face.font) {
            const double scale = face.size / face.font->emSize;
            // fields measure in whole twips, rounded down
            face.ascent =
                std::floor(face.font->hasLayout ? face.font->ascent * scale : face.size * 0.8);
            face.descent =
                std::floor(face.font->hasLayout ? face.font->descent * scale : face.size * 0.2);
        }
        return face;
    }
    if (systemFonts) {
        QFont system(face.name.empty() ? QString("Times New Roman")
                                       : QString::fromStdString(face.name));
        system.setPixelSize(std::max(1, static_cast<int>(face.size)));
        system.setBold(face.bold);
        system.setItalic(face.italic);
        const QFontMetricsF metrics(system);
        // device fonts measure in whole pixels
        face.ascent = std::round(metrics.ascent() / Twips) * Twips;
        face.descent = std::round(metrics.descent() / Twips) * Twips;
        face.system = system;
    } else {
        // measured by its size alone: a typical face's proportions, in whole pixels
        face.ascent = std::round(face.size * 0.9 / Twips) * Twips;
        face.descent = std::round(face.size * 0.22 / Twips) * Twips;
    }
    return face;
}

class Layouter {
public:
    Layouter(const EditField& field, bool systemFonts)
        : field_(field), text_(field.text()), systemFonts_(systemFonts) {}

    TextLayout run() {
        const int n = static_cast<int>(text_.size());
        for (int start = 0;;) {
            int end = start;
            while (end < n && !IsParagraphEnd(text_[end])) {
                ++end;
            }
            paragraph(start, end); // a single-line field too shows each paragraph on a line
            if (end >= n) {
                break;
            }
            start = end + 1;
        }
        for (const TextLine& line : layout_.lines) {
            layout_.textWidth = std::max(layout_.textWidth, line.width);
        }
        if (!text_.isEmpty()) { // an empty field measures nothing, though it has a line
            // the last line's leading counts only when it is the first too
            const TextLine& last = layout_.lines.back();
            layout_.textHeight = last.baseline + last.descent - (field_.area.top() + FieldGutter) +
                                 (layout_.lines.size() == 1 ? last.leading : 0);
        }
        return std::move(layout_);
    }

private:
    std::size_t faceFor(const TextFormat& format) {
        SpanFace face = FaceOf(field_, format, false);
        for (std::size_t i = 0; i < layout_.faces.size(); ++i) {
            if (layout_.faces[i] == face) {
                return i;
            }
        }
        layout_.faces.push_back(FaceOf(field_, format, systemFonts_));
        metrics_.emplace_back();
        if (layout_.faces.back().system) {
            metrics_.back().emplace(*layout_.faces.back().system);
        }
        return layout_.faces.size() - 1;
    }

    PlacedChar place(QChar c, std::size_t faceIndex, int index) const {
        const SpanFace& face = layout_.faces[faceIndex];
        if (field_.password) {
            c = u'*';
        }
        PlacedChar placed{c, faceIndex};
        placed.index = index;
        if (c == u'\t') {
            c = u' ';
        }
        if (face.font) {
            placed.glyph = face.font->glyphFor(c.unicode());
            const auto& advances = face.font->advances;
            if (placed.glyph >= 0 && placed.glyph < static_cast<int>(advances.size())) {
                // fields lay glyphs out in whole twips
                placed.advance = std::trunc(advances[static_cast<std::size_t>(placed.glyph)] *
                                            face.size / face.font->emSize);
            } else if (placed.glyph >= 0) {
                placed.advance = face.size * 0.5;
            }
        } else if (metrics_[faceIndex]) {
            placed.advance = std::round(metrics_[faceIndex]->horizontalAdvance(c));
        } else if (!field_.embedFonts) {
            placed.advance = std::round(face.size * (c == u' ' ? 0.25 : 0.5));
        } else {
            return placed; // no font can draw it
        }
        placed.advance += face.letterSpacing;
        return placed;
    }

    void paragraph(int start, int end) {
        const int n = static_cast<int>(text_.size());
        format_ = field_.charFormat(start < n ? start : n - 1);
        std::vector<PlacedChar> chars;
        for (int i = start; i < end; ++i) {
            chars.push_back(place(text_[i], faceFor(field_.charFormat(i)), i));
        }
        baseFace_ = faceFor(format_);
        paragraphStart_ = start;
        breakAfter_ = end < n ? 1 : 0;
        breakLines(chars);
    }

    double leftEdge() const {
        return (format_.leftMargin.value_or(0) + format_.blockIndent.value_or(0)) * Twips +
               (format_.bullet.value_or(false) ? BulletIndent : 0);
    }
    double room(bool first) const {
        return field_.area.width() - 2 * FieldGutter - leftEdge() -
               format_.rightMargin.value_or(0) * Twips -
               (first ? format_.indent.value_or(0) * Twips : 0);
    }

    // How far a tab at `at` (twips into a line) reaches: to the paragraph's next stop,
    // nowhere past its last one. Without stops of its own a paragraph has one at every
    // twice the height of its font.
    double tabAdvance(double at, bool first) const {
        const double from = at + (first ? format_.indent.value_or(0) * Twips : 0);
        if (format_.tabStops && !format_.tabStops->empty()) {
            for (double stop : *format_.tabStops) {
                if (stop * Twips > from) {
                    return stop * Twips - from;
                }
            }
            return 0;
        }
        const SpanFace& face = layout_.faces[baseFace_];
        const double every = 2 * (face.ascent + face.descent);
        return every > 0 ? (std::floor(from / every) + 1) * every - from : 0;
    }

    // Gives a character its advance at `at` (tabs reach by where they are); returns it.
    double advanceAt(PlacedChar& c, double at, bool first) const {
        if (c.c == u'\t') {
            c.advance = tabAdvance(at, first);
        }
        return c.advance;
    }

    // Breaks a paragraph into lines: at its width when words wrap, after the last space.
    void breakLines(std::vector<PlacedChar>& chars) {
        std::size_t start = 0;
        std::optional<std::size_t> lastSpace;
        double width = 0;
        bool first = true;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i].c != ' ' && field_.wordWrap && i > start &&
                width + advanceAt(chars[i], width, first) > room(first)) {
                const std::size_t end = lastSpace ? *lastSpace + 1 : i;
                emitLine(chars, start, end, first, false);
                first = false;
                start = end;
                lastSpace.reset();
                width = 0;
                for (std::size_t j = start; j < i; ++j) {
                    width += advanceAt(chars[j], width, first);
                }
            }
            if (chars[i].c == ' ') {
                lastSpace = i;
            }
            width += advanceAt(chars[i], width, first);
        }
        emitLine(chars, start, chars.size(), first, true);
    }

    void emitLine(const std::vector<PlacedChar>& chars, std::size_t from, std::size_t to,
                  bool first, bool last) {
        TextLine line;
        line.chars.assign(chars.begin() + static_cast<std::ptrdiff_t>(from),
                          chars.begin() + static_cast<std::ptrdiff_t>(to));
        line.firstChar =
            from < chars.size() ? chars[from].index : paragraphStart_ + static_cast<int>(from);
        line.length = static_cast<int>(to - from) + (last ? breakAfter_ : 0);
        arrange(line, first, last);
        line.leading = format_.leading.value_or(0) * Twips;
        line.baseline = layout_.lines.empty()
                            ? field_.area.top() + FieldGutter + line.ascent
                            : layout_.lines.back().baseline + layout_.lines.back().descent +
                                  layout_.lines.back().leading + line.ascent;
        layout_.lines.push_back(std::move(line));
    }

    // Places a line's characters by its paragraph's alignment; measures its height.
    void arrange(TextLine& line, bool first, bool last) {
        const TextAlign align = format_.align.value_or(TextAlign::Left);
        std::size_t used = line.chars.size();
        if (align != TextAlign::Left && !field_.spacesAlwaysTakeRoom) {
            while (used > 0 && line.chars[used - 1].c == ' ') { // trailing spaces take no room
                --used;
            }
        }
        int spaces = 0;
        for (std::size_t i = 0; i < used; ++i) {
            line.width += line.chars[i].advance;
            spaces += line.chars[i].c == ' ';
        }
        const double free = room(first) - line.width;
        double x = field_.area.left() + FieldGutter + leftEdge() +
                   (first ? format_.indent.value_or(0) * Twips : 0);
        double stretch = 0; // justified lines widen their spaces, all but the last line
        if (align == TextAlign::Right) {
            x += std::max(0.0, free);
        } else if (align == TextAlign::Center) {
            x += std::max(0.0, free / 2);
        } else if (align == TextAlign::Justify && !last && spaces > 0 && free > 0) {
            stretch = free / spaces;
        }
        line.left = x;
        if (first && format_.bullet.value_or(false)) {
            line.bullet = place(u'\u2022', baseFace_, line.firstChar);
            line.bullet->x = x - BulletIndent + line.bullet->advance;
        }
        for (PlacedChar& c : line.chars) {
            c.x = x;
            x += c.advance + (c.c == ' ' ? stretch : 0);
            line.ascent = std::max(line.ascent, layout_.faces[c.face].ascent);
            line.descent = std::max(line.descent, layout_.faces[c.face].descent);
        }
        if (line.chars.empty()) {
            line.ascent = layout_.faces[baseFace_].ascent;
            line.descent = layout_.faces[baseFace_].descent;
        }
    }

    const EditField& field_;
    const QString& text_;
    bool systemFonts_;
    TextLayout layout_;
    std::vector<std::optional<QFontMetricsF>> metrics_; // parallel to layout_.faces
    TextFormat format_;                                 // the paragraph's
    std::size_t baseFace_ = 0;
    int paragraphStart_ = 0;
    int breakAfter_ = 0;
};

} // namespace

TextLayout LayOutField(const EditField& field, bool systemFonts) {
    return Layouter(field, systemFonts).run();
}

bool SystemFontsAvailable() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace quillon::engine
