#pragma once
// The text of an edit field as styled paragraphs: HTML fields through their markup
// (<p>, <br>, <b>, <i>, <font>), plain fields as one style split at their breaks.

#include <QColor>
#include <QString>
#include <string>
#include <vector>

namespace quillon::engine {

struct TextStyle {
    std::string face;
    double size = 240; // twips
    QColor color = Qt::black;
    bool bold = false, italic = false;
    double letterSpacing = 0; // twips after every character
    bool operator==(const TextStyle&) const = default;
};

struct TextSpan {
    QString text;
    TextStyle style;
};

struct TextParagraph {
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    std::vector<TextSpan> spans;
};

// Markup starts from base; unknown tags are ignored and their text kept.
std::vector<TextParagraph> ParseHtmlText(const std::string& html, const TextStyle& base, int align);
std::vector<TextParagraph> PlainTextParagraphs(const std::string& text, const TextStyle& base,
                                               int align);

} // namespace quillon::engine
