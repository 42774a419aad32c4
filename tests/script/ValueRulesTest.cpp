// Values as the built-ins read and write them: text escapes, numbers in other radixes,
// string cutting and the rules version 5 movies keep.

#include "script/ScriptTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// trace(global(argument)).
void TraceGlobalCall(ActionAssembler& a, const std::string& fn, PushValue argument) {
    a.push({argument, 1, fn}).op(Action::CallFunction).op(Action::Trace);
}

TEST(ScriptValues, UnescapeDropsEscapesThatAreNoByte) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%41%2a+b", "A* b"}, {"mo%2re", "moe"}, // a hex digit takes the character after it too
        {"%u0100", "0100"},                      // anything else only itself
        {"aaa%4", "aaa"},     {"aaa%zz", "aaaz"}, {"%%", ""},
    };
    for (const auto& [text, expected] : cases) {
        ActionAssembler a;
        TraceGlobalCall(a, "unescape", text);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), expected + "\n") << text;
    }
}

TEST(ScriptValues, RadixTextOfThe32BitInteger) {
    struct Case {
        double number; // NaN when not finite
        int radix;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {4123, 16, "101b"},
        {-123.9, 2, "-1111011"},
        {-2147483647.9, 16, "-7fffffff"},
        // NaN is the lowest integer, whose remainders stay negative: digits below '0'
        {NAN, 2, "-/0000000000000000000000000000000"},
        {NAN, 8, "-.0000000000"},
        {NAN, 37, "NaN"}, // no such radix: plain text
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        if (std::isnan(c.number)) {
            a.push({c.radix, 1, "NaN"}).op(Action::GetVariable);
        } else {
            a.push({c.radix, 1, c.number});
        }
        a.push({"toString"}).op(Action::CallMethod).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), c.expected + "\n") << c.expected;
    }
}

// s.method(args...) traced, for "HELLOhello".
std::string CutText(int version, const std::string& method, std::initializer_list<PushValue> args) {
    ActionAssembler a;
    a.set("s", "HELLOhello");
    a.push(args).push({static_cast<int>(args.size()), "s"}).op(Action::GetVariable);
    a.push({method}).op(Action::CallMethod).op(Action::Trace);
    return RunMovie(OneScriptMovie(a, version)).joined();
}

TEST(ScriptValues, StringPositionsWrapAt32Bits) {
    for (const char* method : {"substr", "substring"}) {
        EXPECT_EQ(CutText(8, method, {-4294967294.0, 4294967296.0}), "HE\n") << method;
    }
    EXPECT_EQ(CutText(8, "slice", {4294967298.0}), "LLOhello\n");
}

TEST(ScriptValues, Version5CutsNothingWithoutArguments) {
    for (const char* method : {"slice", "substr", "substring"}) {
        EXPECT_EQ(CutText(5, method, {}), "undefined\n") << method;
        EXPECT_EQ(CutText(6, method, {}), "HELLOhello\n") << method;
    }
}

// s.split(args...).length for "a,b,c".
std::string SplitCount(int version, std::initializer_list<PushValue> args) {
    ActionAssembler a;
    a.set("s", "a,b,c");
    a.push(args).push({static_cast<int>(args.size()), "s"}).op(Action::GetVariable);
    a.push({"split"}).op(Action::CallMethod).push({"length"}).op(Action::GetMember);
    a.op(Action::Trace);
    return RunMovie(OneScriptMovie(a, version)).joined();
}

TEST(ScriptValues, Version5SplitsAtCommasByDefault) {
    EXPECT_EQ(SplitCount(5, {}), "3\n");
    EXPECT_EQ(SplitCount(5, {""}), "1\n");
    EXPECT_EQ(SplitCount(5, {0, Undefined{}}), "0\n");
    EXPECT_EQ(SplitCount(6, {}), "1\n");
    EXPECT_EQ(SplitCount(6, {""}), "5\n");
}

