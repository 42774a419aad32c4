// Blend modes that work on a layer: a "layer" sprite groups its children, and children
// drawn with alpha or erase change only that layer, and only where they are.

#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

constexpr std::uint8_t LayerMode = 2;
constexpr std::uint8_t AlphaMode = 11;
constexpr std::uint8_t EraseMode = 12;

// A 40x20 pixel strip of four 10 pixel bands, left to right: alpha 0, 1, 128 and 255.
std::uint16_t DefineAlphaStrip(MovieWriter& movie) {
    ShapeBuilder strip;
    int x = 0;
    for (std::uint8_t alpha : {0, 1, 128, 255}) {
        strip.setFill1(strip.addSolidFill({0, 0, 0, alpha}));
        strip.rectangle(x, 0, 200, 400);
        x += 200;
    }
    return movie.defineShape(strip);
}

// A 100x100 white stage with a layer sprite at the origin holding a red 80x80 square at
// (10,10), a child in the given mode at childAt (pixels), and a blue 10x10 square at
// (75,75) drawn after that child.
Bytes LayerMovie(std::uint8_t childMode, std::uint16_t (*defineChild)(MovieWriter&),
                 std::pair<int, int> childAt, std::optional<std::uint8_t> spriteMode) {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    const auto red = movie.defineRectangle(0, 0, 1600, 1600, {255, 0, 0});
    const auto blue = movie.defineRectangle(0, 0, 200, 200, {0, 0, 255});
    const auto child = defineChild(movie);
    TagStream inner;
    inner.place(Place{1, red}.at(200, 200));
    Place placeChild = Place{2, child}.at(childAt.first * 20, childAt.second * 20);
    placeChild.blendMode = childMode;
    inner.place(placeChild);
    inner.place(Place{3, blue}.at(1500, 1500));
    inner.showFrame();
    const auto sprite = movie.defineSprite(inner);
    Place placeSprite = Place{1, sprite}.at(0, 0);
    placeSprite.blendMode = spriteMode;
    movie.place(placeSprite);
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(EngineBlend, AlphaChildCutsTheLayerOnlyWhereItDraws) {
    const QImage image = RenderFrame(LayerMovie(AlphaMode, DefineAlphaStrip, {30, 30}, LayerMode));
    const struct {
        int x, y;
        QColor color;
        const char* why;
    } spots[] = {
        {20, 20, Red, "away from the strip the layer keeps its pixels"},
        {80, 40, Red, "right of the strip"},
        {40, 60, Red, "below the strip"},
        {5, 5, White, "the stage outside the layer"},
        {35, 40, Red, "the fully see-through band draws nothing and leaves the layer alone"},
        {45, 40, White, "alpha 1 leaves almost nothing of the layer"},
        {55, 40, QColor(255, 127, 127), "half alpha halves the layer"},
        {65, 40, Red, "full alpha keeps the layer"},
        {80, 80, Blue, "children after the alpha child draw as usual"},
    };
    for (const auto& spot : spots) {
        SCOPED_TRACE(spot.why);
        EXPECT_PIXEL(image, spot.x, spot.y, spot.color);
    }
}

TEST(EngineBlend, EraseChildPunchesAHoleInItsLayer) {
    const auto square = [](MovieWriter& movie) {
        return movie.defineRectangle(0, 0, 400, 400, {0, 255, 0});
    };
    const QImage image = RenderFrame(LayerMovie(EraseMode, square, {40, 40}, LayerMode));
    EXPECT_PIXEL(image, 45, 45, White); // the stage shows through the hole
    EXPECT_PIXEL(image, 35, 45, Red);
    EXPECT_PIXEL(image, 65, 45, Red);
    EXPECT_PIXEL(image, 80, 80, Blue);
}

TEST(EngineBlend, AlphaAndEraseWithoutALayerShowNothing) {
    const auto square = [](MovieWriter& movie) {
        return movie.defineRectangle(0, 0, 400, 400, {0, 255, 0});
    };
    for (std::uint8_t mode : {AlphaMode, EraseMode}) {
        SCOPED_TRACE(static_cast<int>(mode));
        const QImage image = RenderFrame(LayerMovie(mode, square, {40, 40}, std::nullopt));
        // no layer to act on: the red square and the stage stay as they were
        EXPECT_PIXEL(image, 45, 45, Red);
        EXPECT_PIXEL(image, 20, 20, Red);
        EXPECT_PIXEL(image, 5, 5, White);
    }
}

TEST(EngineBlend, LayerSpriteFadesAsOneGroup) {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    const auto red = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    TagStream inner;
    inner.place(Place{1, red}.at(200, 200));
    inner.place(Place{2, red}.at(600, 600)); // overlaps the first from (30,30) to (50,50)
    inner.showFrame();
    const auto sprite = movie.defineSprite(inner);
    Place half = Place{1, sprite}.at(0, 0);
    half.colorXf = ColorXf{256, 256, 256, 128};
    half.blendMode = LayerMode;
    movie.place(half);
    movie.showFrame();
    const QImage image = RenderFrame(movie.bytes());
    const QColor pink(255, 127, 127);
    EXPECT_PIXEL(image, 20, 20, pink);
    EXPECT_PIXEL(image, 40, 40, pink); // the overlap is no darker than either square
    EXPECT_PIXEL(image, 60, 60, pink);
    EXPECT_PIXEL(image, 80, 80, White);
}
