// Damaged movies: truncated, with broken tags, or nested without end, load what they
// can with warnings and never crash or hang.

#include "codec/Errors.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

TEST(EngineRobustness, EveryTruncationLoadsOrFailsCleanly) {
    MovieWriter movie(60, 60);
    movie.setBackground({255, 255, 255});
    const auto bitmap =
        movie.defineBitmap(2, 2, {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffffffu});
    ShapeBuilder shape;
    shape.setFill1(shape.addBitmapFill(bitmap, Matrix::scale(300, 300)));
    shape.setLine(shape.addLineStyle(40, {0, 0, 0}));
    shape.rectangle(0, 0, 1200, 1200);
    const auto id = movie.defineShape(shape);
    TagStream inner;
    inner.place(Place{1, id});
    inner.showFrame();
    movie.place(Place{1, movie.defineSprite(inner)});
    movie.showFrame();
    const Bytes whole = movie.bytes();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        engine::MovieEngine engine;
        try {
            engine.loadBytes(cut);
        } catch (const QuillonError&) {
            EXPECT_LT(length, 8u) << "only files without a whole header may be refused";
            continue;
        }
        engine.advance();
        const QImage image = Draw(engine, QSize(30, 30));
        EXPECT_FALSE(image.isNull());
    }
}

TEST(EngineRobustness, UnknownAndOverlongTagsAreSkippedWithAWarning) {
    MovieWriter movie(40, 40);
    movie.tag(200, std::vector<std::uint8_t>{1, 2, 3});
    movie.place(Place{1, movie.defineRectangle(0, 0, 800, 800, {255, 0, 0})});
    movie.showFrame();
    Bytes bytes = movie.bytes();
    // a last tag that claims far more bytes than the file has
    bytes.pop_back();
    bytes.pop_back();
    for (std::uint8_t b : {0x3f, 0x03, 0xff, 0xff, 0x00, 0x00, 0x01}) { // DoAction, 65535 bytes
        bytes.push_back(b);
    }
    engine::MovieEngine engine;
    engine.loadBytes(bytes);
    EXPECT_EQ(engine.frameCount(), 2);
    EXPECT_GE(engine.warnings().size(), 2u);
    EXPECT_PIXEL(Draw(engine), 20, 20, QColor(255, 0, 0));
}

TEST(EngineRobustness, SelfContainingSpriteStopsAtTheNestingLimit) {
    MovieWriter movie(40, 40);
    const std::uint16_t spriteId = movie.nextId();
    TagStream inner;
    inner.place(Place{1, spriteId}); // the sprite places itself
    inner.showFrame();
    EXPECT_EQ(movie.defineSprite(inner), spriteId);
    movie.place(Place{1, spriteId});
    movie.showFrame();
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    engine.advance();
    Draw(engine);
    bool warned = false;
    for (const auto& w : engine.warnings()) {
        warned = warned || w.find("nested") != std::string::npos;
    }
    EXPECT_TRUE(warned);
}

TEST(EngineRobustness, PlacingAnUndefinedCharacterIsSkipped) {
    MovieWriter movie(40, 40);
    movie.place(Place{1, 77});
    movie.showFrame();
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    EXPECT_FALSE(engine.warnings().empty());
    EXPECT_PIXEL(Draw(engine), 20, 20, QColor(255, 255, 255));
}
