// Scope chains under SetTarget, a removed target, `this` assigned by scripts, and what
// `super` finds and calls.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

constexpr std::uint8_t SetTarget2 = 0x20;

// _root.createEmptyMovieClip(name, depth), its result dropped.
void MakeClip(ActionAssembler& a, const std::string& name, int depth) {
    CallOn(a, "_root", "createEmptyMovieClip", {depth, name}).op(Action::Pop);
}

// name = { method: function () { body } }
void ObjectWithMethod(ActionAssembler& a, const std::string& name, const std::string& method,
                      const ActionAssembler& body) {
    a.push({name, method}).function({}, body).push({1}).op(Action::InitObject);
    a.op(Action::SetVariable);
}

TEST(ScriptScopes, ThisCanBeAssignedForTheRunningBlockOnly) {
    ActionAssembler body;
    body.push({"this", 1234}).op(Action::SetVariable).traceVariable("this");
    body.push({"this"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    ActionAssembler a;
    a.function({"f"}, body).push({0, "f"}).op(Action::CallFunction).op(Action::Pop);
    a.traceVariable("this");
    a.push({"this", "text"}).op(Action::SetVariable).traceVariable("this");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "1234\nnumber\n_level0\ntext\n");
}

// Under SetTarget the target replaces the timeline in the chain: the timeline's variables
// are out of sight, and variables set go to the target.
TEST(ScriptScopes, SetTargetReplacesTheTimelineInTheScopeChain) {
    ActionAssembler a;
    MakeClip(a, "mc", 1);
    a.set("foo", "root");
    a.push({"_global"}).op(Action::GetVariable).push({"foo", "global"}).op(Action::SetMember);
    a.push({"mc"}).op(SetTarget2).traceVariable("foo");
    a.set("foo", "mc").set("bar", "mc bar");
    a.push({""}).op(SetTarget2);
    a.traceVariable("foo").traceVariable("bar").traceVariable("mc.foo").traceVariable("mc.bar");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "global\nroot\nundefined\nmc\nmc bar\n");
}

TEST(ScriptScopes, SetTargetToAnObjectNamesTheClipItsTextNames) {
    ActionAssembler toText;
    toText.push({"mc"}).op(Action::Return);
    ActionAssembler a;
    MakeClip(a, "mc", 1);
    ObjectWithMethod(a, "o", "toString", toText);
    a.push({"o"}).op(Action::GetVariable).op(SetTarget2);
    a.push({"", 11}).op(Action::GetProperty).op(Action::Trace); // _target
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "/mc\n");
}

// A path the target lacks names from the timeline the code is in.
TEST(ScriptScopes, ANestedSetTargetFindsAPathFromTheTimeline) {
    ActionAssembler a;
    MakeClip(a, "a", 1);
    CallOn(a, "a", "createEmptyMovieClip", {1, "b"}).op(Action::Pop);
    a.push({"a"}).op(SetTarget2);
    a.push({"a.b"}).op(SetTarget2);
    a.push({"", 11}).op(Action::GetProperty).op(Action::Trace); // _target
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "/a/b\n");
}

// Once the target is removed, code reads and writes the clip it runs for, and a
// reference to the removed clip converts to empty text.
TEST(ScriptScopes, ARemovedTargetLeavesTheBlocksOwnClip) {
    ActionAssembler a;
    MakeClip(a, "mc", 1);
    a.set("scope", "root");
    a.push({"ref", "mc"}).op(Action::GetVariable).op(Action::SetVariable);
    a.push({"mc"}).op(SetTarget2).set("scope", "mc").traceVariable("scope");
    a.push({"/mc"}).op(Action::RemoveSprite);
    a.traceVariable("scope");
    a.set("after", "set");
    a.push({"["}).push({"ref"}).op(Action::GetVariable).op(Action::Add2).push({"]"});
    a.op(Action::Add2).op(Action::Trace);
    a.push({""}).op(SetTarget2).traceVariable("after");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "mc\nroot\n[]\nset\n");
}

