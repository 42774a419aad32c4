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

void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx,
                  const FontSource& fonts) {
    if (text.border) {
        painter.fillRect(text.area, cx.apply(Qt::white));
        painter.setPen(QPen(cx.apply(Qt::black), 0));
        painter.drawRect(text.area);
    }
    // system fonts need a GUI application; without one only outlines draw
    const bool systemFonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const TextLayout layout = LayOutEditText(text, fonts, systemFonts);
    painter.save();
    painter.setClipRect(text.area, Qt::IntersectClip);
    const QTransform base = painter.transform();
    for (const TextLine& line : layout.lines) {
        for (std::size_t i = 0; i < line.chars.size();) {
            const PlacedChar& c = line.chars[i];
            const SpanFace& face = layout.faces[c.face];
            const QColor color = cx.apply(face.style.color);
            if (face.font) {
                const double scale = face.style.size / face.font->emSize;
                if (c.glyph >= 0 && c.glyph < static_cast<int>(face.font->glyphs.size())) {
                    painter.setTransform(QTransform(scale, 0, 0, scale, c.x, line.baseline) * base);
                    painter.fillPath(face.font->glyphs[static_cast<std::size_t>(c.glyph)], color);
                }
                ++i;
                continue;
            }
            // a system font draws the run of characters in one face at once
            std::size_t end = i;
            QString run;
            while (end < line.chars.size() && line.chars[end].face == c.face) {
                run += line.chars[end++].c;
            }
            if (face.system) {
                painter.setTransform(base);
                painter.setFont(*face.system);
                painter.setPen(color);
                painter.drawText(QPointF(c.x, line.baseline), run);
            }
            i = end;
        }
    }
    painter.setTransform(base);
    painter.restore();
}

} // namespace quillon::engine
