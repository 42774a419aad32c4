// Filters drawn on placed objects: bevels (inner, outer, full, knockout, gradient), glows and
// shadows (solid and through a colour ramp), and the size of the blur box at any view scale.

#include "player/engine/characters/BitmapImage.h"
#include "player/engine/characters/PixelFilters.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace quillon;
using namespace quillon::testing;

namespace {

const QColor Grey(128, 128, 128); // the filtered square

struct Spot {
    int x, y;
    QColor color;
};

// Checks a picture at each spot.
void ExpectSpots(const QImage& image, std::initializer_list<Spot> spots) {
    for (const Spot& s : spots) {
        EXPECT_PIXEL(image, s.x, s.y, s.color);
    }
}

// An 80x80 white stage with one 40x40 square at (20,20) (pixels 20..59) carrying filters.
Bytes FilteredSquare(const Bytes& filterList, Rgba fill = {128, 128, 128}) {
    MovieWriter movie(80, 80);
    movie.setBackground({255, 255, 255});
    Place place{1, movie.defineRectangle(0, 0, 800, 800, fill)};
    place.at(400, 400);
    place.filters = filterList;
    movie.place(place);
    movie.showFrame();
    return movie.bytes();
}

// Red lit side, blue dark side, light from the top left (angle 45 degrees), two pixels each
// way along both axes, a box of one pixel (no blur).
filters::Bevel RedBlueBevel() {
    filters::Bevel b;
    b.highlight = {255, 0, 0};
    b.shadow = {0, 0, 255};
    b.angle = std::numbers::pi / 4;
    b.distance = 3;
    b.blurX = b.blurY = 2;
    return b;
}

} // namespace

TEST(EngineFilters, InnerBevelLightsTheTopLeftEdgesAndShadesTheBottomRight) {
    const QImage image =
        RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(RedBlueBevel())})));
    // the band is as deep as the distance along each axis (two pixels), then the shape
    ExpectSpots(image, {{21, 40, Qt::red},
                        {40, 21, Qt::red},
                        {58, 40, Qt::blue},
                        {40, 58, Qt::blue},
                        {40, 40, Grey},
                        {23, 40, Grey}});
    // an inner bevel stays inside the shape
    ExpectSpots(image, {{18, 40, Qt::white}, {61, 40, Qt::white}});
}

TEST(EngineFilters, OuterAndFullBevelsReachOutsideTheShape) {
    filters::Bevel outer = RedBlueBevel();
    outer.inner = false;
    const QImage out = RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(outer)})));
    // outside the edges; the source stays above an outer bevel
    ExpectSpots(out, {{18, 40, Qt::red},
                      {40, 18, Qt::red},
                      {61, 40, Qt::blue},
                      {40, 61, Qt::blue},
                      {21, 40, Grey},
                      {58, 40, Grey}});

    filters::Bevel full = RedBlueBevel();
    full.onTop = true;
    const QImage both = RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(full)})));
    ExpectSpots(both, {{18, 40, Qt::red},
                       {21, 40, Qt::red},
                       {58, 40, Qt::blue},
                       {61, 40, Qt::blue},
                       {40, 40, Grey},
                       {10, 40, Qt::white}});
}

TEST(EngineFilters, BevelStrengthAlphaBlurAndKnockout) {
    filters::Bevel knockout = RedBlueBevel();
    knockout.knockout = true;
    const QImage ko = RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(knockout)})));
    // the bevel alone: the shape itself is knocked out
    ExpectSpots(ko, {{21, 40, Qt::red}, {40, 40, Qt::white}});

    // half-transparent colours at half strength: a quarter of the colour over the shape
    filters::Bevel faint = RedBlueBevel();
    faint.highlight.a = 128;
    faint.strength = 0.5;
    const QImage soft = RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(faint)})));
    EXPECT_PIXEL(soft, 21, 40, QColor(160, 96, 96));

    // a blur of 4 pixels: a box of 3 softens the band, which fades out a pixel further in
    filters::Bevel blurred = RedBlueBevel();
    blurred.blurX = blurred.blurY = 4;
    const QImage ramp = RenderFrame(FilteredSquare(filters::List({filters::BevelFilter(blurred)})));
    ExpectSpots(ramp, {{20, 40, Qt::red}, {22, 40, QColor(170, 85, 85)}, {23, 40, Grey}});
}

TEST(EngineFilters, GradientBevelTakesItsColoursFromTheRamp) {
    filters::Bevel b = RedBlueBevel();
    const QImage image = RenderFrame(FilteredSquare(filters::List({filters::GradientFilter(
        7, {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 0}}, {255, {0, 0, 255, 255}}}, b)})));
    ExpectSpots(image,
                {{21, 40, Qt::red}, {58, 40, Qt::blue}, {40, 40, Grey}, {18, 40, Qt::white}});
}

