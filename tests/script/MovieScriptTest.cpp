// Scripts acting on the display list, clip events in the player's order, and hostile
// movies that end as warnings.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

using namespace quillon::testing;

namespace {

// A sprite whose first frame traces `label`, holding `inner` (if any) at depth 1.
std::uint16_t TracingSprite(MovieWriter& movie, const std::string& label,
                            std::optional<std::uint16_t> inner = std::nullopt) {
    TagStream timeline;
    if (inner) {
        Place place(1, *inner);
        place.name = "inner";
        timeline.place(place);
    }
    timeline.doAction(ActionAssembler().trace(label + " frame 1").block());
    timeline.showFrame();
    return movie.defineSprite(timeline);
}

TEST(ScriptMovie, NestedClipsRunParentScriptsFirst) {
    MovieWriter movie(100, 100);
    const auto child = TracingSprite(movie, "child");
    const auto parent = TracingSprite(movie, "parent", child);
    Place place(1, parent);
    place.name = "outer";
    movie.place(place);
    movie.doAction(ActionAssembler()
                       .trace("root frame 1")
                       .push({"outer.inner"})
                       .op(Action::GetVariable)
                       .op(Action::Trace)
                       .block());
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("root frame 2").op(Action::Stop).block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(),
              "root frame 1\n_level0.outer.inner\nparent frame 1\nchild frame 1\nroot frame 2\n");
}

TEST(ScriptMovie, DuplicateAndRemoveKeepDepths) {
    MovieWriter movie(100, 100);
    const auto sprite = TracingSprite(movie, "clip");
    Place place(1, sprite);
    place.name = "a";
    movie.place(place);
    ActionAssembler a;
    // a.duplicateMovieClip("b", 5); trace(b.getDepth()); trace(a.getDepth());
    a.push({5, "b", 2, "a"})
        .op(Action::GetVariable)
        .push({"duplicateMovieClip"})
        .op(Action::CallMethod)
        .op(Action::Pop)
        .push({0, "b"})
        .op(Action::GetVariable)
        .push({"getDepth"})
        .op(Action::CallMethod)
        .op(Action::Trace)
        .push({0, "a"})
        .op(Action::GetVariable)
        .push({"getDepth"})
        .op(Action::CallMethod)
        .op(Action::Trace)
        // b.removeMovieClip(); trace(typeof b);
        .push({0, "b"})
        .op(Action::GetVariable)
        .push({"removeMovieClip"})
        .op(Action::CallMethod)
        .op(Action::Pop)
        .push({"b"})
        .op(Action::GetVariable)
        .op(Action::TypeOf)
        .op(Action::Trace)
        .push({"a"})
        .op(Action::GetVariable)
        .op(Action::TypeOf)
        .op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    const std::string out = RunMovie(movie.bytes()).joined();
    // the copy went before its first frame ran
    EXPECT_EQ(out, "5\n-16383\nundefined\nmovieclip\nclip frame 1\n");
}

TEST(ScriptMovie, PropertiesMoveTheClip) {
    MovieWriter movie(100, 100);
    const auto sprite = TracingSprite(movie, "clip");
    Place place(1, sprite);
    place.name = "a";
    place.matrix = Matrix::translate(200, 400);
    movie.place(place);
    ActionAssembler b;
    b.push({"a._x"})
        .op(Action::GetVariable)
        .op(Action::Trace)
        .push({"a._y"})
        .op(Action::GetVariable)
        .op(Action::Trace)
        .push({"a"})
        .op(Action::GetVariable)
        .push({"_x", 30})
        .op(Action::SetMember)
        .push({"a", 0})
        .op(Action::GetProperty)
        .op(Action::Trace)
        .push({"a", 2, 50})
        .op(Action::SetProperty)
        .push({"a"})
        .op(Action::GetVariable)
        .push({"_xscale"})
        .op(Action::GetMember)
        .op(Action::Trace);
    movie.doAction(b.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "10\n20\n30\n50\nclip frame 1\n");
}

