// The timeline: frames, moves and removals, looping, sprites with their own timeline,
// seeking, and the simple frame actions.

#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

// Three frames; a red square at x = 0, 40, 80 px, then removed in a fourth frame.
Bytes MovingSquareMovie() {
    MovieWriter movie(120, 40);
    movie.setBackground({255, 255, 255});
    const auto square = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    movie.place(Place{1, square}.at(0, 0));
    movie.showFrame();
    for (int x : {800, 1600}) {
        Place move{1, std::nullopt};
        move.move = true;
        move.at(x, 0);
        movie.place(move);
        movie.showFrame();
    }
    movie.remove(1);
    movie.showFrame();
    return movie.bytes();
}

QColor Colour(const engine::MovieEngine& engine, int x, int y) {
    return Draw(engine).pixelColor(x, y);
}

} // namespace

TEST(EngineTimeline, ObjectsMoveFrameByFrameAndAreRemoved) {
    engine::MovieEngine engine;
    LoadAndRun(engine, MovingSquareMovie());
    EXPECT_EQ(engine.frameCount(), 4);
    EXPECT_EQ(Colour(engine, 20, 20), Red);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 1);
    EXPECT_EQ(Colour(engine, 20, 20), White); // squares 40 px wide: 40..80 now
    EXPECT_EQ(Colour(engine, 60, 20), Red);
    engine.advance();
    EXPECT_EQ(Colour(engine, 100, 20), Red);
    EXPECT_EQ(Colour(engine, 60, 20), White);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 3);
    EXPECT_EQ(Colour(engine, 100, 20), White);
}

TEST(EngineTimeline, MainTimelineLoopsAfterItsLastFrame) {
    engine::MovieEngine engine;
    LoadAndRun(engine, MovingSquareMovie(), 4);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 0);
    EXPECT_EQ(Colour(engine, 20, 20), Red);
    EXPECT_EQ(Colour(engine, 100, 20), White);
}

TEST(EngineTimeline, SeekingRebuildsTheFrameForwardsAndBackwards) {
    engine::MovieEngine engine;
    LoadAndRun(engine, MovingSquareMovie());
    engine.gotoFrame(2);
    EXPECT_EQ(engine.currentFrame(), 2);
    EXPECT_EQ(Colour(engine, 100, 20), Red);
    engine.gotoFrame(0);
    EXPECT_EQ(engine.currentFrame(), 0);
    EXPECT_EQ(Colour(engine, 20, 20), Red);
    EXPECT_EQ(Colour(engine, 100, 20), White);
    engine.gotoFrame(99); // clamped to the last frame
    EXPECT_EQ(engine.currentFrame(), 3);
    engine.gotoFrame(-5);
    EXPECT_EQ(engine.currentFrame(), 0);
}

TEST(EngineTimeline, SpriteAdvancesOncePerParentFrameAndLoops) {
    MovieWriter movie(40, 40);
    const auto red = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    const auto green = movie.defineRectangle(0, 0, 800, 800, {0, 255, 0});
    const auto blue = movie.defineRectangle(0, 0, 800, 800, {0, 0, 255});
    TagStream inner;
    for (auto colour : {red, green, blue}) {
        inner.remove(1);
        inner.place(Place{1, colour});
        inner.showFrame();
    }
    const auto sprite = movie.defineSprite(inner);
    movie.place(Place{1, sprite});
    movie.showFrame(); // the main timeline has one frame; the sprite goes on regardless
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_EQ(engine.frameCount(), 1);
    EXPECT_EQ(Colour(engine, 20, 20), Red);
    engine.advance();
    EXPECT_EQ(Colour(engine, 20, 20), Green);
    engine.advance();
    EXPECT_EQ(Colour(engine, 20, 20), Blue);
    engine.advance();
    EXPECT_EQ(Colour(engine, 20, 20), Red);
    EXPECT_EQ(engine.currentFrame(), 0);
}

