// Edit fields drawn with embedded fonts: the font of each HTML run, run styles, line
// breaks and wrapping, alignment, clipping to the field, and advances in whole twips.

#include "player/engine/characters/EditField.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

const QColor Ink(0, 0, 200);

// Glyphs of 20480 units to the em, drawn at 400 twips (20 px): 1 px is 1024 units.
ShapeBuilder Box(std::int32_t left, std::int32_t width, std::int32_t height = 16384) {
    ShapeBuilder box;
    box.setFill0(1);
    box.rectangle(left, -height, width, height);
    return box;
}

// The family "Test": every style draws 'A' as a 16 px high box in its own quarter of the
// 20 px advance (regular 0-5 px, bold 5-10 px, italic 10-15 px), so a pixel tells which
// font drew it. The space is 10 px wide.
FontSpec TestFont(bool bold, bool italic) {
    FontSpec font;
    font.name = "Test";
    font.bold = bold;
    font.italic = italic;
    const int quarter = (bold ? 1 : 0) + (italic ? 2 : 0);
    font.glyphs.push_back({'A', Box(quarter * 5120, 5120), 20480});
    font.glyphs.push_back({' ', ShapeBuilder{}, 10240});
    font.ascent = 16384; // 16 px: the first baseline is 2 + 16 px below the field's top
    font.descent = 4096; // 4 px
    return font;
}

struct Fonts {
    std::uint16_t regular, bold, italic;
};

Fonts DefineFamily(MovieWriter& movie) {
    return {movie.defineFont(TestFont(false, false)), movie.defineFont(TestFont(true, false)),
            movie.defineFont(TestFont(false, true))};
}

// A field at the stage's top left with 20 px text in Ink.
EditTextSpec Field(std::int32_t widthTwips, std::int32_t heightTwips, std::uint16_t fontId,
                   const std::string& text) {
    EditTextSpec field;
    field.xmax = widthTwips;
    field.ymax = heightTwips;
    field.fontId = fontId;
    field.height = 400;
    field.color = {0, 0, 200};
    field.text = text;
    return field;
}

QImage DrawField(MovieWriter& movie, const EditTextSpec& field) {
    movie.place(Place{1, movie.defineEditText(field)});
    movie.showFrame();
    return RenderFrame(movie.bytes());
}

// Which quarters of the character cell at x (its left edge in px) hold ink at row y.
std::string QuartersInked(const QImage& image, int x, int y = 10) {
    std::string inked;
    for (int q = 0; q < 3; ++q) {
        inked += PixelIs(image, x + q * 5 + 2, y, Ink) ? "rbi"[q] : '-';
    }
    return inked;
}

} // namespace

TEST(EngineEditText, HtmlRunsDrawWithTheEmbeddedFontOfTheirStyle) {
    MovieWriter movie(200, 40);
    movie.setBackground({255, 255, 255});
    const Fonts fonts = DefineFamily(movie);
    // The field's own font is the bold one: plain runs must still take the regular font.
    EditTextSpec field = Field(4000, 800, fonts.bold,
                               "<b>A</b>A<i>A</i><b><i>A</i></b><font face=\"Other\">A</font>");
    field.html = true;
    const QImage image = DrawField(movie, field);
    // cells start 2 px in and are 20 px apart
    EXPECT_EQ(QuartersInked(image, 2), "-b-");
    EXPECT_EQ(QuartersInked(image, 22), "r--");
    EXPECT_EQ(QuartersInked(image, 42), "--i");
    // no bold italic font: the closest style, bold, stands in
    EXPECT_EQ(QuartersInked(image, 62), "-b-");
    // a face the movie does not embed is not drawn with this family's glyphs
    EXPECT_EQ(QuartersInked(image, 82), "---");
}

TEST(EngineEditText, HtmlFontTagSetsSizeAndColour) {
    MovieWriter movie(200, 40);
    movie.setBackground({255, 255, 255});
    const Fonts fonts = DefineFamily(movie);
    EditTextSpec field =
        Field(4000, 800, fonts.regular,
              "<font color=\"#00c800\" size=\"40\">A</font><font size=\"-10\">A</font>");
    field.html = true;
    const QImage image = DrawField(movie, field);
    // 40 px: the glyph is 32 px high on a baseline 34 px down, 10 px wide
    EXPECT_PIXEL(image, 5, 30, QColor(0, 200, 0));
    EXPECT_PIXEL(image, 5, 5, QColor(0, 200, 0));
    EXPECT_PIXEL(image, 15, 30, White);
    // "-10" is relative to the 20 px in force: 10 px, after the 40 px cell (2 + 40 px)
    EXPECT_PIXEL(image, 43, 32, Ink);
    EXPECT_PIXEL(image, 43, 24, White); // 8 px high: rows 26..34
}

