// The timeline as scripts see it: default instance names, jumps back and forth over
// placements, and the clip a function call works on.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// A sprite of one frame that traces `label` each time a new one starts.
std::uint16_t Announcing(MovieWriter& movie, const std::string& label) {
    TagStream timeline;
    timeline.doAction(ActionAssembler().trace(label).block());
    timeline.showFrame();
    return movie.defineSprite(timeline);
}

constexpr std::uint8_t TargetPath = 0x45;

TEST(ScriptTimeline, UnnamedPlacementsAreNumberedAndShapesLeadToTheirClip) {
    MovieWriter movie(100, 100, 12, 6);
    const auto sprite = Announcing(movie, "made");
    const auto shape = movie.defineRectangle(0, 0, 20, 20, Rgba{255, 0, 0, 255});
    movie.place(Place(1, sprite));
    Place named(2, sprite);
    named.name = "named";
    movie.place(named);
    Place square(3, shape);
    square.name = "square";
    movie.place(square);
    movie.place(Place(4, sprite));
    ActionAssembler a;
    for (const char* name : {"instance1", "instance2", "square"}) {
        a.push({name}).op(Action::GetVariable).op(TargetPath).op(Action::Trace);
    }
    a.push({"square"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "_level0.instance1\n_level0.instance2\n_level0\nmovieclip\nmade\nmade\nmade\n");
}

struct JumpCase {
    const char* name;
    bool placeAgainLater; // the clip is removed and placed anew (another ratio) before the jump
    const char* expected;
};

class ScriptTimelineJump : public ::testing::TestWithParam<JumpCase> {};

// frame 2 places the clip, frames 3-4 keep it or place it again, frame 5 jumps back to 2.
TEST_P(ScriptTimelineJump, GoingBackKeepsWhatTheFrameWouldPlaceAlike) {
    MovieWriter movie(100, 100);
    const auto sprite = Announcing(movie, "made");
    movie.showFrame();
    Place first(1, sprite);
    first.ratio = 1;
    movie.place(first);
    movie.showFrame();
    if (GetParam().placeAgainLater) {
        movie.remove(1);
    }
    movie.showFrame();
    if (GetParam().placeAgainLater) {
        Place again(1, sprite);
        again.ratio = 3;
        movie.place(again);
    }
    movie.showFrame();
    movie.doAction(actions::Block({actions::GotoFrame(1), actions::Stop()}));
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 7).joined(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptTimelineJump,
                         ::testing::Values(JumpCase{"Kept", false, "made\n"},
                                           JumpCase{"PlacedAgain", true, "made\nmade\nmade\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptTimeline, JumpingForwardSkipsWhatComesAndGoesInBetween) {
    MovieWriter movie(100, 100);
    const auto sprite = Announcing(movie, "made");
    movie.doAction(actions::Block({actions::GotoFrame(3), actions::Stop()}));
    movie.showFrame();
    movie.place(Place(1, sprite));
    movie.showFrame();
    movie.remove(1);
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("frame 4").block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 3).joined(), "frame 4\n");
}

// function where() { trace(_target) }, made on the root and called as a method of a clip:
// version 5 works on the clip it is called on, later versions on the clip that made it.
// What a block leaves on the stack the next blocks of the frame find, a frame run by
// Call included; the next frame starts with none.
TEST(ScriptTimeline, TheStackLastsAFrame) {
    MovieWriter movie(100, 100, 12, 6);
    movie.doAction(ActionAssembler().push({"a"}).block());
    movie.showFrame();
    movie.doAction(actions::Block({ActionAssembler().op(Action::Trace).push({"1"}).code(),
                                   Bytes{0x9e, 0, 0}, // Call: frame 1 pushes "a" again
                                   ActionAssembler().push({"b"}).op(Action::Add2).code(),
                                   ActionAssembler().op(Action::Trace).code(), actions::Stop()}));
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(), "undefined\nab\n");
}

TEST(ScriptTimeline, TheClipACallWorksOnByVersion) {
    for (const auto& [version, expected] :
         {std::pair{5, "/clip\n"}, std::pair{6, "/\n"}, std::pair{7, "/\n"}}) {
        MovieWriter movie(100, 100, 12, version);
        PlaceEmptyClip(movie, 1, "clip");
        ActionAssembler body;
        body.push({"", 11}).op(Action::GetProperty).op(Action::Trace);
        ActionAssembler a;
        a.push({"clip"}).op(Action::GetVariable).push({"where"}).function({}, body);
        a.op(Action::SetMember);
        a.push({0, "clip"}).op(Action::GetVariable).push({"where"}).op(Action::CallMethod);
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), expected) << "version " << version;
    }
}

// A goto past the last frame stops on it without running its script; one to frame 0
// goes nowhere.
TEST(ScriptTimeline, GotosPastTheEndStopOnTheLastFrameWithoutItsScript) {
    MovieWriter movie(100, 100, 12, 8);
    ActionAssembler first;
    first.push({0}).gotoFrame2(false);
    first.push({"", 4}).op(Action::GetProperty).op(Action::Trace);
    first.push({10}).gotoFrame2(false);
    first.push({"", 4}).op(Action::GetProperty).op(Action::Trace);
    movie.doAction(first.block());
    movie.showFrame();
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("last frame ran").block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 3).joined(), "1\n3\n");
}

} // namespace

// What a script set on a clip outlasts the timeline's later moves of it: a tint through
// Color keeps both its matrix and its colours off the timeline, as a changed _alpha does;
// an untouched clip still follows.
TEST(ScriptTimeline, AClipAScriptTintedKeepsOffTheTimelinesMoves) {
    MovieWriter movie(100, 100);
    TagStream empty;
    empty.showFrame();
    const auto sprite = movie.defineSprite(empty);
    const char* names[] = {"tinted", "faded", "plain"};
    for (int depth = 1; depth <= 3; ++depth) {
        Place place(depth, sprite);
        place.name = names[depth - 1];
        movie.place(place.at(0, 0));
    }
    ActionAssembler first;
    first.push({"c", "tinted"}).op(Action::GetVariable).push({1, "Color"});
    first.op(Action::NewObject).op(Action::SetVariable);
    first.push({"rb", -25, 1}).op(Action::InitObject).push({1, "c"}).op(Action::GetVariable);
    first.push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    first.push({"faded"}).op(Action::GetVariable).push({"_alpha", 50}).op(Action::SetMember);
    movie.doAction(first.block());
    movie.showFrame();
    ColorXf half;
    half.am = 64;
    for (int depth = 1; depth <= 3; ++depth) {
        Place move(depth, std::nullopt);
        move.move = true;
        move.colorXf = half;
        movie.place(move.at(2000, 0));
    }
    ActionAssembler second;
    for (const char* name : names) {
        TraceMember(second, name, "_x");
        TraceMember(second, name, "_alpha");
    }
    second.op(Action::Stop);
    movie.doAction(second.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(), "0\n100\n0\n50\n100\n25\n");
}
