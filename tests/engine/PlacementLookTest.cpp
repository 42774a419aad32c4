// What a placement asks of an object's look beyond its matrix: an opaque background
// behind a sprite's content, filling the bounds of what it shows.

#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

// A 100x100 white stage with a sprite at (10,10) holding a red 10x10 square at its origin
// and a blue one at (30,30): its bounds run from (10,10) to (50,50) on the stage.
Bytes TwoSquareSprite(std::optional<Rgba> background) {
    MovieWriter movie(100, 100);
    movie.setBackground({255, 255, 255});
    const auto red = movie.defineRectangle(0, 0, 200, 200, {255, 0, 0});
    const auto blue = movie.defineRectangle(0, 0, 200, 200, {0, 0, 255});
    TagStream inner;
    inner.place(Place{1, red}.at(0, 0));
    inner.place(Place{2, blue}.at(600, 600));
    inner.showFrame();
    const auto sprite = movie.defineSprite(inner);
    Place place = Place{1, sprite}.at(200, 200);
    place.opaqueBackground = background;
    place.cacheAsBitmap = true;
    movie.place(place);
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(EnginePlacementLook, OpaqueBackgroundFillsTheBoundsBeneathTheContent) {
    struct Case {
        std::optional<Rgba> background;
        QColor between, outside;
        const char* why;
    };
    const Case cases[] = {
        {std::nullopt, White, White, "no background: the stage shows between the squares"},
        {Rgba{0, 255, 0, 255}, Green, White, "the background fills the bounds only"},
        {Rgba{0, 255, 0, 0}, Green, White, "the background is opaque whatever its alpha"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const QImage image = RenderFrame(TwoSquareSprite(c.background));
        EXPECT_PIXEL(image, 15, 15, Red);
        EXPECT_PIXEL(image, 45, 45, Blue);
        EXPECT_PIXEL(image, 40, 20, c.between);
        EXPECT_PIXEL(image, 70, 70, c.outside);
        EXPECT_PIXEL(image, 5, 5, c.outside);
    }
}