// Positions are whole twips; a text field's width and height size its box, in whole
// twips too, and a field made with a negative size takes its length.
TEST(ScriptMovie, FieldsAndClipsMoveAndSizeInWholeTwips) {
    MovieWriter movie(100, 100, 12, 8);
    Place place(1, TracingSprite(movie, "clip"));
    place.name = "a";
    movie.place(place);
    ActionAssembler b;
    CallOn(b, "_root", "createTextField", {-30, -20, 4, 3, 1, "t"}).op(Action::Pop);
    b.traceVariable("t._width").traceVariable("t._height");
    for (const char* target : {"a", "t"}) {
        for (auto [name, value] : {std::pair{"_x", 2.14}, std::pair{"_y", -3.94}}) {
            b.push({target}).op(Action::GetVariable).push({name, value}).op(Action::SetMember);
            b.traceVariable(std::string(target) + "." + name);
        }
    }
    for (auto [name, value] : {std::pair{"_width", 40.27}, std::pair{"_height", 12.5}}) {
        b.push({"t"}).op(Action::GetVariable).push({name, value}).op(Action::SetMember);
        b.traceVariable(std::string("t.") + name);
    }
    b.traceVariable("t._xscale").traceVariable("t._yscale");
    // the box takes the size as given, which its scale then stretches
    b.push({"t"}).op(Action::GetVariable).push({"_xscale", 200}).op(Action::SetMember);
    b.push({"t"}).op(Action::GetVariable).push({"_width", 20}).op(Action::SetMember);
    b.traceVariable("t._width");
    movie.doAction(b.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "20\n30\n2.1\n-3.9\n2.1\n-3.9\n40.25\n12.5\n100\n100\n40\nclip frame 1\n");
}

// Scales and rotation read back as a script set them, not as the matrix they make would
// give them: a flip stays a negative scale, and setting it again changes nothing.
TEST(ScriptMovie, ScalesAndRotationReadBackAsSet) {
    struct Case {
        std::vector<std::pair<const char*, double>> sets;
        const char* reads; // _xscale, _yscale, _rotation
    };
    const Case cases[] = {
        {{{"_xscale", -100}}, "-100\n100\n0\n"},
        {{{"_xscale", -100}, {"_xscale", -100}}, "-100\n100\n0\n"},
        {{{"_yscale", -50}, {"_rotation", 90}}, "100\n-50\n90\n"},
        {{{"_rotation", 370}}, "100\n100\n10\n"},
        {{{"_xscale", -200}, {"_rotation", -30}, {"_yscale", 300}}, "-200\n300\n-30\n"},
    };
    for (const Case& c : cases) {
        MovieWriter movie(100, 100);
        ActionAssembler a;
        CallOn(a, "this", "createEmptyMovieClip", {1, "a"}).op(Action::Pop);
        for (const auto& [name, value] : c.sets) {
            a.push({"a"}).op(Action::GetVariable).push({name, value}).op(Action::SetMember);
        }
        for (const char* name : {"_xscale", "_yscale", "_rotation"}) {
            // whole numbers, as sines and cosines leave tiny remainders
            a.push({std::string("a.") + name}).op(Action::GetVariable);
            a.push({1, "Math"}).op(Action::GetVariable).push({"round"});
            a.op(Action::CallMethod).op(Action::Trace);
        }
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), c.reads) << c.sets.front().first;
    }
}

TEST(ScriptMovie, EndlessLoopEndsAsAWarningAndTheNextFrameRuns) {
    MovieWriter movie(100, 100);
    movie.doAction(ActionAssembler().label("top").jump("top").block());
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("frame 2").op(Action::Stop).block());
    movie.showFrame();
    const ScriptRun run = RunMovie(movie.bytes(), 2);
    EXPECT_EQ(run.joined(), "frame 2\n");
    ASSERT_FALSE(run.warnings.empty());
    EXPECT_NE(run.warnings[0].find("too long"), std::string::npos);
}