// Two objects are equal in version 5 when their valueOf is: two Numbers of 1.
TEST(ScriptValues, Version5ComparesObjectsByValue) {
    for (const auto& [version, expected] :
         {std::pair{5, "true\nfalse\n"}, std::pair{6, "false\nfalse\n"}}) {
        ActionAssembler a;
        a.push({1, 1, "Number"}).op(Action::NewObject).push({1, 1, "Number"}).op(Action::NewObject);
        a.op(Action::Equals2).op(Action::Trace);
        a.push({0}).op(Action::InitObject).push({0}).op(Action::InitObject);
        a.op(Action::Equals2).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(), expected) << version;
    }
}

// A version 5 function keeps no scope, yet the globals are still there.
TEST(ScriptValues, Version5FunctionsSeeTheGlobals) {
    ActionAssembler body;
    body.push({80, 1, "String"}).op(Action::GetVariable).push({"fromCharCode"});
    body.op(Action::CallMethod).op(Action::Trace);
    ActionAssembler a;
    a.function(FunctionSpec("f"), body).push({0, "f"}).op(Action::CallFunction).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 5)).joined(), "P\n");
}

TEST(ScriptValues, HalfASurrogatePairIsTheReplacementCharacter) {
    ActionAssembler a;
    a.push({"\xf0\x9f\x98\x8b"}).op(0x32).op(Action::Trace); // ord of a pair
    a.push({0xd801}).op(0x33).op(0x32).op(Action::Trace);    // ord(chr(half))
    a.push({"x"}).op(0x32).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "65533\n65533\n120\n");
}

TEST(ScriptValues, BooleanOfNothingIsUndefined) {
    ActionAssembler a;
    a.push({0, "Boolean"}).op(Action::CallFunction).op(Action::TypeOf).op(Action::Trace);
    a.push({0, 1, "Boolean"}).op(Action::CallFunction).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "undefined\nfalse\n");
}

// A String object's length is its own property: written over, it stays; deleted, too.
TEST(ScriptValues, StringObjectsOwnTheirLength) {
    ActionAssembler a;
    a.push({"s", "abc", 1, "String"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"length", 1, "s"}).op(Action::GetVariable).push({"hasOwnProperty"});
    a.op(Action::CallMethod).op(Action::Trace);
    a.push({"s"}).op(Action::GetVariable).push({"length", "hmm"}).op(Action::SetMember);
    a.push({"s"}).op(Action::GetVariable).push({"length"}).op(0x3a).op(Action::Pop); // delete
    a.push({"s"}).op(Action::GetVariable).push({"length"}).op(Action::GetMember);
    a.op(Action::Trace);
    TraceNamesOf(a, "s");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "true\nhmm\n");
}

// obj[name]() with a name whose text is empty calls obj itself.
TEST(ScriptValues, MethodNamedByEmptyTextCallsTheTarget) {
    ActionAssembler body;
    body.trace("called");
    ActionAssembler empty;
    empty.push({""}).op(Action::Return);
    ActionAssembler a;
    a.function(FunctionSpec("f"), body);
    a.push({"n", "toString"}).function(FunctionSpec(), empty).push({1}).op(Action::InitObject);
    a.op(Action::SetVariable);
    a.push({0, "f"}).op(Action::GetVariable).push({"n"}).op(Action::GetVariable);
    a.op(Action::CallMethod).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "called\n");
}

// var = {method: function() { trace(var); return result; }}
void NoisyObject(ActionAssembler& a, const std::string& var, const std::string& method,
                 PushValue result) {
    ActionAssembler body;
    body.trace(var).push({result}).op(Action::Return);
    a.push({var, method}).function(FunctionSpec(), body).push({1}).op(Action::InitObject);
    a.op(Action::SetVariable);
}

// The version 4 substring action converts its count, then its index, then the text.
TEST(ScriptValues, ExtractConvertsCountIndexThenText) {
    ActionAssembler a;
    NoisyObject(a, "text", "toString", "abc");
    NoisyObject(a, "index", "valueOf", 2);
    NoisyObject(a, "count", "valueOf", 4294967297.0); // wraps to 1
    for (const char* name : {"text", "index", "count"}) {
        a.push({name}).op(Action::GetVariable);
    }
    a.op(0x15).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "count\nindex\ntext\nb\n");
}

