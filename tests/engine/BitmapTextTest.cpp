// Bitmaps (lossless with alpha, JPEG), bitmap fills, and static text with embedded glyphs.

#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

// A 2x2 bitmap: red, green / blue, half-transparent black.
std::vector<std::uint32_t> FourPixels() {
    return {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0x80000000u};
}

} // namespace

TEST(EngineBitmap, LosslessBitmapFillScalesItsPixels) {
    MovieWriter movie(80, 80);
    movie.setBackground({255, 255, 255});
    const auto bitmap = movie.defineBitmap(2, 2, FourPixels());
    ShapeBuilder shape;
    // one bitmap pixel = 40 screen pixels = 800 twips
    shape.setFill1(shape.addBitmapFill(bitmap, Matrix::scale(800, 800), false, false));
    shape.rectangle(0, 0, 1600, 1600);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 20, 20, QColor(255, 0, 0));
    EXPECT_PIXEL(image, 60, 20, QColor(0, 255, 0));
    EXPECT_PIXEL(image, 20, 60, QColor(0, 0, 255));
    EXPECT_PIXEL(image, 60, 60, QColor(127, 127, 127)); // half black over white
}

TEST(EngineBitmap, RepeatingFillTilesTheBitmap) {
    MovieWriter movie(80, 40);
    const auto bitmap = movie.defineBitmap(2, 2, FourPixels());
    ShapeBuilder shape;
    shape.setFill1(shape.addBitmapFill(bitmap, Matrix::scale(200, 200), true, false));
    shape.rectangle(0, 0, 1600, 800); // 80x40 px; tiles of 20x20 px
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 5, 5, QColor(255, 0, 0));
    EXPECT_PIXEL(image, 25, 5, QColor(255, 0, 0)); // the next tile starts again with red
    EXPECT_PIXEL(image, 35, 5, QColor(0, 255, 0));
    EXPECT_PIXEL(image, 65, 35, QColor(0, 0, 255));
}

TEST(EngineBitmap, JpegBitmapDecodes) {
    std::vector<std::uint32_t> pixels(32 * 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            pixels[static_cast<std::size_t>(y * 32 + x)] = x < 16 ? 0xff0000u : 0x0000ffu;
        }
    }
    MovieWriter movie(32, 32);
    const auto bitmap = movie.defineJpeg(EncodeJpeg(32, 32, pixels, 95));
    ShapeBuilder shape;
    shape.setFill1(shape.addBitmapFill(bitmap, Matrix::scale(20, 20), false, false));
    shape.rectangle(0, 0, 640, 640);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_TRUE(engine.warnings().empty());
    const QImage image = Draw(engine);
    EXPECT_TRUE(PixelIs(image, 4, 16, QColor(255, 0, 0), 24)) << Describe(image, 4, 16);
    EXPECT_TRUE(PixelIs(image, 27, 16, QColor(0, 0, 255), 24)) << Describe(image, 27, 16);
}

TEST(EngineBitmap, RedefinedBitmapIdShowsTheLatestPicture) {
    // movies made by FFmpeg free and redefine one bitmap id for every frame
    MovieWriter movie(20, 20);
    const std::uint16_t bitmapId = 50;
    ShapeBuilder shape;
    shape.setFill1(shape.addBitmapFill(bitmapId, Matrix::scale(400, 400), false, false));
    shape.rectangle(0, 0, 400, 400);
    const auto shapeId = movie.defineShape(shape);
    for (std::uint32_t colour : {0xffff0000u, 0xff00ff00u}) {
        BitWriter body;
        body.u16(bitmapId);
        body.u8(5);
        body.u16(1);
        body.u16(1);
        // zlib stream of one ARGB pixel, made by the writer's own bitmap path
        MovieWriter scratch(1, 1);
        scratch.defineBitmap(1, 1, {colour});
        const Bytes& tags = scratch.tags();
        body.bytes(std::span(tags).subspan(2 + 2 + 1 + 4)); // header, id, format, size
        if (colour != 0xffff0000u) {
            movie.remove(1);
            movie.tag(3, std::vector<std::uint8_t>{bitmapId, 0}); // FreeCharacter
        }
        movie.tag(36, body.data());
        movie.place(Place{1, shapeId});
        movie.showFrame();
    }
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_PIXEL(Draw(engine), 10, 10, QColor(255, 0, 0));
    engine.advance();
    EXPECT_PIXEL(Draw(engine), 10, 10, QColor(0, 255, 0));
}

TEST(EngineText, StaticTextDrawsEmbeddedGlyphsAlongTheBaseline) {
    MovieWriter movie(100, 40);
    movie.setBackground({255, 255, 255});
    ShapeBuilder box; // a glyph: a square from the baseline up to the em height
    box.setFill0(1);
    box.rectangle(0, -1024, 1024, 1024);
    ShapeBuilder bar; // a thin bar on the baseline
    bar.setFill0(1);
    bar.rectangle(0, -256, 1024, 256);
    const auto font = movie.defineFont({box, bar});
    // 20 px glyphs, advance 40 px, baseline at y = 30 px
    const auto text = movie.defineText(font, 400, {0, 0, 200, 255}, 200, 600, {{0, 800}, {1, 800}});
    movie.place(Place{1, text});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 20, 20, QColor(0, 0, 200)); // inside the square glyph
    EXPECT_PIXEL(image, 20, 5, White);              // above it
    EXPECT_PIXEL(image, 60, 28, QColor(0, 0, 200)); // the bar
    EXPECT_PIXEL(image, 60, 20, White);             // above the bar
}
