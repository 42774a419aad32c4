// Movies built to exhaust the engine: shapes past the edge limit, sprites that multiply
// at every level, bitmaps declared huge over a few bytes. Each loads and draws within
// the engine's limits and says what it left out.

#include "player/engine/display/DisplayList.h"
#include "player/engine/parse/ParseContext.h"
#include "player/engine/parse/ShapeParser.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

bool Warned(const engine::MovieEngine& engine, const std::string& part) {
    for (const auto& warning : engine.warnings()) {
        if (warning.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A zigzag of n edges in the left half of a 1000-twip square, filled red.
ShapeBuilder Zigzag(std::size_t n) {
    ShapeBuilder shape;
    shape.setFill1(shape.addSolidFill({255, 0, 0}));
    shape.moveTo(0, 0);
    for (std::size_t i = 0; i < n; ++i) {
        shape.lineTo(static_cast<std::int32_t>(i % 500), i % 2 ? 1000 : 0);
    }
    shape.lineTo(0, 0);
    return shape;
}

// A 40 x 40 pixel movie: a 20-pixel rectangle inside levels of sprites, each placing the
// level below `copies` times (each copy half a pixel further down and right).
Bytes SpriteTower(int levels, int copies, Rgba color) {
    MovieWriter movie(40, 40);
    std::uint16_t below = movie.defineRectangle(0, 0, 400, 400, color);
    for (int level = 0; level < levels; ++level) {
        TagStream inner;
        for (int copy = 0; copy < copies; ++copy) {
            inner.place(Place{1 + copy, below}.at(10 * copy, 10 * copy));
        }
        inner.showFrame();
        below = movie.defineSprite(inner);
    }
    movie.place(Place{1, below});
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(EngineLimits, EdgesPastTheShapeLimitAreCut) {
    MovieWriter movie(50, 50);
    // Reading stops at the limit, so a shape of millions of edges costs no more than this.
    movie.place(Place{1, movie.defineShape(Zigzag(engine::MaxShapeEdges + 1000))});
    movie.showFrame();
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    EXPECT_FALSE(engine.warnings().empty()) << "the cut shape is reported";
    const QImage image = Draw(engine, QSize(50, 50));
    // Whatever was kept of the edges stays where they were.
    EXPECT_PIXEL(image, 40, 25, QColor(255, 255, 255));
    EXPECT_PIXEL(image, 48, 48, QColor(255, 255, 255));
}

TEST(EngineLimits, SpritesThatDoubleAtEveryLevelStopAtTheInstanceLimit) {
    // Level k places level k-1 twice: 2^40 rectangles if nothing stopped it.
    engine::MovieEngine engine;
    engine.loadBytes(SpriteTower(40, 2, {0, 0, 255}));
    engine.advance();
    engine.advance();
    const QImage image = Draw(engine, QSize(40, 40));
    EXPECT_TRUE(Warned(engine, std::to_string(engine::MaxLiveInstances)));
    // What fits under the limit is drawn.
    EXPECT_PIXEL(image, 2, 2, QColor(0, 0, 255));
    EXPECT_PIXEL(image, 38, 38, QColor(255, 255, 255));
}

TEST(EngineLimits, DeeplyNestedSpritesStopAtTheNestingLimit) {
    engine::MovieEngine engine;
    engine.loadBytes(SpriteTower(5000, 1, {0, 255, 0}));
    engine.advance();
    const QImage image = Draw(engine, QSize(40, 40));
    EXPECT_TRUE(Warned(engine, "nested deeper than " + std::to_string(engine::MaxClipNesting)));
    EXPECT_PIXEL(image, 5, 5, QColor(255, 255, 255)); // the rectangle is past the limit
}

TEST(EngineLimits, HugeBitmapsDeclaredOverFewBytesAreNotDecoded) {
    MovieWriter movie(40, 40);
    Bytes pixels(64, 0x7f);
    uLongf packedSize = compressBound(pixels.size());
    Bytes packed(packedSize);
    ASSERT_EQ(compress(packed.data(), &packedSize, pixels.data(), pixels.size()), Z_OK);
    packed.resize(packedSize);
    const auto lossless = [&](std::uint16_t width, std::uint16_t height) {
        const std::uint16_t id = movie.takeId();
        BitWriter body;
        body.u16(id);
        body.u8(5); // 32-bit pixels
        body.u16(width);
        body.u16(height);
        body.bytes(packed);
        movie.tag(36, body.data()); // DefineBitsLossless2
        return id;
    };
    const std::uint16_t plausible = lossless(4, 4);
    const std::uint16_t declaredHuge = lossless(4000, 4000); // 64 MB from 64 bytes
    const std::uint16_t pastLimit = lossless(65535, 65535);
    for (const std::uint16_t id : {plausible, declaredHuge, pastLimit}) {
        ShapeBuilder shape;
        shape.setFill1(shape.addBitmapFill(id, Matrix::scale(20, 20)));
        shape.rectangle(0, 0, 800, 800);
        movie.place(Place{id, movie.defineShape(shape)});
    }
    movie.showFrame();
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    EXPECT_TRUE(Warned(engine, "bitmap " + std::to_string(declaredHuge) +
                                   ": bitmap of 4000 x 4000 pixels holds only"));
    EXPECT_TRUE(Warned(engine, "bitmap " + std::to_string(pastLimit) + ": bitmap larger"));
    EXPECT_FALSE(Warned(engine, "bitmap " + std::to_string(plausible) + ":"));
    EXPECT_FALSE(Draw(engine, QSize(40, 40)).isNull());
}
