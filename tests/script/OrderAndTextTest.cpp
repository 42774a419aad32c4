// Enumeration order and array holes, text and number functions, timers without a
// period, and what the log shows for uncaught throws and carriage returns.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// var = []; var[index] = value
void SparseArray(ActionAssembler& a, const std::string& var, int index) {
    a.push({var, 0}).op(Action::InitArray).op(Action::SetVariable);
    a.push({var}).op(Action::GetVariable).push({index, "q"}).op(Action::SetMember);
}

// trace(name(args...)), the arguments given last to first.
void TraceCall(ActionAssembler& a, const std::string& name,
               std::initializer_list<PushValue> argsLastFirst) {
    a.push(argsLastFirst).push({static_cast<int>(argsLastFirst.size()), name});
    a.op(Action::CallFunction).op(Action::Trace);
}

TEST(ScriptOrder, NewestPropertiesEnumerateFirst) {
    ActionAssembler a;
    a.push({"o", 0, "Object"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"x", 1}).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({"y", 2}).op(Action::SetMember);
    TraceNamesOf(a, "o");
    // a literal {a: 1, b: 2} is written last pair first
    a.push({"l", "a", 1, "b", 2, 2}).op(Action::InitObject).op(Action::SetVariable);
    TraceNamesOf(a, "l");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "y\nx\na\nb\n");
}

// The prototype's names come before the object's own; a shadowed name shows once, as own.
TEST(ScriptOrder, PrototypeNamesEnumerateBeforeOwnNames) {
    ActionAssembler a;
    a.push({"p", "a", 1, "b", 2, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o", "c", 3, "a", 4, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__", "p"}).op(Action::GetVariable);
    a.op(Action::SetMember);
    TraceNamesOf(a, "o");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "b\nc\na\n");
}

// A count of more values than the stack holds gives undefined and leaves the stack alone.
TEST(ScriptOrder, InitActionsWithTooLargeACountBuildNothing) {
    for (const std::uint8_t code : {Action::InitArray, Action::InitObject}) {
        ActionAssembler a;
        a.push({"a", "b", 5.0e9}).op(code).op(Action::Trace).op(Action::Trace);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "undefined\nb\na\n") << int(code);
    }
}

TEST(ScriptOrder, HolesAreNotEnumerated) {
    ActionAssembler a;
    SparseArray(a, "s", 3);
    TraceNamesOf(a, "s");
    a.push({"s"}).op(Action::GetVariable).push({"length"}).op(Action::GetMember);
    a.op(Action::Trace);
    a.push({"s"}).op(Action::GetVariable).push({"3"}).op(0x3a).op(Action::Pop); // delete s[3]
    TraceNamesOf(a, "s");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "3\n4\n");
}

// The methods write elements in their own order, which enumeration shows.
TEST(ScriptOrder, ArrayMethodsWriteInThePlayersOrder) {
    struct Case {
        const char* method;
        std::vector<PushValue> argsLastFirst;
        std::string names;
    };
    const std::vector<Case> cases = {
        {"reverse", {}, "3\n1\n4\n0\n"}, // pairs from the ends, the middle hole stays
        {"unshift", {"z", "y"}, "1\n0\n2\n3\n4\n5\n6\n"}, // moved from the top, then the new
        {"shift", {}, "3\n2\n1\n0\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        SparseArray(a, "s", 4);
        for (const PushValue& v : c.argsLastFirst) {
            a.push({v});
        }
        a.push({static_cast<int>(c.argsLastFirst.size()), "s"}).op(Action::GetVariable);
        a.push({c.method}).op(Action::CallMethod).op(Action::Pop);
        TraceNamesOf(a, "s");
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), c.names) << c.method;
    }
}

