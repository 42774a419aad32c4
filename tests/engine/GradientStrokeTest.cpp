// Gradient ramps (repeated and falling ratios, padding, linear light), where gradients are
// sampled, and how line widths follow scaling (non-scaling lines, the one-pixel minimum).

#include "player/engine/render/GradientRamp.h"
#include "support/EngineTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

std::vector<engine::GradientStop> Stops(std::vector<std::pair<int, QColor>> records) {
    std::vector<engine::GradientStop> stops;
    for (const auto& [ratio, color] : records) {
        stops.push_back({static_cast<float>(ratio / 255.0), color});
    }
    return stops;
}

::testing::AssertionResult EntryIs(const engine::GradientRamp& ramp, int k, const QColor& want,
                                   int tolerance = 2) {
    const QColor got = QColor::fromRgba(ramp[static_cast<std::size_t>(k)]);
    if (std::abs(got.red() - want.red()) <= tolerance &&
        std::abs(got.green() - want.green()) <= tolerance &&
        std::abs(got.blue() - want.blue()) <= tolerance &&
        std::abs(got.alpha() - want.alpha()) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "entry " << k << " is rgba(" << got.red() << "," << got.green() << "," << got.blue()
           << "," << got.alpha() << ")";
}

// How many pixels of ink a row crosses: the coverage of dark pixels summed, so an
// anti-aliased edge counts by how much of the pixel it covers.
double InkAcross(const QImage& image, int y, int fromX, int toX) {
    double ink = 0;
    for (int x = fromX; x < toX; ++x) {
        ink += (255 - qGray(image.pixel(x, y))) / 255.0;
    }
    return ink;
}

MovieWriter WhiteStage(int widthPx, int heightPx) {
    MovieWriter movie(widthPx, heightPx);
    movie.setBackground({255, 255, 255});
    return movie;
}

// A vertical line 1000 twips long at x=0, in a DefineShape4.
std::uint16_t VerticalLine(MovieWriter& movie, std::uint16_t width, LineFlags flags = {}) {
    ShapeBuilder shape;
    shape.setLine(shape.addLineStyle(width, {0, 0, 0}, flags));
    shape.moveTo(0, 0);
    shape.lineTo(0, 1000);
    return movie.defineShape(shape, 4);
}

Place PlaceWith(int depth, std::uint16_t id, const Matrix& m) {
    Place place{depth, id};
    place.matrix = m;
    return place;
}

// A stage widthPx wide and 10 px tall filled with a linear gradient whose whole ramp is
// rampTwips long, its centre at x = centreTwips.
Bytes LinearGradientStrip(int widthPx, double rampTwips, std::int32_t centreTwips,
                          std::vector<std::pair<std::uint8_t, Rgba>> stops) {
    MovieWriter movie(widthPx, 10);
    ShapeBuilder shape;
    const double s = rampTwips / 32768.0;
    shape.setFill1(
        shape.addLinearGradient(Matrix::scale(s, s, centreTwips, 100), std::move(stops)));
    shape.rectangle(0, 0, widthPx * 20, 200);
    movie.place(Place{1, movie.defineShape(shape)});
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(GradientRamp, RecordsWithEqualRatiosEachShowAsOneEntryBand) {
    const auto ramp = engine::BuildGradientRamp(
        Stops({{0, Red}, {100, Green}, {100, Blue}, {100, White}}), false);
    EXPECT_TRUE(EntryIs(ramp, 0, Red));
    EXPECT_TRUE(EntryIs(ramp, 50, QColor(128, 128, 0)));
    EXPECT_TRUE(EntryIs(ramp, 100, Green));
    // each record at the repeated ratio takes the next entry with the colour before it
    EXPECT_TRUE(EntryIs(ramp, 101, Green));
    EXPECT_TRUE(EntryIs(ramp, 102, Blue));
    // and the last record's colour pads to the end
    EXPECT_TRUE(EntryIs(ramp, 103, White));
    EXPECT_TRUE(EntryIs(ramp, 255, White));
}

TEST(GradientRamp, FallingRatiosAreSkippedAndBlendFromTheSkippedRecord) {
    const auto ramp =
        engine::BuildGradientRamp(Stops({{0, Red}, {100, Green}, {50, Blue}, {200, White}}), false);
    EXPECT_TRUE(EntryIs(ramp, 100, Green));
    EXPECT_TRUE(EntryIs(ramp, 101, Green)); // the record behind still takes one entry
    // from there on the blend runs from the skipped record (ratio 50) to the next one
    EXPECT_TRUE(EntryIs(ramp, 150, QColor(170, 170, 255)));
    EXPECT_TRUE(EntryIs(ramp, 200, White));
    EXPECT_TRUE(EntryIs(ramp, 240, White));
}

TEST(GradientRamp, FirstColourFillsUpToTheFirstRatioAndLinearLightBlendsBrighter) {
    const auto padded = engine::BuildGradientRamp(Stops({{31, Red}, {80, Green}}), false);
    EXPECT_TRUE(EntryIs(padded, 0, Red));
    EXPECT_TRUE(EntryIs(padded, 31, Red));
    EXPECT_TRUE(EntryIs(padded, 32, QColor(250, 5, 0)));
    EXPECT_TRUE(EntryIs(padded, 81, Green));

    const auto normal = engine::BuildGradientRamp(Stops({{0, Red}, {255, Green}}), false);
    const auto linear = engine::BuildGradientRamp(Stops({{0, Red}, {255, Green}}), true);
    EXPECT_TRUE(EntryIs(normal, 128, QColor(127, 128, 0)));
    EXPECT_TRUE(EntryIs(linear, 128, QColor(187, 188, 0)));
    EXPECT_TRUE(EntryIs(linear, 0, Red));
    EXPECT_TRUE(EntryIs(linear, 255, Green));
}

TEST(GradientRamp, AlphaBlendsAndNoRecordsMakeNothingVisible) {
    const auto ramp = engine::BuildGradientRamp(
        Stops({{0, QColor(0, 0, 255, 255)}, {255, QColor(0, 0, 255, 0)}}), false);
    EXPECT_NEAR(qAlpha(ramp[0]), 255, 1);
    EXPECT_NEAR(qAlpha(ramp[128]), 127, 2);
    EXPECT_EQ(qAlpha(ramp[255]), 0);
    const auto empty = engine::BuildGradientRamp({}, false);
    EXPECT_EQ(qAlpha(empty[0]), 0);
    EXPECT_EQ(qAlpha(empty[255]), 0);
}

TEST(GradientRamp, StopsStepHardBetweenRunsOfOneColour) {
    engine::GradientRamp ramp{};
    std::fill(ramp.begin(), ramp.begin() + 128, qRgb(255, 0, 0));
    std::fill(ramp.begin() + 128, ramp.end(), qRgb(0, 0, 255));
    const QGradientStops stops = engine::RampStops(ramp);
    ASSERT_EQ(stops.size(), 4);
    EXPECT_DOUBLE_EQ(stops[0].first, 0.0);
    EXPECT_EQ(stops[0].second, Red);
    EXPECT_NEAR(stops[1].first, 0.5, 1e-5);
    EXPECT_LT(stops[1].first, 0.5);
    EXPECT_EQ(stops[1].second, Red);
    EXPECT_DOUBLE_EQ(stops[2].first, 0.5);
    EXPECT_EQ(stops[2].second, Blue);
    EXPECT_DOUBLE_EQ(stops[3].first, 1.0);
    EXPECT_EQ(stops[3].second, Blue);
}

TEST(EngineGradient, RepeatedRatiosDrawThinBandsBeforeTheLastColourPads) {
    // 1024 px for the whole ramp (4 px an entry); entry 100 starts at x = 40.25
    const QImage image = RenderFrame(LinearGradientStrip(
        100, 20480, 3045,
        {{0, {255, 0, 0}}, {100, {0, 255, 0}}, {100, {0, 0, 255}}, {100, {255, 255, 255}}}));
    EXPECT_PIXEL(image, 42, 5, Green); // entry 100
    EXPECT_PIXEL(image, 46, 5, Green); // entry 101
    EXPECT_PIXEL(image, 50, 5, Blue);  // entry 102
    EXPECT_PIXEL(image, 55, 5, White);
    EXPECT_PIXEL(image, 95, 5, White);
    const QColor before = image.pixelColor(30, 5); // entry 97: nearly green
    EXPECT_GT(before.green(), 230);
    EXPECT_LT(before.red(), 25);
}

TEST(EngineGradient, ColoursAreTakenAtEachPixelsTopLeftCorner) {
    // one pixel an entry, the ramp starting a quarter pixel right of the stage edge: the
    // step from entry 127 to 128 lies at x = 128.25, between pixel 128's corner and centre
    engine::MovieEngine engine;
    LoadAndRun(engine,
               LinearGradientStrip(
                   256, 5120, 2565,
                   {{0, {255, 0, 0}}, {127, {255, 0, 0}}, {128, {0, 0, 255}}, {255, {0, 0, 255}}}));
    for (const bool smooth : {true, false}) {
        engine.setAntialiasing(smooth);
        const QImage image = Draw(engine);
        EXPECT_PIXEL(image, 127, 5, Red);
        EXPECT_PIXEL(image, 128, 5, Red);
        EXPECT_PIXEL(image, 129, 5, Blue);
    }
}

TEST(EngineStroke, NonScalingFlagsKeepTheWidthAlongTheirAxis) {
    MovieWriter movie = WhiteStage(200, 60);
    const std::uint16_t plain = VerticalLine(movie, 100);
    const std::uint16_t noH = VerticalLine(movie, 100, LineFlags{.noHScale = true});
    const std::uint16_t noV = VerticalLine(movie, 100, LineFlags{.noVScale = true});
    const std::uint16_t neither =
        VerticalLine(movie, 100, LineFlags{.noHScale = true, .noVScale = true});
    // stretched four times across: only the styles that follow horizontal scaling widen
    movie.place(PlaceWith(1, noH, Matrix::scale(4, 1, 400, 100)));
    movie.place(PlaceWith(2, noV, Matrix::scale(4, 1, 1200, 100)));
    movie.place(PlaceWith(3, neither, Matrix::scale(4, 1, 2000, 100)));
    // scaled three times both ways: a plain line widens, a non-scaling one keeps 5 px
    movie.place(PlaceWith(4, plain, Matrix::scale(3, 3, 2800, 100)));
    movie.place(PlaceWith(5, neither, Matrix::scale(3, 3, 3600, 100)));
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    EXPECT_NEAR(InkAcross(image, 30, 0, 40), 5, 0.5);
    EXPECT_NEAR(InkAcross(image, 30, 40, 80), 20, 0.5);
    EXPECT_NEAR(InkAcross(image, 30, 80, 120), 5, 0.5);
    EXPECT_NEAR(InkAcross(image, 30, 120, 160), 15, 0.5);
    EXPECT_NEAR(InkAcross(image, 30, 160, 200), 5, 0.5);
}

TEST(EngineStroke, LinesNeverDrawThinnerThanOnePixel) {
    MovieWriter movie = WhiteStage(100, 60);
    const std::uint16_t thin = VerticalLine(movie, 2);    // a tenth of a pixel
    const std::uint16_t shrunk = VerticalLine(movie, 80); // four pixels, drawn at a sixteenth
    movie.place(PlaceWith(1, thin, Matrix::translate(410, 100)));
    movie.place(PlaceWith(2, shrunk, Matrix::scale(0.0625, 0.0625, 1210, 100)));
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    // centred on pixel 20 and pixel 60: each pixel fully inked, its neighbours clear
    EXPECT_PIXEL(image, 20, 30, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 19, 30, White);
    EXPECT_PIXEL(image, 21, 30, White);
    EXPECT_NEAR(InkAcross(image, 30, 0, 40), 1, 0.3);
    EXPECT_PIXEL(image, 60, 6, QColor(0, 0, 0)); // 3 px long from y = 5
    EXPECT_NEAR(InkAcross(image, 6, 40, 100), 1, 0.3);
}

TEST(EngineStroke, OutlinesThatComeBackJoinWhereTheyStart) {
    MovieWriter movie = WhiteStage(100, 100);
    // a square 60 px wide with a 10 px line, flat caps and bevel joins, drawn from its
    // top-left corner round and back to it
    ShapeBuilder shape;
    shape.setLine(shape.addLineStyle(200, {0, 0, 0}, LineFlags{.cap = 1, .join = 1}));
    shape.rectangle(400, 400, 1200, 1200);
    movie.place(Place{1, movie.defineShape(shape, 4)});
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    // a bevel fills the inner half of each outer corner, the first one too: no flat ends
    // leave it empty
    EXPECT_PIXEL(image, 81, 18, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 18, 18, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 16, 16, White); // the corner's outer half stays cut off
    EXPECT_PIXEL(image, 83, 16, White);
}

TEST(EngineStroke, HintedLinesCoverWholePixels) {
    MovieWriter movie = WhiteStage(100, 60);
    // vertical lines at x = 10.3, 40.3 and 70.3 px: one pixel wide unhinted and hinted,
    // then one and a half hinted
    const LineFlags hinting{.pixelHinting = true};
    const std::uint16_t lines[] = {VerticalLine(movie, 20), VerticalLine(movie, 20, hinting),
                                   VerticalLine(movie, 30, hinting)};
    for (int i = 0; i < 3; ++i) {
        movie.place(PlaceWith(i + 1, lines[i], Matrix::translate(206 + 600 * i, 100)));
    }
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    // unhinted, the line straddles pixels 9 and 10
    EXPECT_GT(qGray(image.pixel(9, 30)), 20);
    EXPECT_GT(qGray(image.pixel(10, 30)), 20);
    EXPECT_NEAR(InkAcross(image, 30, 0, 20), 1, 0.3);
    // hinted, an odd width fills the pixel the line's centre falls in
    EXPECT_PIXEL(image, 40, 30, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 39, 30, White);
    EXPECT_PIXEL(image, 41, 30, White);
    // and a width rounded up to two pixels lies on the nearest pixel edge
    EXPECT_PIXEL(image, 69, 30, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 70, 30, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 68, 30, White);
    EXPECT_PIXEL(image, 71, 30, White);
}