TEST(EngineEditText, PlainFieldLinesFollowTheFontLayoutAndStayInTheField) {
    const auto draw = [](bool multiline, std::int32_t heightTwips) {
        MovieWriter movie(200, 80);
        movie.setBackground({255, 255, 255});
        const Fonts fonts = DefineFamily(movie);
        EditTextSpec field = Field(4000, heightTwips, fonts.regular, "A\rA");
        field.multiline = multiline;
        field.leading = 40;
        return DrawField(movie, field);
    };
    const QImage tall = draw(true, 1600);
    EXPECT_PIXEL(tall, 4, 10, Ink);   // line 1: rows 2..18
    EXPECT_PIXEL(tall, 4, 21, White); // descent 4 px and leading 2 px between the lines
    // line 2: baseline 18 + 4 + 2 + 16 = 40 px
    EXPECT_PIXEL(tall, 4, 26, Ink);
    EXPECT_PIXEL(tall, 4, 39, Ink);
    EXPECT_PIXEL(tall, 4, 42, White);

    // a single-line field too shows each paragraph of its text on a line of its own
    const QImage single = draw(false, 1600);
    EXPECT_PIXEL(single, 4, 10, Ink);
    EXPECT_PIXEL(single, 4, 30, Ink);
    EXPECT_PIXEL(single, 4, 42, White);

    const QImage shortField = draw(true, 600); // 30 px: line 2 is cut at the field's edge
    EXPECT_PIXEL(shortField, 4, 28, Ink);
    EXPECT_PIXEL(shortField, 4, 33, White);
}

TEST(EngineEditText, WrappedLinesAlignAndJustify) {
    const auto draw = [](std::uint8_t align, const std::string& text) {
        MovieWriter movie(200, 80);
        movie.setBackground({255, 255, 255});
        const Fonts fonts = DefineFamily(movie);
        // 100 px wide: 96 px for text; "A A A" takes 80 px, a fourth word wraps
        EditTextSpec field = Field(2000, 1600, fonts.regular, text);
        field.multiline = true;
        field.wordWrap = true;
        field.align = align;
        return DrawField(movie, field);
    };
    const QImage left = draw(0, "A A A A");
    EXPECT_PIXEL(left, 64, 10, Ink);   // third A at 2 + 60 px
    EXPECT_PIXEL(left, 95, 10, White); // the fourth went to the next line...
    EXPECT_PIXEL(left, 4, 30, Ink);    // ...at baseline 18 + 4 + 16 = 38 px

    // justified: the 16 px left over widen the two spaces, the third A ends the line
    const QImage justified = draw(3, "A A A A");
    EXPECT_PIXEL(justified, 80, 10, Ink);
    EXPECT_PIXEL(justified, 64, 10, White);
    EXPECT_PIXEL(justified, 4, 30, Ink); // the paragraph's last line stays on the left
    EXPECT_PIXEL(justified, 80, 30, White);

    const QImage right = draw(1, "A"); // right: 2 + 96 - 20 = 78 px
    EXPECT_PIXEL(right, 80, 10, Ink);
    EXPECT_PIXEL(right, 4, 10, White);
}

TEST(EngineEditText, AdvancesAreWholeTwips) {
    MovieWriter movie(240, 40);
    movie.setBackground({255, 255, 255});
    FontSpec font;
    font.name = "Bars";
    // a 1 px bar advancing 4095 units: 79.98 twips at 20 px, laid out as 79
    font.glyphs.push_back({'I', Box(0, 1024), 4095});
    font.ascent = 16384;
    font.descent = 4096;
    const auto id = movie.defineFont(font);
    const QImage image = DrawField(movie, Field(4800, 800, id, std::string(41, 'I')));
    // bar 40 starts at 40 + 40 * 79 twips = 160 px (at 161.96 px were fractions kept)
    EXPECT_PIXEL(image, 160, 10, Ink);
    EXPECT_PIXEL(image, 162, 10, White);
}

TEST(EngineHtmlText, ParagraphsAlignmentAndEntities) {
    engine::EditField field;
    field.multiline = true;
    field.newFormat.font = "Base";
    field.newFormat.align = engine::TextAlign::Right;
    field.setHtmlText("<P ALIGN='center'>a&amp;b&#65;&#x42;&bogus;</P><p>c<br/>d</p>");
    EXPECT_EQ(field.text(), QString("a&bAB&bogus;\rc\rd\r"));
    EXPECT_EQ(field.charFormat(0).align, engine::TextAlign::Center);
    EXPECT_EQ(field.charFormat(13).align, engine::TextAlign::Left); // <p> states its own
    // text after an unfinished tag is dropped, text before it kept
    field.setHtmlText("ab<font");
    EXPECT_EQ(field.text(), QString("ab"));
    // a closing </p> ends the line; an opening <p> does not start one
    field.setHtmlText("<p>x</p>y<p>z</p>");
    EXPECT_EQ(field.text(), QString("x\ryz\r"));
}

TEST(EngineHtmlText, NestedStylesOpenAndClose) {
    engine::EditField field;
    field.newFormat.font = "Base";
    field.newFormat.size = 12;
    field.setHtmlText("<b>x<i>y</i>z</b><font face=\"F\" size=\"+2\" color=\"#ff0000\" "
                      "letterSpacing=\"1.5\">w</font>v");
    ASSERT_EQ(field.text(), QString("xyzwv"));
    EXPECT_TRUE(*field.charFormat(0).bold && !*field.charFormat(0).italic);
    EXPECT_TRUE(*field.charFormat(1).bold && *field.charFormat(1).italic);
    EXPECT_TRUE(*field.charFormat(2).bold && !*field.charFormat(2).italic);
    const engine::TextFormat& w = field.charFormat(3);
    EXPECT_EQ(*w.font, "F");
    EXPECT_DOUBLE_EQ(*w.size, 14);
    EXPECT_DOUBLE_EQ(*w.letterSpacing, 1.5);
    EXPECT_EQ(*w.color, 0xff0000u);
    EXPECT_FALSE(*w.bold);
    EXPECT_EQ(field.charFormat(4), field.newFormat);
}
