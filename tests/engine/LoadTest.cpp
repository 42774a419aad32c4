// Loading movies: header values, the real frame count, plain and compressed forms, and
// the errors for files that hold no movie.

#include "codec/Errors.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

TEST(EngineLoad, ReadsStageRateBackgroundAndRealFrameCount) {
    MovieWriter movie(320, 240, 24.5);
    movie.setBackground({10, 20, 30});
    movie.setHeaderFrameCount(99); // real files often get this wrong
    movie.showFrame();
    movie.showFrame();
    movie.showFrame();
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(engine.frameCount(), 3);
    EXPECT_EQ(engine.frameRate8_8(), 24 * 256 + 128);
    EXPECT_EQ(engine.frameRect(), QRectF(0, 0, 6400, 4800));
    EXPECT_EQ(engine.backgroundColor(), QColor(10, 20, 30));
    EXPECT_EQ(engine.currentFrame(), 0);
}

TEST(EngineLoad, CompressedAndPlainFormsDrawTheSame) {
    MovieWriter movie(100, 80);
    movie.place(Place{1, movie.defineRectangle(200, 200, 600, 600, {255, 0, 0})});
    movie.showFrame();
    engine::MovieEngine plain, packed;
    plain.loadBytes(movie.bytes());
    packed.loadBytes(movie.compressedBytes());
    EXPECT_EQ(packed.frameCount(), plain.frameCount());
    EXPECT_EQ(packed.frameRect(), plain.frameRect());
    EXPECT_EQ(Draw(packed), Draw(plain));
    EXPECT_TRUE(packed.warnings().empty());
}

TEST(EngineLoad, MissingBackgroundIsWhiteAndEmptyMovieHasOneFrame) {
    MovieWriter movie(50, 50);
    engine::MovieEngine engine;
    engine.loadBytes(movie.bytes());
    EXPECT_EQ(engine.backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(engine.frameCount(), 1);
    EXPECT_PIXEL(Draw(engine), 25, 25, QColor(Qt::white));
}

TEST(EngineLoad, RejectsFilesThatHoldNoMovie) {
    engine::MovieEngine engine;
    EXPECT_THROW(engine.loadBytes({'F', 'W', 'S'}), QuillonError);
    EXPECT_THROW(engine.loadBytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}), QuillonError);
    EXPECT_THROW(engine.load("/nonexistent/movie.swf"), EFOpenError);
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(engine.frameCount(), 0);
}

TEST(EngineLoad, AFailedLoadKeepsThePreviousMovie) {
    engine::MovieEngine engine;
    engine.loadBytes(MakeShapesMovie(100, 100, 12, 4));
    EXPECT_THROW(engine.loadBytes({'x'}), QuillonError);
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(engine.frameCount(), 4);
}