// Base, and Sub extending it whose constructor calls super(); Sub.prototype.who adds to
// what super.who() gives.
ActionAssembler ClassPair() {
    ActionAssembler baseCtor, subCtor, baseWho, subWho;
    baseCtor.trace("Base");
    subCtor.push({0, "super"}).op(Action::CallFunction).op(Action::Pop).trace("Sub");
    baseWho.push({"base"}).op(Action::Return);
    subWho.push({"sub:", 0, "super"}).op(Action::GetVariable).push({"who"});
    subWho.op(Action::CallMethod).op(Action::Add2).op(Action::Return);
    ActionAssembler a;
    a.function({"Base"}, baseCtor).function({"Sub"}, subCtor);
    a.push({"Sub"}).op(Action::GetVariable).push({"Base"}).op(Action::GetVariable);
    a.op(Action::Extends);
    for (const auto& [cls, body] : {std::pair{"Base", &baseWho}, std::pair{"Sub", &subWho}}) {
        a.push({cls}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
        a.push({"who"}).function({}, *body).op(Action::SetMember);
    }
    return a;
}

TEST(ScriptSuper, ConstructorsAndMethodsOfTheClassAbove) {
    ActionAssembler a = ClassPair();
    a.push({"o", 0, "Sub"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({0, "o"}).op(Action::GetVariable).push({"who"}).op(Action::CallMethod);
    a.op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "Base\nSub\nsub:base\n");
}

struct SuperCase {
    const char* name;
    const char* before; // set up o before o.m() runs
    std::string expected;
};

// A method the object holds itself: super() runs no constructor the object holds, but
// one its prototypes record; a clip as prototype lends super nothing; super converts by
// what lies past where it starts.
TEST(ScriptSuper, WhatSuperFindsFromAMethodTheObjectHolds) {
    const SuperCase cases[] = {
        {"own constructor", "own", "undefined\n"},
        {"constructor up the chain", "chain", "ctor\nmade\n"},
        {"clip as prototype", "clip", "undefined\n"},
    };
    for (const SuperCase& c : cases) {
        ActionAssembler ctor, method;
        ctor.trace("ctor").push({"made"}).op(Action::Return);
        method.push({0, "super"}).op(Action::CallFunction).op(Action::Trace);
        ActionAssembler a;
        ObjectWithMethod(a, "o", "m", method);
        const std::string before = c.before;
        if (before == "own") {
            a.push({"o"}).op(Action::GetVariable).push({"__constructor__"});
            a.function({}, ctor).op(Action::SetMember);
        } else if (before == "chain") {
            a.push({"o"}).op(Action::GetVariable).push({"__proto__"}).op(Action::GetMember);
            a.push({"__constructor__"}).function({}, ctor).op(Action::SetMember);
        } else {
            a.push({"_root", "__constructor__"}).op(Action::GetVariable);
            a.function({}, ctor).op(Action::SetMember);
            a.push({"o"}).op(Action::GetVariable).push({"__proto__", "_root"});
            a.op(Action::GetVariable).op(Action::SetMember);
        }
        a.push({0, "o"}).op(Action::GetVariable).push({"m"}).op(Action::CallMethod);
        a.op(Action::Pop);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), c.expected) << c.name;
    }
}

