// The pointer over a movie's buttons: the over state drawn, the roll sounds, the roll
// actions of on(rollOver) and on(rollOut), and the state following a moving button.

#include "player/engine/MovieEngine.h"
#include "sound/SoundFixtures.h"
#include "support/ActionAssembler.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

const SoundFormatSpec Mono44k{3, 3, true, false};

Bytes Level(std::int16_t level) {
    return PcmBytes(std::vector<std::int16_t>(100, level), false);
}

Bytes TraceBlock(const char* text) {
    ActionAssembler a;
    a.trace(text);
    return a.block();
}

// A 100 x 100 pixel movie: a button at (0, 0) drawn red when up and green when over,
// whose hit area is its left half (0..500 twips across, 0..1000 down); it sounds 300
// on roll over and 50 on roll out and traces "over" and "out". With moveAway, the
// second frame moves it to (1000, 1000) twips.
Bytes ButtonMovie(bool moveAway = false) {
    MovieWriter writer(100, 100, 10, 6);
    const auto up = writer.defineRectangle(0, 0, 1000, 1000, {255, 0, 0});
    const auto over = writer.defineRectangle(0, 0, 1000, 1000, {0, 255, 0});
    const auto hit = writer.defineRectangle(0, 0, 500, 1000, {0, 0, 0});
    const auto overSound = writer.defineSound(Mono44k, 100, Level(300));
    const auto outSound = writer.defineSound(Mono44k, 100, Level(50));
    const auto button = writer.defineButton2({{1, up, 1, {}}, {2, over, 1, {}}, {8, hit, 2, {}}},
                                             {{1, TraceBlock("over")}, {2, TraceBlock("out")}});
    writer.defineButtonSound(button, {{outSound, {}}, {overSound, {}}, {0, {}}, {0, {}}});
    writer.place(Place{1, button});
    writer.showFrame();
    if (moveAway) {
        Place moved{1, std::nullopt};
        moved.move = true;
        writer.place(moved.at(1000, 1000));
    }
    writer.showFrame();
    return writer.bytes();
}

struct Pointer {
    engine::MovieEngine movie;
    std::vector<std::string> traces;
    explicit Pointer(const Bytes& bytes) {
        engine::ScriptOptions options;
        options.trace = [this](const std::string& line) { traces.push_back(line); };
        movie.setScriptOptions(options);
        movie.loadBytes(bytes);
    }
    // The level of this frame's sound a little way in.
    int level() {
        std::vector<std::int16_t> samples;
        movie.renderSound(samples);
        return samples.at(20);
    }
    QColor colour(int x = 10, int y = 10) const { return Draw(movie).pixelColor(x, y); }
};

TEST(ButtonRoll, RollingOverAndOutShowsSoundsAndRunsTheButtonsState) {
    Pointer p(ButtonMovie());
    EXPECT_EQ(p.colour(), Red);
    p.level();
    p.movie.pointerMoved(QPointF(200, 500));
    EXPECT_NE(p.movie.buttonUnderPointer(), 0);
    EXPECT_EQ(p.colour(), Green);
    EXPECT_EQ(p.level(), 300);
    EXPECT_EQ(p.traces, std::vector<std::string>{"over"});

    p.movie.pointerMoved(QPointF(300, 600)); // still over: nothing new
    EXPECT_EQ(p.traces.size(), 1u);

    p.movie.pointerLeft();
    EXPECT_EQ(p.movie.buttonUnderPointer(), 0);
    EXPECT_EQ(p.colour(), Red);
    EXPECT_EQ(p.level(), 50);
    EXPECT_EQ(p.traces, (std::vector<std::string>{"over", "out"}));
}

TEST(ButtonRoll, OnlyTheHitAreaCounts) {
    const struct {
        QPointF twips;
        bool over;
    } cases[] = {
        {{100, 100}, true},   {{499, 999}, true},
        {{700, 500}, false}, // drawn, but right of the hit area
        {{1500, 500}, false}, {{-10, 500}, false},
    };
    for (const auto& c : cases) {
        Pointer p(ButtonMovie());
        p.movie.pointerMoved(c.twips);
        EXPECT_EQ(p.movie.buttonUnderPointer() != 0, c.over) << c.twips.x() << "," << c.twips.y();
        EXPECT_EQ(p.traces.size(), c.over ? 1u : 0u);
    }
}

TEST(ButtonRoll, AButtonMovingFromUnderAStillPointerRollsOut) {
    Pointer p(ButtonMovie(true));
    p.movie.pointerMoved(QPointF(200, 500));
    EXPECT_EQ(p.colour(), Green);
    p.movie.advance(); // the button moves away; the pointer stays
    EXPECT_EQ(p.movie.buttonUnderPointer(), 0);
    EXPECT_EQ(p.traces, (std::vector<std::string>{"over", "out"}));
    EXPECT_EQ(p.colour(60, 60), Red);
    p.movie.pointerMoved(QPointF(1200, 1500));
    EXPECT_EQ(p.colour(60, 60), Green);
}

TEST(ButtonRoll, LoadingAnotherMovieForgetsThePointer) {
    Pointer p(ButtonMovie());
    p.movie.pointerMoved(QPointF(200, 500));
    p.movie.loadBytes(ButtonMovie());
    EXPECT_EQ(p.movie.buttonUnderPointer(), 0);
    EXPECT_EQ(p.colour(), Red);
}

} // namespace
} // namespace quillon::testing
