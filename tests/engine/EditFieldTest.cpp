// The text field model: formats over ranges, markup written as the player writes it,
// text replaced in place, and what the layout measures (with fonts measured by size).

#include "player/engine/characters/EditField.h"

#include "player/engine/characters/Characters.h"
#include "player/engine/characters/TextLayout.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quillon::engine;

namespace {

EditField Field(double widthPx, double heightPx) {
    EditField field;
    field.area = QRectF(0, 0, widthPx * 20, heightPx * 20);
    return field;
}

TEST(EditField, PlainTextTakesTheNewFormatAndCarriageReturns) {
    EditField field = Field(100, 100);
    field.newFormat.size = 20;
    field.setText("a\r\nb\nc"); // a line feed ends a paragraph after a carriage return too
    EXPECT_EQ(field.text(), QString("a\r\rb\rc"));
    EXPECT_EQ(*field.format(0, field.length()).size, 20);
}

TEST(EditField, FormatsOverRangesKeepOnlyWhatIsCommon) {
    EditField field = Field(100, 100);
    field.setText("hello\rworld");
    TextFormat bold;
    bold.bold = true;
    bold.align = TextAlign::Center; // a paragraph part: the whole first paragraph
    field.setFormat(1, 3, bold);
    EXPECT_TRUE(*field.format(1, 3).bold);
    EXPECT_FALSE(field.format(0, 3).bold.has_value()); // mixed
    EXPECT_EQ(field.format(0, 5).align, TextAlign::Center);
    EXPECT_EQ(field.format(6, 11).align, TextAlign::Left);
    EXPECT_EQ(*field.format(0, 11).font, "Times New Roman");
    // empty and reversed ranges read the character at the start
    EXPECT_TRUE(*field.format(2, 2).bold);
}

TEST(EditField, MarkupIsWrittenAsThePlayerWritesIt) {
    EditField field = Field(100, 100);
    field.multiline = true;
    field.newFormat.leading = 2;
    field.setHtmlText("<p>hello <b>bold</b></p><p align=\"right\"><font size=\"14\">x</font>"
                      "<a href=\"u\">&lt;</a></p>");
    EXPECT_EQ(field.htmlText(),
              "<TEXTFORMAT LEADING=\"2\"><P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" "
              "SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">hello "
              "<B>bold</B></FONT></P></TEXTFORMAT><TEXTFORMAT LEADING=\"2\"><P ALIGN=\"RIGHT\">"
              "<FONT FACE=\"Times New Roman\" SIZE=\"14\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
              "KERNING=\"0\">x<FONT SIZE=\"12\"><A HREF=\"u\" TARGET=\"\">&lt;</A></FONT></FONT>"
              "</P></TEXTFORMAT>");
    field.setText("");
    EXPECT_EQ(field.htmlText(), "");
}

TEST(EditField, ReplacedTextTakesTheFormatWhereItGoes) {
    EditField field = Field(100, 100);
    field.setText("abc");
    TextFormat big;
    big.size = 30;
    field.setFormat(1, 2, big);
    field.replaceText(1, 2, "XY");
    EXPECT_EQ(field.text(), QString("aXYc"));
    EXPECT_EQ(*field.format(1, 3).size, 30);
    EXPECT_EQ(*field.charFormat(3).size, 12);
    field.replaceText(10, 20, "!"); // past the end: appended
    EXPECT_EQ(field.text(), QString("aXYc!"));
}

TEST(EditField, DeviceFontLinesMeasureInWholePixels) {
    for (const int size : {11, 12, 14, 17, 30}) {
        EditField field = Field(200, 100);
        field.newFormat.size = size;
        field.setText("Ag");
        const LineMetrics line = field.lines().at(0);
        EXPECT_EQ(line.ascent, std::round(line.ascent)) << size;
        EXPECT_EQ(line.descent, std::round(line.descent)) << size;
        EXPECT_GT(line.ascent, size * 0.6) << size;
        EXPECT_LT(line.descent, size * 0.5) << size;
    }
}

TEST(EditField, LinesScrollAndAutoSize) {
    EditField field = Field(100, 40);
    field.multiline = true;
    field.setText("1\r2\r3\r4\r5");
    // a 12 px line is 13 to 15 px high, whatever measures it: two fit in 36 px
    EXPECT_EQ(field.lines().size(), 5u);
    EXPECT_GT(field.maxScroll(), 1);
    EXPECT_EQ(field.bottomScroll(), 2);
    EXPECT_GT(field.textHeight(), 40);
    field.autoSize = AutoSize::Right;
    const double right = field.area.right();
    field.fitToText();
    EXPECT_DOUBLE_EQ(field.area.right(), right);
    EXPECT_DOUBLE_EQ(field.area.height(), field.textHeight() * 20 + 80);
    EXPECT_EQ(field.maxScroll(), 1);
    EXPECT_EQ(field.bottomScroll(), 5);
    field.setText("");
    EXPECT_EQ(field.textHeight(), 0);
}

TEST(EditField, WordsWrapAtTheWidth) {
    EditField field = Field(40, 100);
    field.wordWrap = field.multiline = true;
    field.setText("aaa bbb ccc");
    const auto lines = field.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].firstChar, 0);
    EXPECT_EQ(field.text().mid(lines[1].firstChar, 3), QString("bbb"));
    EXPECT_DOUBLE_EQ(field.maxHScroll(), 0);
}