// setProperty on a clip that is not there still converts the value as the property would.
TEST(ScriptValues, SetPropertyConvertsForAMissingClip) {
    ActionAssembler a;
    NoisyObject(a, "x", "valueOf", 5);
    NoisyObject(a, "name", "toString", "n");
    a.push({"nowhere", 0, "x"}).op(Action::GetVariable).op(Action::SetProperty);
    a.push({"nowhere", 5, "x"}).op(Action::GetVariable).op(Action::SetProperty); // read-only
    a.push({"nowhere", 13, "name"}).op(Action::GetVariable).op(Action::SetProperty);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "x\nx\nname\n");
}

TEST(ScriptValues, AddPropertyWantsASetterOrNull) {
    ActionAssembler ten;
    ten.push({10}).op(Action::Return);
    ActionAssembler a;
    a.function(FunctionSpec("ten"), ten);
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"ten"}).op(Action::GetVariable).push({"p", 2, "o"}).op(Action::GetVariable);
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Trace); // no setter: refused
    a.push({Null{}, "ten"}).op(Action::GetVariable).push({"p", 3, "o"}).op(Action::GetVariable);
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Trace);
    // an array's length and elements give way to one
    a.push({"list", 1, 2, 2}).op(Action::InitArray).op(Action::SetVariable);
    a.push({Null{}, "ten"}).op(Action::GetVariable).push({"length", 3, "list"});
    a.op(Action::GetVariable).push({"addProperty"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"list"}).op(Action::GetVariable).push({"length"}).op(Action::GetMember);
    a.op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "false\ntrue\n10\n");
}

// startDrag converts the target, then its two flags (an object by valueOf), and the
// bounds only when constrained.
TEST(ScriptValues, StartDragConvertsInOrder) {
    ActionAssembler a;
    NoisyObject(a, "target", "toString", "nowhere");
    NoisyObject(a, "lock", "valueOf", 1);
    NoisyObject(a, "loose", "valueOf", 0);
    NoisyObject(a, "bound", "valueOf", 5);
    for (const char* name : {"loose", "lock", "target"}) {
        a.push({name}).op(Action::GetVariable);
    }
    a.op(0x27);
    for (const char* name : {"bound", "bound", "bound", "bound", "lock", "lock", "target"}) {
        a.push({name}).op(Action::GetVariable);
    }
    a.op(0x27);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "target\nlock\nloose\ntarget\nlock\nlock\nbound\nbound\nbound\nbound\n");
}

// An object is an instance of the interfaces its class implements and of the ones those
// extend.
TEST(ScriptValues, InstanceOfFollowsExtendedInterfaces) {
    ActionAssembler empty;
    ActionAssembler a;
    for (const char* name : {"Blue", "Pink", "Cls", "Other"}) {
        a.function(FunctionSpec(name), empty);
    }
    a.push({"Pink"}).op(Action::GetVariable).push({"Blue"}).op(Action::GetVariable);
    a.op(Action::Extends); // interface Pink extends Blue
    a.push({"Pink"}).op(Action::GetVariable).push({1, "Cls"}).op(Action::GetVariable);
    a.op(0x2c); // Cls implements Pink
    for (const char* name : {"Pink", "Blue", "Other"}) {
        a.push({0, "Cls"}).op(Action::NewObject).push({name}).op(Action::GetVariable);
        a.op(Action::InstanceOf).op(Action::Trace);
    }
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 7)).joined(), "true\ntrue\nfalse\n");
}

// A property found nowhere is asked of __resolve, with its name; found ones are not.
TEST(ScriptValues, MissingPropertiesGoToResolve) {
    ActionAssembler resolve; // return name + "!"
    resolve.push({"name"}).op(Action::GetVariable).push({"!"}).op(Action::Add2);
    resolve.op(Action::Return);
    ActionAssembler a;
    a.push({"o", "here", 1, "__resolve"});
    a.function(FunctionSpec("", {{0, "name"}}), resolve).push({2}).op(Action::InitObject);
    a.op(Action::SetVariable);
    for (const char* name : {"here", "gone"}) {
        a.push({"o"}).op(Action::GetVariable).push({name}).op(Action::GetMember);
        a.op(Action::Trace);
    }
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "1\ngone!\n");
}

} // namespace
