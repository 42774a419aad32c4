#include "player/engine/render/TextPainter.h"

#include <QGuiApplication>
#include <QPainterPathStroker>
#include <cmath>
#include <span>

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

// Characters of one face on a baseline: its system text, or glyph by glyph.
void DrawRun(QPainter& painter, const TextLayout& layout, std::span<const PlacedChar> chars,
             double baseline, const ColorTransform& cx) {
    const SpanFace& face = layout.faces[chars.front().face];
    const QColor color = cx.apply(face.color);
    if (face.font) {
        const QTransform base = painter.transform();
        const double scale = face.size / face.font->emSize;
        for (const PlacedChar& c : chars) {
            if (c.glyph >= 0 && c.glyph < static_cast<int>(face.font->glyphs.size())) {
                painter.setTransform(QTransform(scale, 0, 0, scale, c.x, baseline) * base);
                painter.fillPath(face.font->glyphs[static_cast<std::size_t>(c.glyph)], color);
            }
        }
        painter.setTransform(base);
    } else if (face.system) {
        QString run;
        for (const PlacedChar& c : chars) {
            run += c.c;
        }
        painter.setFont(*face.system);
        painter.setPen(color);
        painter.drawText(QPointF(chars.front().x, baseline), run);
    }
}

// Lines of text the field shows from its scroll position: shifted up and clipped.
void DrawLines(QPainter& painter, const TextLayout& layout, double dy, const ColorTransform& cx) {
    for (const TextLine& line : layout.lines) {
        const double baseline = line.baseline - dy;
        if (line.bullet) {
            DrawRun(painter, layout, std::span(&*line.bullet, 1), baseline, cx);
        }
        for (std::size_t i = 0; i < line.chars.size();) {
            std::size_t end = i;
            while (end < line.chars.size() && line.chars[end].face == line.chars[i].face) {
                ++end;
            }
            const std::span<const PlacedChar> run(line.chars.data() + i, end - i);
            DrawRun(painter, layout, run, baseline, cx);
            const SpanFace& face = layout.faces[run.front().face];
            if (face.underline) {
                painter.setPen(QPen(cx.apply(face.color), 20));
                painter.drawLine(QPointF(run.front().x, baseline + 40),
                                 QPointF(run.back().x + run.back().advance, baseline + 40));
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
        // The border is one device pixel wide and sits on whole pixels: a corner keeps to
        // the pixel it lies in unless it is within a quarter pixel of the next one, so a
        // field turned a hair keeps a straight, unbroken frame where an unturned one has it.
        const auto snap = [](double v) { return std::floor(v + 0.25) + 0.5; };
        QPolygonF corners = painter.transform().map(QPolygonF(field.area));
        for (QPointF& p : corners) {
            p = QPointF(snap(p.x()), snap(p.y()));
        }
        QPainterPath frame;
        frame.addPolygon(corners);
        frame.closeSubpath();
        QPainterPathStroker stroker;
        stroker.setWidth(1);
        stroker.setJoinStyle(Qt::MiterJoin);
        painter.save();
        painter.resetTransform();
        painter.fillPath(stroker.createStroke(frame), cx.apply(Rgb(field.borderColor)));
        painter.restore();
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