TEST(ScriptMovie, RunawayRecursionStopsAt256Levels) {
    // function f(n) { trace(n) at the depth limit only; return f(n + 1); }
    ActionAssembler body;
    body.push({"depth", "depth"})
        .op(Action::GetVariable)
        .op(Action::Increment)
        .op(Action::SetVariable)
        .push({0, "f"})
        .op(Action::CallFunction)
        .op(Action::Return);
    ActionAssembler a;
    a.set("depth", 0)
        .function({"f"}, body)
        .push({0, "f"})
        .op(Action::CallFunction)
        .op(Action::Pop)
        .trace("not reached");
    MovieWriter movie(100, 100);
    movie.doAction(a.block());
    movie.showFrame();
    movie.doAction(ActionAssembler().traceVariable("depth").op(Action::Stop).block());
    movie.showFrame();
    const ScriptRun run = RunMovie(movie.bytes(), 2);
    EXPECT_EQ(run.joined(), "255\n");
    ASSERT_FALSE(run.warnings.empty());
    EXPECT_NE(run.warnings[0].find("256"), std::string::npos);
}

TEST(ScriptMovie, HugeStringsAreCapped) {
    // s = "x"; loop { s = s + s; }
    ActionAssembler a;
    a.set("s", "xxxxxxxxxxxxxxxx")
        .label("top")
        .push({"s", "s"})
        .op(Action::GetVariable)
        .push({"s"})
        .op(Action::GetVariable)
        .op(Action::Add2)
        .op(Action::SetVariable)
        .jump("top");
    const ScriptRun run = RunMovie(OneScriptMovie(a));
    ASSERT_FALSE(run.warnings.empty());
    EXPECT_NE(run.warnings[0].find("string"), std::string::npos);
}

TEST(ScriptMovie, IntervalsFollowTheVirtualClock) {
    // setInterval(function () { trace(getTimer()); }, 100); at 10 frames a second
    ActionAssembler tick;
    tick.push({0, "getTimer"}).op(Action::CallFunction).op(Action::Trace);
    ActionAssembler a;
    a.push({100})
        .function({}, tick)
        .push({2, "setInterval"})
        .op(Action::CallFunction)
        .op(Action::Pop);
    MovieWriter movie(100, 100, 10);
    movie.doAction(a.block());
    movie.showFrame();
    // the first frame's time passes as every other's does, so four frames tick four times
    EXPECT_EQ(RunMovie(movie.bytes(), 4).joined(), "100\n200\n300\n400\n");
}

TEST(ScriptMovie, EachFrameSeesTheTimeOfTheFramesBeforeIt) {
    // trace(getTimer()) in each of three frames at 10 frames a second
    MovieWriter movie(100, 100, 10);
    for (int frame = 0; frame < 3; ++frame) {
        ActionAssembler a;
        a.push({0, "getTimer"}).op(Action::CallFunction).op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
    }
    EXPECT_EQ(RunMovie(movie.bytes(), 3).joined(), "0\n100\n200\n");
}

TEST(ScriptMovie, FarOffDepthsNeitherOverflowNorMoveTheClip) {
    // a.swapDepths(d); trace(a.getDepth()); for depths past every limit a clip can take
    struct Case {
        double depth;
        const char* expected;
    };
    for (const Case& c : {Case{2147483647.0, "-16383"}, Case{-2147483648.0, "-16383"},
                          Case{1e300, "-16383"}, Case{100, "100"}}) {
        MovieWriter movie(100, 100);
        Place place(1, TracingSprite(movie, "clip"));
        place.name = "a";
        movie.place(place);
        ActionAssembler a;
        CallOn(a, "a", "swapDepths", {c.depth}).op(Action::Pop);
        CallOn(a, "a", "getDepth", {}).op(Action::Trace);
        CallOn(a, "a", "getInstanceAtDepth", {2147483647.0}).op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(),
                  std::string(c.expected) + "\nundefined\nclip frame 1\n")
            << c.depth;
    }
}

} // namespace