TEST(EngineFilters, BlurBoxIsTheWidestOddBoxWithinTheSize) {
    // blur 4: a box of 3, so the edge spreads one pixel each way
    const QImage image =
        RenderFrame(FilteredSquare(filters::List({filters::Blur(4, 4)}), {0, 0, 0}));
    ExpectSpots(image, {{18, 40, Qt::white},
                        {19, 40, QColor(170, 170, 170)},
                        {20, 40, QColor(85, 85, 85)},
                        {21, 40, Qt::black}});
}

TEST(EngineFilters, ScriptBitmapsBlurByTheExactSize) {
    // one white pixel in a black row: the blur spreads it into the box's weights
    struct Case {
        double size;
        int quality;
        std::vector<int> around; // red at the pixel's neighbours, -3 to +3
    };
    const Case cases[] = {
        {1, 1, {0, 0, 0, 255, 0, 0, 0}},     // a box of one pixel leaves it
        {1.5, 1, {0, 0, 43, 170, 43, 0, 0}}, // a quarter of each neighbour
        {2, 1, {0, 0, 64, 128, 64, 0, 0}},   // 1:2:1
        {3, 1, {0, 0, 85, 85, 85, 0, 0}},    // whole pixels
        {4, 1, {0, 32, 64, 64, 64, 32, 0}},  // halves at the ends
        {2, 2, {0, 16, 64, 96, 64, 16, 0}},  // twice over
        {5, 0, {0, 0, 0, 255, 0, 0, 0}},     // quality 0 does not blur
    };
    for (const Case& c : cases) {
        auto pixels = engine::BitmapPixels::make(21, 1, false, 0xff000000u);
        ASSERT_TRUE(pixels);
        pixels->setPixel32(10, 0, 0xffffffffu);
        engine::Filter blur;
        blur.blurX = c.size;
        blur.passes = c.quality;
        engine::FilterPixels(*pixels, *pixels, {0, 0, 21, 1}, {0, 0}, blur);
        for (int i = 0; i < 7; ++i) {
            const std::uint32_t px = pixels->pixel32(7 + i, 0);
            EXPECT_EQ(int((px >> 16) & 0xff), c.around[static_cast<std::size_t>(i)])
                << "size " << c.size << " quality " << c.quality << " at " << i - 3;
            EXPECT_EQ(px >> 24, 0xffu) << "an opaque bitmap stays opaque";
        }
    }
}

TEST(EngineFilters, BlurGrowsWithTheViewScale) {
    engine::MovieEngine engine;
    // blur 2 at twice the stage size is 4 device pixels: a box of 3 around the edge at 40
    LoadAndRun(engine, FilteredSquare(filters::List({filters::Blur(2, 2)}), {0, 0, 0}));
    const QImage twice = Draw(engine, QSize(160, 160));
    ExpectSpots(
        twice,
        {{38, 80, Qt::white}, {39, 80, QColor(170, 170, 170)}, {40, 80, QColor(85, 85, 85)}});
    // blur 1 is 2 device pixels there: too small for any box, the edge stays hard
    LoadAndRun(engine, FilteredSquare(filters::List({filters::Blur(1, 1)}), {0, 0, 0}));
    const QImage hard = Draw(engine, QSize(160, 160));
    ExpectSpots(hard, {{39, 80, Qt::white}, {40, 80, Qt::black}});
}

TEST(EngineFilters, GlowBoxCoversItsSizeAndShadowsMoveAlongTheAngle) {
    filters::Shadow glow;
    glow.color = {255, 0, 0};
    glow.blurX = glow.blurY = 4; // a box of 5: 2/5 and 1/5 of the colour outside the edge
    const QImage glowing = RenderFrame(FilteredSquare(filters::List({filters::Glow(glow)})));
    ExpectSpots(glowing, {{19, 40, QColor(255, 153, 153)},
                          {18, 40, QColor(255, 204, 204)},
                          {17, 40, Qt::white},
                          {40, 40, Grey}});

    filters::Shadow shadow;
    shadow.color = {0, 0, 255};
    shadow.distance = 3;
    shadow.blurX = shadow.blurY = 2; // a box of one pixel: a hard shadow three pixels wide
    const QImage shaded = RenderFrame(FilteredSquare(filters::List({filters::DropShadow(shadow)})));
    ExpectSpots(shaded,
                {{60, 40, Qt::blue}, {62, 40, Qt::blue}, {63, 40, Qt::white}, {19, 40, Qt::white}});
}