// Elements that ASSetPropFlags made undeletable stay in their place in enumeration order
// when a method moves the others, read-only ones keep their value, and hidden ones lose
// that once moved.
TEST(ScriptOrder, ArrayMethodsHonourElementFlags) {
    struct Case {
        const char* method;
        std::vector<PushValue> argsLastFirst;
        int index, flags;
        std::string values, names;
    };
    const std::vector<Case> cases = {
        {"reverse", {}, 2, 2, "3,2,1", "0\n2\n1\n"},
        {"reverse", {}, 2, 6, "3,2,3", "0\n2\n1\n"},
        {"reverse", {}, 0, 1, "3,2,1", "2\n0\n1\n"},
        {"shift", {}, 2, 2, "2,3", "1\n0\n2\n"}, // the last one outlives the shorter length
        {"shift", {}, 1, 6, "2,2", "0\n1\n"},
        {"shift", {}, 0, 3, "2,3", "1\n"},
        {"unshift", {42}, 0, 2, "42,1,2,3", "1\n2\n3\n0\n"},
        {"unshift", {42}, 0, 6, "1,1,2,3", "1\n2\n3\n0\n"},
        {"splice", {1, 1}, 2, 2, "1,3", "1\n2\n0\n"},
        {"splice", {"x", 0, 1}, 0, 1, "1,x,2,3", "1\n2\n3\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({3, 2, 1, 3}).op(Action::InitArray).storeRegister(1).op(Action::Pop);
        a.push({"s", Register{1}}).op(Action::SetVariable);
        a.push({c.flags, c.index, "s"}).op(Action::GetVariable).push({3, "ASSetPropFlags"});
        a.op(Action::CallFunction).op(Action::Pop);
        for (const PushValue& v : c.argsLastFirst) {
            a.push({v});
        }
        a.push({static_cast<int>(c.argsLastFirst.size()), "s"}).op(Action::GetVariable);
        a.push({c.method}).op(Action::CallMethod).op(Action::Pop);
        a.push({"s"}).op(Action::GetVariable).op(Action::Trace);
        TraceNamesOf(a, "s");
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), c.values + "\n" + c.names)
            << c.method << " " << c.index << " " << c.flags;
    }
}

// new Array(n) with n no length an array can have: no elements, and n read back.
TEST(ScriptOrder, ArraysOfOddLengthsKeepTheLengthGiven) {
    ActionAssembler a;
    a.push({"s", -1, 1, "Array"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"s"}).op(Action::GetVariable).op(Action::Trace);
    TraceMember(a, "s", "length");
    a.push({"s"}).op(Action::GetVariable).push({0, "a"}).op(Action::SetMember);
    TraceMember(a, "s", "length");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "\n-1\n1\n");
}

// TextFormat's parts are accessors on its prototype: no own properties, none listed by
// for..in, each made its kind when set; a font name is cut at 64 characters.
TEST(ScriptText, TextFormatPartsAreAccessorsOnThePrototype) {
    ActionAssembler a;
    a.push({"tf", 0, "TextFormat"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"tf"}).op(Action::GetVariable).push({"size", "12"}).op(Action::SetMember);
    a.push({"tf"}).op(Action::GetVariable).push({"size"}).op(Action::GetMember);
    a.push({1}).op(Action::Add2).op(Action::Trace);
    CallOn(a, "tf", "hasOwnProperty", {"size"}).op(Action::Trace);
    a.push({"tf"}).op(Action::GetVariable).push({"font", std::string(70, 'f')});
    a.op(Action::SetMember);
    a.push({"tf"}).op(Action::GetVariable).push({"font"}).op(Action::GetMember);
    a.op(0x14).op(Action::Trace); // length
    TraceNamesOf(a, "tf");
    TraceMember(a, "tf", "bold");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "13\nfalse\n64\nnull\n");
}

TEST(ScriptText, SubstrTakesNegativeCountsFromTheLength) {
    const std::vector<std::pair<std::vector<PushValue>, std::string>> cases = {
        {{-1, 0}, "hello worl"}, {{-3, 3}, ""}, {{-5, 4}, "o worl"}, {{-4, 8}, ""}, {{2, -5}, "wo"},
    };
    for (const auto& [argsLastFirst, expected] : cases) {
        ActionAssembler a;
        a.set("s", "hello world");
        for (const PushValue& v : argsLastFirst) {
            a.push({v});
        }
        a.push({2, "s"}).op(Action::GetVariable).push({"substr"}).op(Action::CallMethod);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), expected + "\n") << expected;
    }
}

TEST(ScriptText, CharactersByVersionAndWrappedIndex) {
    for (const int version : {5, 6}) {
        ActionAssembler a;
        a.set("s", "abc");
        CallOn(a, "s", "charCodeAt", {9}).op(Action::Trace);
        CallOn(a, "s", "charCodeAt", {-1}).op(Action::Trace);
        CallOn(a, "s", "charAt", {4294967297.0}).op(Action::Trace);
        CallOn(a, "s", "indexOf", {}).op(Action::Trace);
        CallOn(a, "s", "indexOf", {9, ""}).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(),
                  std::string(version == 5 ? "0" : "NaN") + "\nNaN\nb\nundefined\n-1\n");
    }
}

