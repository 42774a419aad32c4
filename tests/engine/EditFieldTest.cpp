// The text field model: formats over ranges, markup written as the player writes it,
// text replaced in place, and what the layout measures (with fonts measured by size).

#include "player/engine/characters/EditField.h"

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
    field.setText("a\r\nb\nc");
    EXPECT_EQ(field.text(), QString("a\rb\rc"));
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

} // namespace