// super counts its links along `this`'s chain as the chain is when used: a method that
// gives its object a new prototype calls that prototype's constructor, and a built-in
// class's constructor builds on the object as under new.
TEST(ScriptSuper, FollowsTheChainAsItIsWhenUsed) {
    ActionAssembler method;
    method.push({"this"}).op(Action::GetVariable).push({"__proto__"});
    method.push({"__proto__", "Number"}).op(Action::GetVariable).push({"prototype"});
    method.op(Action::GetMember).push({"__constructor__", "Number"}).op(Action::GetVariable);
    method.push({2}).op(Action::InitObject).op(Action::SetMember);
    method.push({"v"}).op(Action::GetVariable).push({1, "super"}).op(Action::CallFunction);
    method.op(Action::Trace);
    method.push({"this"}).op(Action::GetVariable).push({1}).op(Action::Add2).op(Action::Trace);
    ActionAssembler a;
    a.function(FunctionSpec("T"), ActionAssembler());
    a.push({"T"}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
    a.push({"m"}).function(FunctionSpec({}, {{0, "v"}}), method).op(Action::SetMember);
    a.push({"o", 0, "T"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({5, 1, "o"}).op(Action::GetVariable).push({"m"}).op(Action::CallMethod);
    a.op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "5\n6\n");
}

TEST(ScriptSuper, ConvertsByWhatLiesPastWhereItStarts) {
    ActionAssembler show;
    show.push({"super"}).op(Action::GetVariable).op(Action::Trace);
    ActionAssembler a = ClassPair();
    ObjectWithMethod(a, "o", "m", show);
    a.push({0, "o"}).op(Action::GetVariable).push({"m"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"Sub"}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
    a.push({"m"}).function({}, show).op(Action::SetMember);
    a.push({0, 0, "Sub"}).op(Action::NewObject).push({"m"}).op(Action::CallMethod);
    a.op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "[type Object]\nBase\nSub\n[object Object]\n");
}

} // namespace

namespace {

// A function named by a path ("_root.mc.f", "/mc.f") runs on the object the path leads to.
TEST(ScriptScopes, AFunctionNamedByAPathRunsOnWhatThePathLeadsTo) {
    for (const char* path : {"_root.mc.who", "/mc.who", "_root/mc.who"}) {
        ActionAssembler who;
        who.push({"this"}).op(Action::GetVariable).push({"_name"}).op(Action::GetMember);
        who.op(Action::Return);
        ActionAssembler a;
        MakeClip(a, "mc", 1);
        a.push({"mc"}).op(Action::GetVariable).push({"who"}).function({}, who);
        a.op(Action::SetMember);
        a.push({0, path}).op(Action::CallFunction).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "mc\n") << path;
    }
}

TEST(ScriptScopes, APrimitivePrototypeReadsBackAndEndsTheChain) {
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__", 123}).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__"}).op(Action::GetMember);
    a.op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"toString"}).op(Action::GetMember);
    a.op(Action::TypeOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "123\nundefined\n");
}

// o.addProperty("p", getter, setter) where the setter sets p again and the getter reads
// it: up to version 6 neither runs inside itself; later they nest 64 deep, then the
// plain value serves.
TEST(ScriptAccessors, RecursionStopsByVersion) {
    struct Case {
        int version;
        int setterRuns;
        std::string value;
    };
    for (const Case& c : {Case{6, 1, "set"}, Case{8, 65, "set"}}) {
        ActionAssembler setter, getter;
        setter.push({"runs", "runs"}).op(Action::GetVariable).op(Action::Increment);
        setter.op(Action::SetVariable);
        setter.push({"o"}).op(Action::GetVariable).push({"p", "inner"}).op(Action::SetMember);
        getter.push({"o"}).op(Action::GetVariable).push({"p"}).op(Action::GetMember);
        getter.op(Action::Return);
        ActionAssembler a;
        a.set("runs", 0).push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
        a.function({}, setter).function({}, getter).push({"p", 3, "o"}).op(Action::GetVariable);
        a.push({"addProperty"}).op(Action::CallMethod).op(Action::Pop);
        a.push({"o"}).op(Action::GetVariable).push({"p", "set"}).op(Action::SetMember);
        a.traceVariable("runs").traceVariable("o.p");
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(),
                  std::to_string(c.setterRuns) + "\n" + c.value + "\n")
            << "version " << c.version;
    }
}

} // namespace

