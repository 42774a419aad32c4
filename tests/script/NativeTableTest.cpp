// The numbered native functions: ASnative hands them out, ASSetNative and
// ASSetNativeAccessor put runs of them on objects.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// f = ASnative(category, index); trace(f(argument)).
void TraceNativeCall(ActionAssembler& a, PushValue category, PushValue index, PushValue argument) {
    a.push({"f", index, category, 2, "ASnative"}).op(Action::CallFunction).op(Action::SetVariable);
    a.push({argument, 1, "f"}).op(Action::CallFunction).op(Action::Trace);
}

struct NativeCase {
    PushValue category, index, argument;
    std::string expected;
};

TEST(ScriptNatives, NumbersNameTheBuiltIns) {
    const std::vector<NativeCase> cases = {
        {200, 0, -3, "3"},                        // Math.abs
        {200, 12, 2.7, "2"},                      // Math.floor
        {200, 13, 2.1, "3"},                      // Math.ceil
        {200, 18, "x", "true"},                   // isNaN
        {100, 0, "&", "%26"},                     // escape
        {100, 1, "%26", "&"},                     // unescape
        {100, 2, "12px", "12"},                   // parseInt
        {"100", "2", "7", "7"},                   // numbers given as text
        {100, 4.9, "t", "t\nundefined"},          // trace; the index is cut to a whole number
        {100, 4294967300.0, "w", "w\nundefined"}, // and wraps at 32 bits
        {100, 65540, "x", "undefined"},           // but not at 16: nothing there
        {0, 0, "x", "undefined"},                 // a category that does not exist
    };
    for (const NativeCase& c : cases) {
        ActionAssembler a;
        TraceNativeCall(a, c.category, c.index, c.argument);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), c.expected + "\n") << c.expected;
    }
}

TEST(ScriptNatives, TakeExactlyTwoArguments) {
    ActionAssembler a;
    a.push({100, 1, "ASnative"}).op(Action::CallFunction).op(Action::TypeOf).op(Action::Trace);
    a.push({0, 0, 100, 3, "ASnative"}).op(Action::CallFunction).op(Action::TypeOf);
    a.op(Action::Trace);
    a.push({0, 100, 2, "ASnative"}).op(Action::CallFunction).op(Action::TypeOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "undefined\nundefined\nfunction\n");
}

// o.name(argument) traced.
void TraceMethod(ActionAssembler& a, const std::string& name,
                 std::initializer_list<PushValue> args) {
    a.push(args).push({static_cast<int>(args.size()), "o"}).op(Action::GetVariable);
    a.push({name}).op(Action::CallMethod).op(Action::Trace);
}

// Names run on from the first index, empty ones too; a leading version hides a name from
// older movies, which still list it.
TEST(ScriptNatives, SetNativeNamesARunByVersion) {
    for (const auto& [version, max] : {std::pair{7, "undefined"}, std::pair{8, "5"}}) {
        ActionAssembler a;
        a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
        a.push({"abs,6min,8max,,2cos", 200, "o"}).op(Action::GetVariable);
        a.push({3, "ASSetNative"}).op(Action::CallFunction).op(Action::Pop);
        TraceMethod(a, "abs", {-4});
        TraceMethod(a, "min", {1, 3});
        TraceMethod(a, "max", {5, 1});
        TraceMethod(a, "2cos", {0}); // a digit that is no version stays in the name
        TraceNamesOf(a, "o");
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(),
                  std::string("4\n1\n") + max + "\n1\n2cos\nmax\nmin\nabs\n")
            << "version " << version;
    }
}

// A property that is there keeps its place and flags and takes the function.
TEST(ScriptNatives, SetNativeReplacesAValueInPlace) {
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"a", "old"}).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({"b", "old"}).op(Action::SetMember);
    a.push({"a", 200, "o"}).op(Action::GetVariable);
    a.push({3, "ASSetNative"}).op(Action::CallFunction).op(Action::Pop);
    TraceMethod(a, "a", {-2});
    TraceNamesOf(a, "o");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "2\nb\na\n");
}

// Each name takes a getter and the next number as its setter, replacing a value.
TEST(ScriptNatives, SetNativeAccessorReadsThroughTheTable) {
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"x", "old"}).op(Action::SetMember);
    // from index 2: x is read by Math.max and written by Math.sin
    a.push({2, "x", 200, "o"}).op(Action::GetVariable);
    a.push({4, "ASSetNativeAccessor"}).op(Action::CallFunction).op(Action::Pop);
    a.push({"o"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"x", 5}).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "-Infinity\n-Infinity\n");
}

// ASnative(2, 0) tells whether the script function running was called by new; a function
// it calls in turn was not.
TEST(ScriptNatives, NewTellsHowTheFunctionWasCalled) {
    ActionAssembler asked; // trace(ASnative(2, 0)())
    asked.push({0, 0, 2, 2, "ASnative"}).op(Action::CallFunction);
    asked.push({Undefined{}}).op(Action::CallMethod).op(Action::Trace);
    ActionAssembler nested = asked;
    nested.push({0, "inner"}).op(Action::CallFunction).op(Action::Pop);
    ActionAssembler a;
    a.function(FunctionSpec("inner"), asked).function(FunctionSpec("F"), nested);
    a.push({0, "F"}).op(Action::CallFunction).op(Action::Pop);
    a.push({0, "F"}).op(Action::NewObject).op(Action::Pop);
    a.push({0, 0, 2, 2, "ASnative"}).op(Action::CallFunction); // in a frame script
    a.push({Undefined{}}).op(Action::CallMethod).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "false\nfalse\ntrue\nfalse\nfalse\n");
}

} // namespace
