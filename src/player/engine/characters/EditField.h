#pragma once
// A text field's model: its text with a format for every character, the settings the
// field tag or scripts give it, and what its layout measures (text size, lines,
// scrolling). Scripts of either language change it through the display host; the
// drawing lays it out the same way.

#include "player/engine/characters/TextFormat.h"

#include <QRectF>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillon::engine {

struct FontCharacter;
struct TextLayout;

struct FontSource {
    std::function<const FontCharacter*(std::uint16_t)> byId;
    // The embedded font closest to a face name and style, or nullptr when no font has the name.
    std::function<const FontCharacter*(const std::string&, bool bold, bool italic)> byStyle;
};

enum class AutoSize { None, Left, Right, Center };

// One line as scripts measure it (pixels).
struct LineMetrics {
    double x = 0, width = 0, height = 0, ascent = 0, descent = 0, leading = 0;
    int firstChar = 0, length = 0;
};

// Longest text a field keeps; more is cut off.
inline constexpr int MaxFieldText = 1 << 20;

class EditField {
public:
    QRectF area; // twips, in the field's own space
    bool wordWrap = false, multiline = false, html = false, embedFonts = false;
    bool border = false, background = false, password = false, selectable = true;
    bool editable = false, condenseWhite = false, useRichText = true;
    AutoSize autoSize = AutoSize::None;
    // Movies before version 8 count a line's trailing spaces in its width in every
    // alignment; later ones only in left-aligned lines.
    bool spacesAlwaysTakeRoom = false;
    std::uint32_t borderColor = 0, backgroundColor = 0xffffff;
    // How the glyphs ask to be smoothed (the text settings tag or scripts); kept for
    // scripts, the drawing does not vary by them.
    bool advancedAntiAlias = false;
    int gridFit = 1; // an index into GridFitNames
    double thickness = 0, sharpness = 0;
    int alpha = 255; // the text's opacity from the field tag
    int maxChars = 0;
    std::string restrict;
    bool hasRestrict = false;
    std::string variable;
    std::string definedText;  // the text the field tag gave, as written (HTML or plain)
    std::uint16_t fontId = 0; // the field tag's font, used when no font of the name is found
    bool hasFont = false;
    FontSource fonts;
    TextFormat newFormat = TextFormat::Defaults(); // complete

    const QString& text() const { return text_; }
    int length() const { return static_cast<int>(text_.size()); }
    // Plain text in the new format; line ends become carriage returns.
    void setText(const QString& text);
    // Markup: <p>, <br>, <b>, <i>, <u>, <a>, <font>, <li>, <textformat>.
    void setHtmlText(const std::string& html);
    std::string htmlText() const;
    // Replaces [begin, end) by text in the format of the character at begin (the new
    // format for an empty field or with useNewFormat).
    void replaceText(int begin, int end, const QString& text, bool useNewFormat = false);

    // The format common to [begin, end); the paragraph parts from the paragraphs there.
    TextFormat format(int begin, int end) const;
    // Applies a format to [begin, end); paragraph parts to whole paragraphs.
    void setFormat(int begin, int end, const TextFormat& format);
    // The complete format of one character (the new format past the end).
    const TextFormat& charFormat(int index) const;

    // Layout and what it measures.
    TextLayout layout() const;
    double textWidth() const;  // pixels
    double textHeight() const; // pixels
    std::vector<LineMetrics> lines() const;
    int scroll = 1;     // first line shown, from 1
    double hscroll = 0; // pixels
    int maxScroll() const;
    int bottomScroll() const;
    double maxHScroll() const;
    // Resizes the area round the text when autoSize asks.
    void fitToText();
    // How far (twips) fitting has moved the area's left edge since last asked; moves it
    // back, for the field's placement to take the move instead.
    double takeShift();
    bool hasShift() const { return shift_ != 0; }

private:
    void insert(int at, const QString& text, std::uint32_t format);
    std::uint32_t formatIndex(const TextFormat& format);
    void compactFormats();

    QString text_;
    std::vector<std::uint32_t> formatOf_; // per character, into formats_
    std::vector<TextFormat> formats_;
    double shift_ = 0;
};

// Whether a character ends a paragraph.
inline bool IsParagraphEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

} // namespace quillon::engine
