// Code of a clip that is removed while it runs: it stops after the call that removed the
// clip, and what it still reads comes from the root it was under. References to a removed
// clip lead to the clip placed again at its path.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// The root stops on frame 1 with a child whose script runs `child`; the root's frame 2
// removes the child and sets v to "root's".
Bytes RootRemovingItsChild(const ActionAssembler& child) {
    MovieWriter movie(100, 100, 12, 8);
    TagStream timeline;
    timeline.doAction(child.block());
    timeline.showFrame();
    const auto sprite = movie.defineSprite(timeline);
    movie.doAction(ActionAssembler().set("v", "root's").block());
    movie.doAction(actions::Block({actions::Stop()}));
    Place place(1, sprite);
    place.name = "child";
    movie.place(place);
    movie.showFrame();
    movie.remove(1);
    movie.showFrame();
    return movie.bytes();
}

TEST(ScriptRemovedClip, ACallThatRemovesTheClipEndsItsCode) {
    ActionAssembler child;
    child.trace("before");
    CallOn(child, "_parent", "gotoAndStop", {2}).op(Action::Pop);
    child.trace("after");
    EXPECT_EQ(RunMovie(RootRemovingItsChild(child), 2).joined(), "before\n");
}

// tellTarget("_root") { gotoAndStop(2) } removes the clip without a call: its code goes
// on, a method call on nothing does not stop it, and it reads the root's variables.
TEST(ScriptRemovedClip, CodeGoesOnWithoutACallAndReadsTheRoot) {
    ActionAssembler child;
    child.push({"v", "mine"}).op(Action::DefineLocal);
    child.push({"_root"}).op(0x20).push({2}).gotoFrame2(false);
    child.push({""}).op(0x20);
    child.traceVariable("v");
    CallOn(child, "nothing", "method", {}).op(Action::Pop);
    child.push({"_root"}).op(Action::GetVariable).push({"v"}).op(Action::GetMember);
    child.op(Action::Trace);
    child.push({0, "missing"}).op(Action::CallFunction).op(Action::Pop);
    child.trace("not reached");
    EXPECT_EQ(RunMovie(RootRemovingItsChild(child), 2).joined(), "root's\nroot's\n");
}

// A clip's _global member is the global object (any case up to version 6).
TEST(ScriptRemovedClip, ClipsHoldTheGlobalObject) {
    for (const char* name : {"_global", "_GLOBAL"}) {
        ActionAssembler a;
        CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
        a.push({"c"}).op(Action::GetVariable).push({name}).op(Action::GetMember);
        a.push({"_global"}).op(Action::GetVariable).op(Action::StrictEquals).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "true\n") << name;
    }
}

// r = a reference to _root.a; a is removed, then a new a is made at another depth.
ActionAssembler ReferenceToARemovedClip(const std::string& renameTo = {}) {
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "a"}).op(Action::Pop);
    a.push({"r", "a"}).op(Action::GetVariable).op(Action::SetVariable);
    a.push({"r"}).op(Action::GetVariable).push({"v", "old"}).op(Action::SetMember);
    if (!renameTo.empty()) {
        a.push({"r"}).op(Action::GetVariable).push({"_name", renameTo}).op(Action::SetMember);
    }
    CallOn(a, "r", "removeMovieClip", {}).op(Action::Pop);
    a.push({"r"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    a.push({"r"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "_root", "createEmptyMovieClip", {2, "a"}).op(Action::Pop);
    a.push({"a"}).op(Action::GetVariable).push({"w", "new"}).op(Action::SetMember);
    return a;
}

TEST(ScriptRemovedClip, AReferenceLeadsToTheClipPlacedAgainAtItsPath) {
    ActionAssembler a = ReferenceToARemovedClip();
    a.traceVariable("r");
    for (const char* name : {"v", "w"}) {
        a.push({"r"}).op(Action::GetVariable).push({name}).op(Action::GetMember);
        a.op(Action::Trace);
    }
    CallOn(a, "r", "getDepth", {}).op(Action::Trace);
    a.push({"r"}).op(Action::GetVariable).push({"a"}).op(Action::GetVariable);
    a.op(Action::Equals2).op(Action::Trace);
    // a write through the reference reaches the new clip
    a.push({"r"}).op(Action::GetVariable).push({"x", 3}).op(Action::SetMember);
    a.push({"a"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "movieclip\nundefined\n_level0.a\nundefined\nnew\n2\ntrue\n3\n");
}

// The path a reference keeps is the clip's when first referenced, not a later name.
TEST(ScriptRemovedClip, AReferenceKeepsThePathItWasMadeWith) {
    ActionAssembler a = ReferenceToARemovedClip("b");
    a.traceVariable("r");
    CallOn(a, "_root", "createEmptyMovieClip", {3, "b"}).op(Action::Pop);
    a.traceVariable("r");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "movieclip\nundefined\n_level0.a\n_level0.a\n");
}

// A function made in a clip's code keeps the clip as its base: once the clip is removed
// and placed again, the new one; while none is there, the root.
TEST(ScriptRemovedClip, AFunctionsBaseClipIsPlacedAgainToo) {
    ActionAssembler body;
    body.traceVariable("w");
    ActionAssembler a;
    a.set("w", "root's");
    CallOn(a, "_root", "createEmptyMovieClip", {1, "a"}).op(Action::Pop);
    a.push({"a"}).op(Action::GetVariable).push({"w", "first"}).op(Action::SetMember);
    a.push({"a"}).op(0x20); // SetTarget2
    a.push({"_global"}).op(Action::GetVariable).push({"f"});
    a.function(FunctionSpec(), body).op(Action::SetMember);
    a.push({""}).op(0x20);
    CallOn(a, "f", "call", {}).op(Action::Pop);
    CallOn(a, "a", "removeMovieClip", {}).op(Action::Pop);
    CallOn(a, "f", "call", {}).op(Action::Pop);
    CallOn(a, "_root", "createEmptyMovieClip", {5, "a"}).op(Action::Pop);
    a.push({"a"}).op(Action::GetVariable).push({"w", "second"}).op(Action::SetMember);
    CallOn(a, "f", "call", {}).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "first\nroot's\nsecond\n");
}

// A clip removed while code acts on its child through tellTarget takes the child with
// it: the code then reads the root's variables. With an unload handler of its own, what
// it holds stays reachable until the frame's actions are done.
TEST(ScriptRemovedClip, ItsChildrenGoWithItUnlessItHandlesUnload) {
    for (const bool handler : {false, true}) {
        MovieWriter movie(100, 100, 12, 8);
        TagStream inner;
        inner.showFrame();
        const auto child = movie.defineSprite(inner);
        ActionAssembler code;
        if (handler) {
            code.push({"this"}).op(Action::GetVariable).push({"onUnload"});
            code.function({}, ActionAssembler()).op(Action::SetMember);
        }
        code.push({"c"}).op(Action::GetVariable).op(0x20);
        code.set("v", "child's");
        code.push({"this"}).op(Action::GetVariable).op(0x25);
        code.traceVariable("v");
        TagStream outer;
        Place place(1, child);
        place.name = "c";
        outer.place(place);
        outer.doAction(code.block());
        outer.showFrame();
        const auto parent = movie.defineSprite(outer);
        movie.doAction(ActionAssembler().set("v", "root's").block());
        Place placeParent(1, parent);
        placeParent.name = "p";
        movie.place(placeParent);
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), handler ? "child's\n" : "root's\n") << handler;
    }
}

} // namespace