// A font of 20480 units to the em with one glyph per character: "w" 0.55 em wide, the
// space 0.25 em, ascent 0.8 em and descent 0.2 em plus a little, so that at most sizes
// the twips come out in fractions.
std::shared_ptr<FontCharacter> MeasuredFont() {
    auto font = std::make_shared<FontCharacter>();
    font->name = "Measured";
    font->emSize = 20480;
    font->hasLayout = true;
    font->ascent = 16400;
    font->descent = 4150;
    for (const auto& [code, advance] : {std::pair{u'w', 11264.0}, std::pair{u' ', 5120.0}}) {
        font->codes.push_back(code);
        font->advances.push_back(advance);
        QPainterPath box;
        box.addRect(0, -10000, advance, 10000);
        font->glyphs.push_back(box);
    }
    return font;
}

EditField EmbeddedField(const std::shared_ptr<FontCharacter>& font, double widthPx, double size) {
    EditField field = Field(widthPx, 100);
    field.embedFonts = true;
    field.fonts.byStyle = [font](const std::string& name, bool, bool) {
        return name == font->name ? font.get() : nullptr;
    };
    field.newFormat.font = font->name;
    field.newFormat.size = size;
    return field;
}

TEST(EditField, EmbeddedFontsMeasureInWholeTwipsRoundedDown) {
    const auto font = MeasuredFont();
    struct Case {
        double size;
        double ascent, descent; // pixels
    };
    // ascent 16400 / 20480 em and descent 4150 / 20480 em, to whole twips below
    for (const Case c : {Case{10, 8, 2.00}, Case{12, 9.6, 2.4}, Case{13, 10.4, 2.6},
                         Case{17, 13.6, 3.40}, Case{30, 24, 6.05}}) {
        EditField field = EmbeddedField(font, 200, c.size);
        field.setText("w");
        const LineMetrics line = field.lines().at(0);
        EXPECT_DOUBLE_EQ(line.ascent, c.ascent) << c.size;
        EXPECT_DOUBLE_EQ(line.descent, c.descent) << c.size;
    }
}

TEST(EditField, TextHeightCountsTheLeadingOfALoneLineOnly) {
    const auto font = MeasuredFont();
    EditField field = EmbeddedField(font, 200, 20); // lines of 16 + 4.05 px
    field.multiline = true;
    field.newFormat.leading = 5;
    field.setText("w");
    EXPECT_DOUBLE_EQ(field.textHeight(), 25.05);
    field.setText("w\rw\rw");
    EXPECT_DOUBLE_EQ(field.textHeight(), 3 * 20.05 + 2 * 5);
    field.autoSize = AutoSize::Left;
    field.fitToText();
    EXPECT_DOUBLE_EQ(field.area.height(), (3 * 20.05 + 2 * 5 + 4) * 20);
}

TEST(EditField, TrailingSpacesTakeRoomInLeftAlignedLines) {
    const auto font = MeasuredFont();
    struct Case {
        TextAlign align;
        bool always;  // a movie before version 8
        double width; // pixels: "w" is 11 px, a space 5 px at 20 px
    };
    for (const Case c : {Case{TextAlign::Left, false, 21}, Case{TextAlign::Right, false, 11},
                         Case{TextAlign::Center, false, 11}, Case{TextAlign::Right, true, 21},
                         Case{TextAlign::Center, true, 21}}) {
        EditField field = EmbeddedField(font, 200, 20);
        field.spacesAlwaysTakeRoom = c.always;
        field.newFormat.align = c.align;
        field.setText("w  ");
        EXPECT_DOUBLE_EQ(field.textWidth(), c.width) << static_cast<int>(c.align) << c.always;
    }
}

TEST(EditField, TabsReachTheNextStop) {
    const auto font = MeasuredFont();
    struct Case {
        std::vector<double> stops; // none: the font's own, every 2 x (16 + 4.05) px
        const char* text;
        double width; // pixels: "w" is 11 px at 20 px
    };
    const std::vector<Case> cases = {
        {{30, 50}, "w\tw\tw\tw", 72}, // past the last stop a tab takes no room
        {{5, 30}, "w\tw", 41},        // stops behind the text are passed by
        {{5}, "w\tw", 22},
        {{}, "w\tw\tw", 91.2},
        {{}, "\tw", 51.1},
    };
    for (const Case& c : cases) {
        EditField field = EmbeddedField(font, 400, 20);
        if (!c.stops.empty()) {
            field.newFormat.tabStops = c.stops;
        }
        field.setText(c.text);
        EXPECT_NEAR(field.textWidth(), c.width, 1e-9) << c.text << " " << c.stops.size();
    }
    // a tab is no place to break: a line too long for its width breaks where it runs out
    EditField field = EmbeddedField(font, 60, 20);
    field.wordWrap = field.multiline = true;
    field.newFormat.tabStops = std::vector<double>{50};
    field.setText("w\tww");
    const auto lines = field.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].firstChar, 2);
    EXPECT_DOUBLE_EQ(field.textWidth(), 50);
}

