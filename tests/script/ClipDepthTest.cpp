// Clips as scripts place and move them: the depths the player accepts, goto with a
// path, blend mode names, the stack and constant pool blocks share, and a jump back
// clearing scripts' clips out of the timeline's depths.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// trace(typeof <name>) after _root.<method>(args), the arguments last to first
struct DepthCase {
    const char* name;
    const char* method;
    double depth;
    const char* expected; // typeof the clip, then its depth
};

} // namespace

TEST(ClipDepths, OnlyDepthsThePlayerAcceptsTakeAClip) {
    const DepthCase cases[] = {
        {"the lowest", "createEmptyMovieClip", -16384, "movieclip\n-16384\n"},
        {"below the lowest", "createEmptyMovieClip", -16385, "undefined\nundefined\n"},
        {"the highest", "createEmptyMovieClip", 2130690044, "movieclip\n2130690044\n"},
        {"past the highest", "createEmptyMovieClip", 2130690045, "undefined\nundefined\n"},
        {"taken as 32 bits", "createEmptyMovieClip", 4294967296.0 + 5, "movieclip\n5\n"},
        {"attached below the lowest", "attachMovie", -20000, "undefined\nundefined\n"},
    };
    for (const DepthCase& c : cases) {
        MovieWriter movie(100, 100, 12, 8);
        TagStream empty;
        empty.showFrame();
        movie.exportAsset(movie.defineSprite(empty), "sym");
        ActionAssembler a;
        if (std::string(c.method) == "attachMovie") {
            CallOn(a, "_root", c.method, {c.depth, "m", "sym"}).op(Action::Pop);
        } else {
            CallOn(a, "_root", c.method, {c.depth, "m"}).op(Action::Pop);
        }
        a.push({"m"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
        CallOn(a, "m", "getDepth", {}).op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), c.expected) << c.name;
    }
}

TEST(ClipDepths, GotoWithAPathMovesTheClipItNames) {
    MovieWriter movie(100, 100, 12, 8);
    TagStream empty;
    empty.showFrame();
    Place child(1, movie.defineSprite(empty));
    child.name = "child";
    movie.place(child);
    ActionAssembler first;
    CallOn(first, "child", "gotoAndStop", {"/:3"}).op(Action::Pop);
    movie.doAction(first.block());
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("two").block());
    movie.showFrame();
    ActionAssembler third;
    third.trace("three").op(Action::Stop);
    movie.doAction(third.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 3).joined(), "three\n");
}

TEST(ClipDepths, BlendModesTakeNumbersAsBytes) {
    struct Case {
        PushValue given;
        const char* expected;
    };
    const Case cases[] = {{3, "multiply"},         {259, "multiply"}, {Null{}, "normal"},
                          {Undefined{}, "normal"}, {-1, "invert"},    {"lAyEr", "invert"}};
    for (const Case& c : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createEmptyMovieClip", {1, "m"}).op(Action::Pop);
        a.push({"m"}).op(Action::GetVariable).push({"blendMode", "invert"}).op(Action::SetMember);
        a.push({"m"}).op(Action::GetVariable).push({"blendMode", c.given}).op(Action::SetMember);
        a.push({"m"}).op(Action::GetVariable).push({"blendMode"}).op(Action::GetMember);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.expected) + "\n")
            << c.expected;
    }
}

TEST(ClipDepths, SetMaskTakesClipsPathsAndNothingElse) {
    struct Case {
        PushValue mask;
        const char* expected;
    };
    const Case cases[] = {{"b", "true"},         {"_root.b", "true"},
                          {"_level0:b", "true"}, {"_level0:_root.b", "true"},
                          {"nothing", "false"},  {5, "true"},
                          {Null{}, "true"}};
    for (const Case& c : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createEmptyMovieClip", {1, "a"}).op(Action::Pop);
        CallOn(a, "_root", "createEmptyMovieClip", {2, "b"}).op(Action::Pop);
        CallOn(a, "a", "setMask", {c.mask}).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.expected) + "\n")
            << c.expected;
    }
}

TEST(ClipDepths, BlocksShareTheStackAndTheConstantPool) {
    MovieWriter movie(100, 100, 12, 6);
    ActionAssembler first;
    first.constants({"A"}).pushConstant(0).constants({"B"});
    movie.doAction(first.block());
    ActionAssembler second;
    second.pushConstant(0).op(Action::Add2).op(Action::Trace);
    movie.doAction(second.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "AB\n");
}

TEST(ClipDepths, GoingBackRemovesScriptsClipsAmongTheTimelinesDepths) {
    MovieWriter movie(100, 100, 12, 6);
    ActionAssembler first;
    first.push({"looped"}).op(Action::GetVariable).ifTrue("report");
    CallOn(first, "_root", "createEmptyMovieClip", {5, "kept"}).op(Action::Pop);
    CallOn(first, "_root", "createEmptyMovieClip", {6, "moved"}).op(Action::Pop);
    CallOn(first, "moved", "swapDepths", {-10}).op(Action::Pop);
    first.set("looped", true);
    first.jump("end").label("report");
    for (const char* name : {"kept", "moved"}) {
        first.push({name}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    }
    first.op(Action::Stop).label("end");
    movie.doAction(first.block());
    movie.showFrame();
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 3).joined(), "movieclip\nundefined\n");
}
