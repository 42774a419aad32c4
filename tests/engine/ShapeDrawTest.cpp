// Drawing shapes: solid fills, gradients, lines, colour transforms, masks, and the view
// rectangle with both scale modes.

#include "support/EngineTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

// A 100x100 stage with a red 40x40 square at (20,20).
Bytes RedSquareMovie() {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    movie.place(Place{1, movie.defineRectangle(0, 0, 800, 800, {255, 0, 0})}.at(400, 400));
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(EngineDraw, SolidSquareIsRedWhereItShouldBeAndBackgroundElsewhere) {
    const QImage image = RenderFrame(RedSquareMovie());
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_PIXEL(image, 21, 21, Red);
    EXPECT_PIXEL(image, 58, 58, Red);
    EXPECT_PIXEL(image, 40, 40, Red);
    EXPECT_PIXEL(image, 18, 40, White);
    EXPECT_PIXEL(image, 62, 40, White);
    EXPECT_PIXEL(image, 90, 90, White);
}

TEST(EngineDraw, ViewRectangleZoomsIntoPartOfTheStage) {
    engine::MovieEngine engine;
    LoadAndRun(engine, RedSquareMovie());
    // the top-left quarter of the stage fills the picture: the square spans 40..100
    const QImage image =
        Draw(engine, QSize(100, 100), engine::ScaleMode::ShowAll, QRectF(0, 0, 1000, 1000));
    EXPECT_PIXEL(image, 30, 30, White);
    EXPECT_PIXEL(image, 45, 45, Red);
    EXPECT_PIXEL(image, 95, 95, Red);
}

TEST(EngineDraw, ShowAllKeepsProportionsAndExactFitStretches) {
    engine::MovieEngine engine;
    LoadAndRun(engine, RedSquareMovie());
    const QImage fitted = Draw(engine, QSize(200, 100), engine::ScaleMode::ShowAll);
    // the stage is centred: 50 pixels of background on each side, square from 70 to 110
    EXPECT_PIXEL(fitted, 60, 50, White);
    EXPECT_PIXEL(fitted, 75, 50, Red);
    EXPECT_PIXEL(fitted, 105, 25, Red);
    EXPECT_PIXEL(fitted, 115, 50, White);
    const QImage stretched = Draw(engine, QSize(200, 100), engine::ScaleMode::ExactFit);
    EXPECT_PIXEL(stretched, 45, 50, Red);
    EXPECT_PIXEL(stretched, 115, 50, Red);
    EXPECT_PIXEL(stretched, 35, 50, White);
    EXPECT_PIXEL(stretched, 125, 50, White);
}

TEST(EngineDraw, GivenBackgroundReplacesTheMoviesOwn) {
    engine::MovieEngine engine;
    LoadAndRun(engine, RedSquareMovie());
    QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    engine.render(painter, QRectF(0, 0, 50, 50), engine.frameRect(), engine::ScaleMode::ShowAll,
                  QColor(0, 255, 0));
    painter.end();
    EXPECT_PIXEL(image, 2, 2, QColor(0, 255, 0));
    EXPECT_PIXEL(image, 20, 20, Red);
}

TEST(EngineDraw, LinearGradientRunsFromItsFirstColourToItsLast) {
    MovieWriter movie(200, 50);
    ShapeBuilder shape;
    // the gradient square (32768 units) scaled to 4000 twips, centred on x=2000
    const double s = 4000.0 / 32768.0;
    shape.setFill1(shape.addLinearGradient(Matrix::scale(s, s, 2000, 500),
                                           {{0, {255, 0, 0}}, {255, {0, 0, 255}}}));
    shape.rectangle(0, 0, 4000, 1000);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 1, 25, Red);
    EXPECT_PIXEL(image, 198, 25, Blue);
    const QColor middle = image.pixelColor(100, 25);
    EXPECT_NEAR(middle.red(), 128, 16);
    EXPECT_NEAR(middle.blue(), 128, 16);
}

TEST(EngineDraw, RadialGradientHasItsFirstColourAtTheCentre) {
    MovieWriter movie(100, 100);
    ShapeBuilder shape;
    const double s = 2000.0 / 32768.0;
    shape.setFill1(shape.addRadialGradient(Matrix::scale(s, s, 1000, 1000),
                                           {{0, {255, 255, 0}}, {255, {0, 0, 0}}}));
    shape.rectangle(0, 0, 2000, 2000);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 50, 50, QColor(255, 255, 0));
    EXPECT_PIXEL(image, 2, 2, QColor(0, 0, 0)); // beyond the radius the last colour pads
}