TEST(EditField, BulletedParagraphsStandInAndMarkTheirFirstLine) {
    const auto font = MeasuredFont();
    EditField field = EmbeddedField(font, 4 + 36 + 40, 20); // room for 40 px of text
    field.wordWrap = field.multiline = true;
    field.setText("ww ww\rww"); // "ww ww" is 49 px: too wide
    TextFormat bullet;
    bullet.bullet = true;
    field.setFormat(0, 1, bullet);
    const TextLayout layout = field.layout();
    ASSERT_EQ(layout.lines.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.lines[0].left, 40 + 36 * 20);
    EXPECT_DOUBLE_EQ(layout.lines[1].left, 40 + 36 * 20);
    EXPECT_DOUBLE_EQ(layout.lines[2].left, 40); // the next paragraph has no bullet
    ASSERT_TRUE(layout.lines[0].bullet.has_value());
    EXPECT_LT(layout.lines[0].bullet->x, layout.lines[0].left);
    EXPECT_FALSE(layout.lines[1].bullet.has_value());
    EXPECT_FALSE(layout.lines[2].bullet.has_value());
    // "ww " with its space: the stand-in is no part of the text's width
    EXPECT_DOUBLE_EQ(field.textWidth(), 27);
}

TEST(EditField, AutoSizeMovesTheAreaOnlyUntilThePlacementTakesTheMove) {
    const auto font = MeasuredFont();
    EditField field = EmbeddedField(font, 100, 20);
    field.setText("ww");
    field.autoSize = AutoSize::Right;
    field.fitToText();
    // 22 px of text and the 2 px gutters: the right edge stays at 100 px
    EXPECT_DOUBLE_EQ(field.area.left(), (100 - 26) * 20);
    EXPECT_TRUE(field.hasShift());
    EXPECT_DOUBLE_EQ(field.takeShift(), (100 - 26) * 20);
    EXPECT_DOUBLE_EQ(field.area.left(), 0);
    EXPECT_DOUBLE_EQ(field.area.width(), 26 * 20);
    EXPECT_FALSE(field.hasShift());
}

TEST(EditField, SingleLineFieldsShowEachParagraphOnALine) {
    EditField field = Field(100, 100);
    field.setText("a\nb\r\nc");
    ASSERT_EQ(field.lines().size(), 4u);
    EXPECT_EQ(field.lines()[2].firstChar, 4);
    EXPECT_EQ(field.lines()[3].firstChar, 5);
}

TEST(EditField, OnlyMultilineFieldsBreakAtParagraphTags) {
    struct Case {
        const char* html;
        bool multiline;
        const char* text;
    };
    const Case cases[] = {
        {"<p>test</p>\n", false, "test\r"},
        {"<p>test</p>\n", true, "test\r\r"},
        {"<p>a</p><p>b</p>", false, "ab"},
        {"<p>a</p><p>b</p>", true, "a\rb\r"},
        {" <p>a</p> <p>b</p> ", true, " a\r b\r "},
        {"a <br> b", false, "a  b"},
        {"a <br> b", true, "a \r b"},
        {"<li>x</li>", true, "x\r"},
        {"a<li>x</li>", true, "a\rx\r"}, // a list item starts a line, a paragraph not
        {"a<p>x</p>", true, "ax\r"},
        {"<p></p>", false, ""},
        {"<p></p>", true, "\r"},
    };
    for (const Case& c : cases) {
        EditField field = Field(100, 100);
        field.multiline = c.multiline;
        field.setHtmlText(c.html);
        EXPECT_EQ(field.text(), QString(c.text)) << c.html << " multiline " << c.multiline;
    }
}

TEST(EditField, MarkupWritesEachParagraphWithTheReturnThatEndsIt) {
    const std::string font = "<FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
                             "LETTERSPACING=\"0\" KERNING=\"0\">";
    const std::string p = "<P ALIGN=\"LEFT\">" + font;
    const std::string end = "</FONT></P>";
    struct Case {
        const char* html;
        std::string written;
    };
    const Case cases[] = {
        // a return at the very end opens no paragraph
        {"test\n", p + "test" + end},
        {"\n\n", p + end + p + end},
        // an empty paragraph shows its return's style
        {"<b>\n</b>", p + "<B></B>" + end},
        {"<b></b>\n", p + end},
        // the closing return takes the format of the paragraph's last character
        {"<p><font color=\"#111111\">x</font></p>",
         "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#111111\" "
         "LETTERSPACING=\"0\" KERNING=\"0\">x" +
             end},
        {"<font color=\"#111111\">x</font>\n",
         "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#111111\" "
         "LETTERSPACING=\"0\" KERNING=\"0\">x<FONT COLOR=\"#000000\"></FONT>" +
             end},
    };
    for (const Case& c : cases) {
        EditField field = Field(100, 100);
        field.multiline = true;
        field.setHtmlText(c.html);
        EXPECT_EQ(field.htmlText(), c.written) << c.html;
    }
}

} // namespace