TEST(EngineTimeline, StopActionHoldsTheFrame) {
    MovieWriter movie(40, 40);
    const auto red = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    const auto blue = movie.defineRectangle(0, 0, 800, 800, {0, 0, 255});
    movie.place(Place{1, red});
    movie.showFrame();
    movie.remove(1);
    movie.place(Place{1, blue});
    movie.doAction(actions::Block({actions::Stop()}));
    movie.showFrame();
    movie.remove(1);
    movie.showFrame();
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes(), 2);
    EXPECT_TRUE(!engine.isPlaying());
    for (int i = 0; i < 3; ++i) {
        engine.advance();
        EXPECT_EQ(engine.currentFrame(), 1);
        EXPECT_EQ(Colour(engine, 20, 20), Blue);
    }
}

namespace {

// Three frames red, green, blue; frame 0 runs first, the last is labelled "end".
Bytes ScriptedMovie(const Bytes& firstFrameActions, const Bytes& lastFrameActions) {
    MovieWriter movie(40, 40);
    const auto red = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    const auto green = movie.defineRectangle(0, 0, 800, 800, {0, 255, 0});
    const auto blue = movie.defineRectangle(0, 0, 800, 800, {0, 0, 255});
    movie.place(Place{1, red});
    movie.doAction(firstFrameActions);
    movie.showFrame();
    movie.remove(1);
    movie.place(Place{1, green});
    movie.showFrame();
    movie.remove(1);
    movie.place(Place{1, blue});
    movie.frameLabel("end");
    movie.doAction(lastFrameActions);
    movie.showFrame();
    return movie.bytes();
}

} // namespace

TEST(EngineTimeline, GotoLabelActionJumpsAndTheTargetFramesScriptRuns) {
    engine::MovieEngine engine;
    LoadAndRun(engine, ScriptedMovie(actions::Block({actions::GotoLabel("END")}),
                                     actions::Block({actions::Stop()})));
    EXPECT_EQ(engine.currentFrame(), 2);
    EXPECT_EQ(Colour(engine, 20, 20), Blue);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 2);
    EXPECT_FALSE(engine.isPlaying());
}

TEST(EngineTimeline, GotoFrameThenPlayKeepsPlaying) {
    engine::MovieEngine engine;
    LoadAndRun(engine, ScriptedMovie(actions::Block({actions::GotoFrame(1), actions::Play()}),
                                     actions::Block({})));
    EXPECT_EQ(engine.currentFrame(), 1);
    EXPECT_EQ(Colour(engine, 20, 20), Green);
    EXPECT_TRUE(engine.isPlaying());
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 2);
    engine.advance(); // loops to frame 0, whose script jumps again
    EXPECT_EQ(engine.currentFrame(), 1);
}

TEST(EngineTimeline, ScriptsBeyondSimpleActionsAreIgnored) {
    // push "x"; getVariable; if (...) stop  -- needs a script engine: nothing runs
    const Bytes script = {0x96, 3, 0, 0, 'x', 0, 0x1c, 0x9d, 2, 0, 1, 0, 0x07, 0};
    engine::MovieEngine engine;
    LoadAndRun(engine, ScriptedMovie(script, actions::Block({})));
    EXPECT_EQ(engine.currentFrame(), 0);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 1);
    EXPECT_TRUE(engine.isPlaying());
}

TEST(EngineTimeline, NextAndPreviousFrameActionsStepAndStop) {
    MovieWriter movie(40, 40);
    const auto red = movie.defineRectangle(0, 0, 800, 800, {255, 0, 0});
    const auto green = movie.defineRectangle(0, 0, 800, 800, {0, 255, 0});
    movie.place(Place{1, red});
    movie.doAction(actions::Block({actions::NextFrame()}));
    movie.showFrame();
    movie.remove(1);
    movie.place(Place{1, green});
    movie.showFrame();
    movie.doAction(actions::Block({actions::PreviousFrame()}));
    movie.showFrame();
    engine::MovieEngine engine;
    LoadAndRun(engine, movie.bytes());
    EXPECT_EQ(engine.currentFrame(), 1);
    EXPECT_EQ(Colour(engine, 20, 20), Green);
    engine.advance();
    EXPECT_EQ(engine.currentFrame(), 1); // nextFrame stops the timeline
}
