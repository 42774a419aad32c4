#include "player/engine/render/TextPainter.h"

#include <QGuiApplication>

namespace quillon::engine {

void DrawStaticText(QPainter& painter, const TextCharacter& text, const ColorTransform& cx,
                    const FontSource& fonts) {
    const QTransform base = text.matrix * painter.transform();
    for (const TextRun& run : text.runs) {
        const FontCharacter* font = fonts.byId ? fonts.byId(run.fontId) : nullptr;
        if (!font) {
            continue;
        }
        const double scale = run.height / font->emSize;
        const QBrush brush(cx.apply(run.color));
        double x = run.x;
        for (const auto& [index, advance] : run.glyphs) {
            if (index >= 0 && index < static_cast<int>(font->glyphs.size())) {
                painter.setTransform(QTransform(scale, 0, 0, scale, x, run.y) * base);
                painter.fillPath(font->glyphs[static_cast<std::size_t>(index)], brush);
            }
            x += advance;
        }
    }
    painter.setTransform(base);
}

namespace {

QColor Rgb(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

// Lines of text the field shows from its scroll position: shifted up and clipped.
void DrawLines(QPainter& painter, const TextLayout& layout, double dy, const ColorTransform& cx) {
    const QTransform base = painter.transform();
    for (const TextLine& line : layout.lines) {
        const double baseline = line.baseline - dy;
        for (std::size_t i = 0; i < line.chars.size();) {
            const PlacedChar& c = line.chars[i];
            const SpanFace& face = layout.faces[c.face];
            const QColor color = cx.apply(face.color);
            // one face's run draws at once: its system text, or glyph by glyph
            std::size_t end = i;
            QString run;
            while (end < line.chars.size() && line.chars[end].face == c.face) {
                run += line.chars[end++].c;
            }
            if (face.font) {
                const double scale = face.size / face.font->emSize;
                for (std::size_t k = i; k < end; ++k) {
                    const int glyph = line.chars[k].glyph;
                    if (glyph >= 0 && glyph < static_cast<int>(face.font->glyphs.size())) {
                        painter.setTransform(
                            QTransform(scale, 0, 0, scale, line.chars[k].x, baseline) * base);
                        painter.fillPath(face.font->glyphs[static_cast<std::size_t>(glyph)], color);
                    }
                }
                painter.setTransform(base);
            } else if (face.system) {
                painter.setFont(*face.system);
                painter.setPen(color);
                painter.drawText(QPointF(c.x, baseline), run);
            }
            if (face.underline) {
                const PlacedChar& last = line.chars[end - 1];
                painter.setPen(QPen(color, 20));
                painter.drawLine(QPointF(c.x, baseline + 40),
                                 QPointF(last.x + last.advance, baseline + 40));
            }
            i = end;
        }
    }
}

} // namespace

void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx) {
    const EditField& field = text.field;
    if (field.background) {
        painter.fillRect(field.area, cx.apply(Rgb(field.backgroundColor)));
    }
    if (field.border) {
        painter.setPen(QPen(cx.apply(Rgb(field.borderColor)), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(field.area);
    }
    const TextLayout layout = field.layout();
    const std::size_t first = static_cast<std::size_t>(std::max(1, field.scroll) - 1);
    const double dy = first < layout.lines.size() && first > 0
                          ? layout.lines[first].baseline - layout.lines[first].ascent -
                                layout.lines[0].baseline + layout.lines[0].ascent
                          : 0;
    painter.save();
    painter.setClipRect(field.area, Qt::IntersectClip);
    painter.translate(-field.hscroll * TwipsPerPixel, 0);
    DrawLines(painter, layout, dy, cx);
    painter.restore();
}

} // namespace quillon::engine