TEST(EngineDraw, CurvedEdgesAndLinesAreDrawn) {
    MovieWriter movie(100, 100);
    ShapeBuilder shape;
    shape.setFill1(shape.addSolidFill({0, 0, 255}));
    shape.setLine(shape.addLineStyle(100, {0, 0, 0}));
    shape.moveTo(1600, 1000); // a disc of radius 30 px around (50,50)
    shape.curveTo(1600, 1600, 1000, 1600);
    shape.curveTo(400, 1600, 400, 1000);
    shape.curveTo(400, 400, 1000, 400);
    shape.curveTo(1600, 400, 1600, 1000);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 50, 50, Blue);
    EXPECT_PIXEL(image, 80, 50, QColor(0, 0, 0)); // on the 5 px outline
    EXPECT_PIXEL(image, 90, 50, White);
    EXPECT_PIXEL(image, 12, 12, White); // a curve, not a square
}

TEST(EngineDraw, ColourTransformWithAlphaTintsTheShape) {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    const auto square = movie.defineRectangle(0, 0, 2000, 2000, {255, 0, 0});
    Place place{1, square};
    place.colorXf = ColorXf{0, 256, 256, 128, 0, 0, 255, 0}; // red -> blue, half alpha
    movie.place(place);
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 50, 50, QColor(127, 127, 255));
}

TEST(EngineDraw, MaskCutsTheShapesAboveIt) {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    const auto mask = movie.defineRectangle(0, 0, 1000, 2000, {0, 0, 0}); // left half
    const auto big = movie.defineRectangle(0, 0, 2000, 2000, {255, 0, 0});
    Place maskPlace{1, mask};
    maskPlace.clipDepth = 3;
    movie.place(maskPlace);
    movie.place(Place{2, big});
    movie.place(Place{4, movie.defineRectangle(0, 1500, 2000, 500, {0, 0, 255})});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 25, 25, Red);   // inside the mask
    EXPECT_PIXEL(image, 75, 25, White); // cut away, and the mask itself is not drawn
    EXPECT_PIXEL(image, 90, 90, Blue);  // depth 4 is beyond the mask's reach
}

TEST(EngineDraw, LaterDepthsDrawOverEarlierOnes) {
    MovieWriter movie(100, 100);
    const auto red = movie.defineRectangle(0, 0, 2000, 2000, {255, 0, 0});
    const auto blue = movie.defineRectangle(0, 0, 1000, 1000, {0, 0, 255});
    movie.place(Place{5, blue});
    movie.place(Place{2, red});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_PIXEL(image, 25, 25, Blue);
    EXPECT_PIXEL(image, 75, 75, Red);
}

TEST(EngineDraw, AntialiasingSwitchGivesSoftOrHardEdges) {
    MovieWriter movie(20, 20);
    movie.setBackground({255, 255, 255});
    // the square's left edge falls in the middle of pixel column 5
    movie.place(Place{1, movie.defineRectangle(110, 0, 200, 400, {255, 0, 0})});
    movie.showFrame();
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_TRUE(engine.antialiasing());
    const QColor soft = Draw(engine).pixelColor(5, 10);
    EXPECT_GT(soft.green(), 40);
    EXPECT_LT(soft.green(), 215);
    engine.setAntialiasing(false);
    const QColor hard = Draw(engine).pixelColor(5, 10);
    EXPECT_TRUE(hard == QColor(255, 0, 0) || hard == QColor(255, 255, 255))
        << hard.name().toStdString();
}

TEST(EngineDraw, MorphShapeIsDrawnAtThePlacedRatio) {
    MovieWriter movie(100, 20);
    movie.setBackground({255, 255, 255});
    ShapeBuilder start, end; // a 20 px square moving from x=0 to x=80 px
    start.setFill0(1);
    start.rectangle(0, 0, 400, 400);
    end.rectangle(1600, 0, 400, 400);
    const Bytes startEdges = start.glyphBody(), endEdges = end.glyphBody();
    const std::uint16_t id = movie.takeId();
    BitWriter body;
    body.u16(id);
    body.rect(0, 400, 0, 400);
    body.rect(1600, 2000, 0, 400);
    body.u32(static_cast<std::uint32_t>(1 + 1 + 4 + 4 + 1 + startEdges.size())); // to end edges
    body.u8(1);                                                                  // one fill
    body.u8(0x00);
    body.rgba({255, 0, 0, 255});
    body.rgba({0, 0, 255, 255});
    body.u8(0); // no lines
    body.bytes(startEdges);
    body.bytes(endEdges);
    movie.tag(46, body.data());
    for (std::uint16_t ratio : {0, 32768, 65535}) {
        Place place{1, id};
        place.ratio = ratio;
        movie.remove(1);
        movie.place(place);
        movie.showFrame();
    }
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_PIXEL(Draw(engine), 10, 10, QColor(255, 0, 0));
    engine.advance();
    const QImage middle = Draw(engine);
    EXPECT_PIXEL(middle, 10, 10, White);
    EXPECT_TRUE(PixelIs(middle, 50, 10, QColor(128, 0, 127), 12)) << Describe(middle, 50, 10);
    engine.advance();
    EXPECT_PIXEL(Draw(engine), 90, 10, Blue);
}