TEST(EngineFilters, GradientGlowMapsTheGlowThroughItsRamp) {
    filters::Bevel b;
    b.inner = false;
    b.distance = 0;
    b.blurX = b.blurY = 4;
    const auto ramp = std::vector<std::pair<std::uint8_t, Rgba>>{
        {0, {255, 0, 0, 0}}, {128, {255, 0, 0, 255}}, {255, {0, 0, 255, 255}}};
    const QImage image =
        RenderFrame(FilteredSquare(filters::List({filters::GradientFilter(4, ramp, b)})));
    // glow of 2/5 sits at ratio 102 of the ramp: red, four fifths opaque
    ExpectSpots(image, {{19, 40, QColor(255, 52, 52)}, {17, 40, Qt::white}});
    // three times as strong, the glow reaches the blue end of the ramp
    b.strength = 3;
    const QImage strong =
        RenderFrame(FilteredSquare(filters::List({filters::GradientFilter(4, ramp, b)})));
    EXPECT_PIXEL(strong, 19, 40, Qt::blue);

    // a ramp without colours draws no glow and leaves the shape alone
    const QImage empty =
        RenderFrame(FilteredSquare(filters::List({filters::GradientFilter(4, {}, b)})));
    ExpectSpots(empty, {{19, 40, Qt::white}, {40, 40, Grey}});
}

TEST(EngineFilters, FiltersReachAsFarAsTheirDistanceAndPasses) {
    filters::Shadow shadow;
    shadow.color = {0, 0, 255};
    shadow.distance = 12;
    shadow.blurX = shadow.blurY = 2;
    const QImage far = RenderFrame(FilteredSquare(filters::List({filters::DropShadow(shadow)})));
    ExpectSpots(far, {{71, 40, Qt::blue}, {72, 40, Qt::white}, {40, 40, Grey}});

    // three passes of a box of 7 spread the edge nine pixels out, and no further
    const QImage wide =
        RenderFrame(FilteredSquare(filters::List({filters::Blur(8, 8, 3)}), {0, 0, 0}));
    EXPECT_LT(qRed(wide.pixel(12, 40)), 255);
    EXPECT_LT(qRed(wide.pixel(40, 12)), 255);
    EXPECT_EQ(qRed(wide.pixel(10, 40)), 255);
    EXPECT_GT(qRed(wide.pixel(20, 40)), qRed(wide.pixel(21, 40)));
}

TEST(EngineFilters, FilteredObjectSitsOnWholePixels) {
    // a 40.3 pixel wide square at x = 20.4: drawn as it is it covers pixel 60 (centre 60.5
    // left of its edge at 60.7); filtered, its corner moves to 20 and the edge to 60.3
    const auto movie = [](bool filtered) {
        MovieWriter movie(80, 80);
        movie.setBackground({255, 255, 255});
        Place place{1, movie.defineRectangle(0, 0, 806, 800, {128, 128, 128})};
        place.at(408, 400);
        if (filtered) {
            place.filters = filters::List({filters::Blur(1, 1)}); // too small to blur
        }
        movie.place(place);
        movie.showFrame();
        return movie.bytes();
    };
    const auto hardEdged = [](const Bytes& bytes) {
        engine::MovieEngine engine;
        engine.setAntialiasing(false);
        LoadAndRun(engine, bytes);
        return Draw(engine);
    };
    const QImage plain = hardEdged(movie(false));
    ExpectSpots(plain, {{20, 40, Grey}, {60, 40, Grey}, {61, 40, Qt::white}});
    const QImage snapped = hardEdged(movie(true));
    ExpectSpots(snapped,
                {{19, 40, Qt::white}, {20, 40, Grey}, {59, 40, Grey}, {60, 40, Qt::white}});
}

TEST(EngineFilters, FilteredSpriteKeepsAllItsChildrenAndTheirShadows) {
    // a sprite with squares at its two far corners, moved by a fraction of a pixel
    MovieWriter movie(80, 80);
    movie.setBackground({255, 255, 255});
    const auto square = movie.defineRectangle(0, 0, 200, 200, {128, 128, 128});
    TagStream inside;
    inside.place(Place{1, square}.at(0, 0));
    inside.place(Place{2, square}.at(1000, 1000));
    inside.showFrame();
    const auto sprite = movie.defineSprite(inside);
    filters::Shadow shadow;
    shadow.color = {0, 0, 255};
    shadow.distance = 4;
    shadow.blurX = shadow.blurY = 2;
    Place place{1, sprite};
    place.at(207, 207); // 10.35 pixels
    place.filters = filters::List({filters::DropShadow(shadow)});
    movie.place(place);
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    // squares at 10..19 and 60..69 (the corner rounds to 10), shadows four pixels right
    ExpectSpots(image, {{12, 12, Grey},
                        {67, 67, Grey},
                        {22, 14, Qt::blue},
                        {72, 64, Qt::blue},
                        {74, 64, Qt::white},
                        {40, 40, Qt::white}});
}
