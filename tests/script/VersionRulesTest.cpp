// What a movie's version decides beyond conversions: the answers of comparisons in
// version 4 frame scripts, which classes exist, and where a tellTarget of undefined goes.

#include "script/ScriptTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

struct ComparisonCase {
    std::uint8_t op;
    PushValue left, right;
    const char* version4; // a version 4 frame script pushes numbers
    const char* version5;
};

TEST(ScriptVersionRules, ComparisonsAnswerNumbersInVersion4FrameScripts) {
    const ComparisonCase cases[] = {
        {Action::Equals2, 1, 1, "1", "true"},      {Action::Equals2, 1, 2, "0", "false"},
        {Action::StrictEquals, 1, 1, "1", "true"}, {Action::StrictEquals, 1, "1", "0", "false"},
        {Action::Less2, 1, 2, "1", "true"},        {Action::Greater, 1, 2, "0", "false"},
        {Action::Less2, "a", 1, "1", "undefined"}, // "a" is 0 in version 4
    };
    for (const ComparisonCase& c : cases) {
        for (const int version : {4, 5}) {
            ActionAssembler a;
            a.push({c.left, c.right}).op(c.op).op(Action::Trace);
            const std::string expected = version == 4 ? c.version4 : c.version5;
            EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(), expected + "\n")
                << "op " << int(c.op) << " version " << version;
        }
    }
}

// typeof of the classes the engine keeps without behaviour, by the version they came with.
TEST(ScriptVersionRules, ClassesWithoutBehaviourAppearWithTheirVersion) {
    struct Case {
        const char* path;
        int version;
        const char* expected;
    };
    const Case cases[] = {
        {"Camera", 5, "undefined"},
        {"Camera", 6, "function"},
        {"SharedObject.prototype", 6, "object"},
        {"XMLSocket", 8, "function"},
        {"Accessibility", 6, "object"},
        {"System.IME", 6, "object"},
        {"TextField.StyleSheet", 6, "undefined"},
        {"TextField.StyleSheet", 7, "function"},
        {"flash.net.FileReference", 7, "undefined"},
        {"flash.net.FileReference", 8, "function"},
        {"flash.text.TextRenderer", 8, "function"},
        {"flash.external.ExternalInterface", 8, "function"},
        {"AsBroadcaster.prototype", 6, "object"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({c.path}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), std::string(c.expected) + "\n")
            << c.path << " in version " << c.version;
    }
}

// A clip whose script does tellTarget(undefined) { trace(_target) }: version 6 stays on
// the clip, version 7 names no clip and so falls back to the root.
TEST(ScriptVersionRules, TellTargetOfUndefinedByVersion) {
    for (const auto& [version, expected] : {std::pair{6, "/child\n"}, std::pair{7, "/\n"}}) {
        MovieWriter movie(100, 100, 12, version);
        TagStream timeline;
        ActionAssembler a;
        a.push({Undefined{}}).op(0x20);                             // SetTarget2
        a.push({"", 11}).op(Action::GetProperty).op(Action::Trace); // _target
        timeline.doAction(a.block());
        timeline.showFrame();
        Place child(1, movie.defineSprite(timeline));
        child.name = "child";
        movie.place(child);
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), expected) << "version " << version;
    }
}

// Clips are no values to a version 4 movie's variables: a clip's name or path reads as
// undefined there, while a variable beside it and the clip's properties read as usual.
TEST(ScriptVersionRules, ClipsAreNoVariablesInVersion4) {
    for (const auto& [version, expected] :
         {std::pair{4, "undefined\nundefined\nset\nchild\n"},
          std::pair{5, "_level0.child\n_level0.child\nset\nchild\n"}}) {
        MovieWriter movie(100, 100, 12, version);
        PlaceEmptyClip(movie, 1, "child");
        ActionAssembler a;
        a.set("v", "set").traceVariable("child").traceVariable("/child").traceVariable("v");
        a.push({"", "child", 13}).op(Action::GetProperty).op(Action::StringAdd);
        a.op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), expected) << "version " << version;
    }
}

// GotoFrame is a gotoAndStop: the playhead stays on the frame it went to.
TEST(ScriptVersionRules, GotoFrameStopsThePlayhead) {
    MovieWriter movie(100, 100);
    movie.doAction(ActionAssembler().trace("one").block());
    movie.doAction(actions::Block({actions::GotoFrame(2)}));
    movie.showFrame();
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("three").block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 5).joined(), "one\nthree\n");
}

} // namespace

// MovieClip methods later players brought are not there for older movies; the ones
// version 5 had stay.
TEST(ScriptVersionRules, ClipMethodsAppearWithTheirVersion) {
    struct Case {
        const char* method;
        int since;
    };
    const Case cases[] = {{"getDepth", 6},
                          {"createEmptyMovieClip", 6},
                          {"createTextField", 6},
                          {"setMask", 6},
                          {"getNextHighestDepth", 7},
                          {"getInstanceAtDepth", 7},
                          {"swapDepths", 5},
                          {"getBounds", 5}};
    for (const Case& c : cases) {
        // version 4 movies have no such objects to ask: the older movie is at least 5
        for (const int version : {std::max(5, c.since - 1), c.since}) {
            ActionAssembler a;
            a.push({"_root"}).op(Action::GetVariable).push({c.method}).op(Action::GetMember);
            a.op(Action::TypeOf).op(Action::Trace);
            EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(),
                      version < c.since ? "undefined\n" : "function\n")
                << c.method << " version " << version;
        }
    }
}
