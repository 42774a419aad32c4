#include "TextPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QString>
#include <cstring>

namespace quillon::engine {

namespace {

constexpr double Gutter = 40; // twips between the field's edge and its text

struct Line {
    QString text;
    double width = 0;
};

} // namespace

void DrawStaticText(QPainter& painter, const TextCharacter& text, const ColorTransform& cx,
                    const FontLookup& fonts) {
    const QTransform base = text.matrix * painter.transform();
    for (const TextRun& run : text.runs) {
        const FontCharacter* font = fonts(run.fontId);
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

std::string PlainTextOfHtml(const std::string& html) {
    std::string out;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html[i] == '<') {
            const std::size_t end = html.find('>', i);
            std::string tag =
                html.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            for (char& c : tag) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            if (tag.rfind("br", 0) == 0 || tag == "/p") {
                out.push_back('\n');
            }
            if (end == std::string::npos) {
                break;
            }
            i = end;
        } else if (html[i] == '&') {
            static const std::pair<const char*, char> entities[] = {
                {"&amp;", '&'},  {"&lt;", '<'},    {"&gt;", '>'},
                {"&quot;", '"'}, {"&apos;", '\''}, {"&nbsp;", ' '}};
            bool matched = false;
            for (const auto& [name, ch] : entities) {
                if (html.compare(i, std::strlen(name), name) == 0) {
                    out.push_back(ch);
                    i += std::strlen(name) - 1;
                    matched = true;
                    break;
                }
            }
            if (!matched) {
                out.push_back('&');
            }
        } else {
            out.push_back(html[i]);
        }
    }
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx,
                  const FontLookup& fonts) {
    const QString content = QString::fromUtf8(text.html ? PlainTextOfHtml(text.text) : text.text)
                                .replace("\r\n", "\n")
                                .replace('\r', '\n');
    if (text.border) {
        painter.fillRect(text.bounds, cx.apply(Qt::white));
        painter.setPen(QPen(cx.apply(Qt::black), 0));
        painter.drawRect(text.bounds);
    }
    if (content.isEmpty()) {
        return;
    }
    const FontCharacter* font = text.hasFont ? fonts(text.fontId) : nullptr;
    const bool outlines = font && !font->glyphs.empty() && text.useOutlines;
    if (!outlines && !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return; // system fonts need a GUI application; without one only outlines draw
    }
    const double scale = font ? text.height / font->emSize : 1.0;
    QFont system(font && !font->name.empty() ? QString::fromStdString(font->name)
                                             : QString("Times New Roman"));
    system.setPixelSize(std::max(1, static_cast<int>(text.height)));
    system.setBold(font && font->bold);
    system.setItalic(font && font->italic);
    const QFontMetricsF metrics(system);
    const auto advanceOf = [&](QChar c) {
        if (outlines) {
            const int glyph = font->glyphFor(c.unicode());
            if (glyph >= 0 && glyph < static_cast<int>(font->advances.size())) {
                return font->advances[static_cast<std::size_t>(glyph)] * scale;
            }
            return glyph >= 0 ? text.height * 0.5 : 0.0;
        }
        return metrics.horizontalAdvance(c);
    };
    // Lines: the field's breaks, and word wrap at its width.
    const double maxWidth = text.bounds.width() - 2 * Gutter - text.leftMargin - text.rightMargin;
    std::vector<Line> lines;
    for (const QString& paragraph : content.split('\n')) {
        Line line;
        for (const QString& word : paragraph.split(' ')) {
            double w = 0;
            for (QChar c : word) {
                w += advanceOf(c);
            }
            const double space = line.text.isEmpty() ? 0 : advanceOf(' ');
            if (text.wordWrap && !line.text.isEmpty() && line.width + space + w > maxWidth) {
                lines.push_back(line);
                line = Line{};
            } else if (!line.text.isEmpty()) {
                line.text += ' ';
                line.width += space;
            }
            line.text += word;
            line.width += w;
        }
        lines.push_back(line);
        if (!text.multiline) {
            break;
        }
    }
    const double ascent = font && font->hasLayout ? font->ascent * scale : metrics.ascent();
    const double descent = font && font->hasLayout ? font->descent * scale : metrics.descent();
    const double lineHeight = ascent + descent + text.leading;
    const QColor color = cx.apply(text.color);
    painter.save();
    painter.setClipRect(text.bounds, Qt::IntersectClip);
    double y = text.bounds.top() + Gutter + ascent;
    const QTransform base = painter.transform();
    for (const Line& line : lines) {
        double x = text.bounds.left() + Gutter + text.leftMargin;
        const double free = maxWidth - line.width;
        if (text.align == 1) {
            x += free;
        } else if (text.align == 2) {
            x += free / 2;
        }
        if (outlines) {
            for (QChar c : line.text) {
                const int glyph = font->glyphFor(c.unicode());
                if (glyph >= 0 && glyph < static_cast<int>(font->glyphs.size())) {
                    painter.setTransform(QTransform(scale, 0, 0, scale, x, y) * base);
                    painter.fillPath(font->glyphs[static_cast<std::size_t>(glyph)], color);
                }
                x += advanceOf(c);
            }
            painter.setTransform(base);
        } else {
            painter.setFont(system);
            painter.setPen(color);
            painter.drawText(QPointF(x, y), line.text);
        }
        y += lineHeight;
    }
    painter.restore();
}

} // namespace quillon::engine
