// Code of a clip that is removed while it runs: it stops after the call that removed the
// clip, and what it still reads comes from the root it was under.

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

} // namespace