TEST(ScriptText, ParseFloatReadsAsThePlayer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1.2345.678", "1.2345678"},
        {"1.2.3e5", "1.23"},
        {"1e4294967297", "10"},
        {"10e-", "10"},
        {"e10", "NaN"},
        {"  -3.5x", "-3.5"},
        {"+100e-100", "1e-98"},
    };
    for (const auto& [text, expected] : cases) {
        ActionAssembler a;
        TraceCall(a, "parseFloat", {text});
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), expected + "\n") << text;
    }
    ActionAssembler a;
    TraceCall(a, "parseFloat", {});
    a.push({0.14999990000000005, ".1499999", 1, "parseFloat"}).op(Action::CallFunction);
    a.op(Action::StrictEquals).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "undefined\ntrue\n");
}

// escape() keeps letters and digits only; Math.min and max take two numbers, a missing one
// being NaN, and nothing at all gives the infinity they start from.
TEST(ScriptText, EscapeAndMinMaxAsThePlayer) {
    ActionAssembler a;
    TraceCall(a, "escape", {"a_-.@1"});
    CallOn(a, "Math", "min", {1}).op(Action::Trace);
    CallOn(a, "Math", "max", {}).op(Action::Trace);
    CallOn(a, "Math", "min", {1, 3, 7}).op(Action::Trace); // min(7, 3, 1) looks at 7 and 3
    CallOn(a, "Math", "pow", {Undefined{}, 1}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "a%5F%2D%2E%401\nNaN\n-Infinity\n3\n1\n");
}

TEST(ScriptText, LeadingZeroIsOctalFromVersion6) {
    for (const int version : {5, 6}) {
        ActionAssembler a;
        TraceCall(a, "parseInt", {"010"});
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(), version == 5 ? "10\n" : "8\n");
    }
}

TEST(ScriptTimers, AnIntervalNeedsAPeriod) {
    ActionAssembler body;
    ActionAssembler a;
    a.function(FunctionSpec("f"), body);
    a.push({Undefined{}, "f"}).op(Action::GetVariable).push({2, "setInterval"});
    a.op(Action::CallFunction).op(Action::Trace);
    a.push({"f"}).op(Action::GetVariable).push({1, "setInterval"});
    a.op(Action::CallFunction).op(Action::Trace);
    a.push({10, "f"}).op(Action::GetVariable).push({2, "setInterval"});
    a.op(Action::CallFunction).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "undefined\nundefined\n1\n");
}

TEST(ScriptLog, UncaughtThrowsAndCarriageReturnsShowAsThePlayerShowsThem) {
    ActionAssembler a;
    a.trace("a\rb");
    a.push({"Oh no!"}).op(Action::Throw);
    a.trace("never");
    const ScriptRun run = RunMovie(OneScriptMovie(a));
    EXPECT_EQ(run.joined(), "a\nb\nWarning: Uncaught exception, Oh no!\n");
    EXPECT_FALSE(run.warnings.empty());
}

} // namespace

namespace {

// A local movie's sandbox follows its FileAttributes network flag.
TEST(ScriptSystem, LocalSandboxFollowsTheNetworkFlag) {
    for (const bool network : {false, true}) {
        MovieWriter movie(100, 100, 12, 8);
        const std::uint8_t attributes[] = {static_cast<std::uint8_t>(network ? 1 : 0), 0, 0, 0};
        movie.tag(69, attributes);
        ActionAssembler a;
        a.push({"System"}).op(Action::GetVariable).push({"security"}).op(Action::GetMember);
        a.push({"sandboxType"}).op(Action::GetMember).op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(),
                  network ? "localWithNetwork\n" : "localWithFile\n");
    }
}

} // namespace

namespace {

// [2, 3, 1].sort(args...): what is sorted and what comes back.
TEST(ScriptOrder, SortTakesFlagsOnlyFromNumbers) {
    const std::vector<std::pair<std::vector<PushValue>, std::string>> cases = {
        {{true}, "undefined|2,3,1"},
        {{0, Null{}}, "undefined|2,3,1"},
        {{16, 2}, "1,2,3|1,2,3"},          // the second number holds the flags
        {{Undefined{}, 2}, "3,2,1|3,2,1"}, // the first does when the second is no number
    };
    for (const auto& [argsLastFirst, expected] : cases) {
        ActionAssembler a;
        a.push({"s", 1, 3, 2, 3}).op(Action::InitArray).op(Action::SetVariable);
        for (const PushValue& v : argsLastFirst) {
            a.push({v});
        }
        a.push({static_cast<int>(argsLastFirst.size()), "s"}).op(Action::GetVariable);
        a.push({"sort"}).op(Action::CallMethod).push({"|"}).op(Action::Add2);
        a.push({"s"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), expected + "\n") << expected;
    }
}

} // namespace