namespace {

// o.watch("p", w) where w sets o.p again and then unwatches: up to version 6 the inner set
// stores directly; later the watcher nests 64 deep before its unwatch is reached. Either way
// the outer set stores what w returns.
TEST(ScriptAccessors, AWatcherSettingItsPropertyByVersion) {
    struct Case {
        int version;
        std::string expected;
    };
    for (const Case& c : {Case{6, "1\nouter\n"}, Case{8, "65\nouter\n"}}) {
        ActionAssembler watcher;
        watcher.push({"runs", "runs"}).op(Action::GetVariable).op(Action::Increment);
        watcher.op(Action::SetVariable);
        watcher.push({"o"}).op(Action::GetVariable).push({"p", "inner"}).op(Action::SetMember);
        CallOn(watcher, "o", "unwatch", {"p"}).op(Action::Pop);
        watcher.push({"outer"}).op(Action::Return);
        ActionAssembler a;
        a.set("runs", 0).push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
        a.function({}, watcher).push({"p", 2, "o"}).op(Action::GetVariable);
        a.push({"watch"}).op(Action::CallMethod).op(Action::Pop);
        a.push({"o"}).op(Action::GetVariable).push({"p", "first"}).op(Action::SetMember);
        a.traceVariable("runs").traceVariable("o.p");
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), c.expected)
            << "version " << c.version;
    }
}

} // namespace

namespace {

// A watcher that throws leaves its property undefined; the error goes on to the catcher.
TEST(ScriptAccessors, AThrowingWatcherLeavesThePropertyUndefined) {
    ActionAssembler watcher;
    watcher.push({"no"}).op(Action::Throw);
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"p", "before"}).op(Action::SetMember);
    a.function({}, watcher).push({"p", 2, "o"}).op(Action::GetVariable);
    a.push({"watch"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"o"}).op(Action::GetVariable).push({"p", "after"}).op(Action::SetMember);
    a.trace("not reached");
    ActionAssembler next;
    next.traceVariable("o.p");
    MovieWriter movie(100, 100, 12, 8);
    movie.doAction(a.block());
    movie.doAction(next.block());
    movie.showFrame();
    const ScriptRun run = RunMovie(movie.bytes());
    EXPECT_EQ(run.traces.back(), "undefined");
    EXPECT_EQ(run.joined().find("not reached"), std::string::npos);
}

// Reading along a prototype chain that loops stops the script.
TEST(ScriptAccessors, AChainThatLoopsStopsTheScript) {
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__", "o"}).op(Action::GetVariable);
    a.op(Action::SetMember);
    a.trace("before").traceVariable("o.missing").trace("not reached");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "before\n");
}

TEST(ScriptAccessors, AddPropertyNeedsASetterOrNull) {
    ActionAssembler ten;
    ten.push({10}).op(Action::Return);
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.function({}, ten).push({"a", 2, "o"}).op(Action::GetVariable); // no setter given
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Trace);
    a.push({Null{}}).function({}, ten).push({"b", 3, "o"}).op(Action::GetVariable);
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"b", 0}).op(Action::SetMember); // read-only
    a.traceVariable("o.b");
    // a getter over an array's length
    a.push({"list", 3, 2, 1, 3}).op(Action::InitArray).op(Action::SetVariable);
    a.push({Null{}}).function({}, ten).push({"length", 3, "list"}).op(Action::GetVariable);
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Pop).traceVariable("list.length");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "false\ntrue\n10\n10\n");
}

TEST(ScriptScopes, LevelNamesFollowTheVersionsCaseRules) {
    for (const auto& [version, expected] :
         {std::pair{6, "_level0\n"}, std::pair{7, "undefined\n"}}) {
        ActionAssembler a;
        a.traceVariable("_LeVeL0");
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(), expected) << version;
    }
}

} // namespace

namespace {

// A function called by a local's name runs with the call's locals as `this`.
TEST(ScriptScopes, AFunctionFoundAmongLocalsRunsOnThem) {
    ActionAssembler inner;
    inner.push({"this"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember);
    inner.op(Action::Trace);
    ActionAssembler outer;
    outer.push({"g"}).function({}, inner).op(Action::DefineLocal);
    outer.push({"x", "local"}).op(Action::DefineLocal);
    outer.push({0, "g"}).op(Action::CallFunction).op(Action::Pop);
    ActionAssembler a;
    a.set("x", "timeline").function({"f"}, outer);
    a.push({0, "f"}).op(Action::CallFunction).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "local\n");
}

} // namespace
