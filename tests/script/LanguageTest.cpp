// The language as movies of each version see it: conversions, operators, number text,
// identifiers, scopes, closures, prototypes and super.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>
#include <limits>
#include <utility>

using namespace quillon::testing;

namespace {

struct VersionCase {
    int version;
    std::string expected;
};

// undefined + "x" and undefined as a number differ between versions 6 and 7.
TEST(ScriptLanguage, UndefinedConvertsByVersion) {
    for (const VersionCase& c :
         {VersionCase{6, "x|0|false"}, VersionCase{7, "undefinedx|NaN|false"}}) {
        ActionAssembler a;
        a.push({Undefined{}, "x"})
            .op(Action::Add2)
            .push({"|"})
            .op(Action::Add2)
            .push({Undefined{}})
            .op(0x4a) // ToNumber
            .op(Action::Add2)
            .push({"|"})
            .op(Action::Add2)
            .push({"0", Undefined{}})
            .op(Action::Equals2)
            .op(Action::Add2)
            .op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), c.expected + "\n")
            << "version " << c.version;
    }
}

TEST(ScriptLanguage, NumbersPrintAsThePlayerPrintsThem) {
    const std::vector<std::pair<double, std::string>> cases = {
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {1e21, "1e+21"},
        {123456789012345680000.0, "1.23456789012346e+20"},
        {0.000001, "1e-6"},
        {0.00001, "0.00001"},
        {0.0000001, "1e-7"},
        {-2.5, "-2.5"},
        {1e15, "1e+15"},
        {999999999999999.0, "999999999999999"},
        // rounding the largest number up would read back as Infinity: its digits are cut
        {std::numeric_limits<double>::max(), "1.79769313486231e+308"},
        {-std::numeric_limits<double>::max(), "-1.79769313486231e+308"},
        {1.7976931348623e308, "1.7976931348623e+308"},
        {4.9406564584124654e-324, "4.94065645841247e-324"},
    };
    for (const auto& [value, text] : cases) {
        ActionAssembler a;
        a.trace(value);
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), text + "\n") << value;
    }
}

// Up to version 6 identifiers ignore the case of Latin, Greek and Cyrillic letters too.
TEST(ScriptLanguage, IdentifiersIgnoreTheCaseOfLettersPastAscii) {
    for (const VersionCase& c : {VersionCase{6, "5|5"}, VersionCase{7, "undefined|undefined"}}) {
        ActionAssembler a;
        a.set("\xc3\x84x", 5).set("\xd0\x96", 5); // Äx, Ж
        a.push({"\xc3\xa4X"}).op(Action::GetVariable).push({"|"}).op(Action::Add2);
        a.push({"\xd0\xb6"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), c.expected + "\n");
    }
}

// Letters past ASCII pair as the player's character tables pair them: later additions to
// the tables (U+03F7) stay apart. Clip names fold the same way.
TEST(ScriptLanguage, LettersPastAsciiFoldByThePlayersTables) {
    struct Case {
        const char* set;
        const char* read;
        const char* expected;
    };
    const Case cases[] = {
        {"\xd3\xa4", "\xd3\xa5", "found"},     // Cyrillic Ӥ, ӥ
        {"\xc7\xb1", "\xc7\xb2", "found"},     // DZ and Dz both fold to dz
        {"\xc7\xb2", "\xc7\xb3", "found"},     //
        {"\xd4\xb1", "\xd5\xa1", "found"},     // Armenian
        {"\xc5\xb8", "\xc3\xbf", "found"},     // Ÿ, ÿ
        {"\xc6\x86", "\xc9\x94", "found"},     // open O
        {"\xcf\xb7", "\xcf\xb8", "undefined"}, // a later pair
        {"\xc3\x97", "\xc3\xb7", "undefined"}, // ×, ÷: no letters
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.set(c.set, "found").traceVariable(c.read);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), std::string(c.expected) + "\n") << c.set;
    }
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "clip\xc3\xa4\xc7\xb1"}).op(Action::Pop);
    a.traceVariable("CLIP\xc3\x84\xc7\xb3");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "_level0.clip\xc3\xa4\xc7\xb1\n");
}

TEST(ScriptLanguage, IdentifiersIgnoreCaseUpToVersion6) {
    for (const VersionCase& c : {VersionCase{6, "5"}, VersionCase{7, "undefined"}}) {
        ActionAssembler a;
        a.set("Speed", 5).traceVariable("speed");
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), c.expected + "\n");
    }
}

TEST(ScriptLanguage, MixedComparisons) {
    ActionAssembler a;
    a.push({"10", 9}).op(Action::Less2).op(Action::Trace);      // "10" < 9 -> false
    a.push({"10", "9"}).op(Action::Less2).op(Action::Trace);    // text order -> true
    a.push({"abc", 1}).op(Action::Less2).op(Action::Trace);     // NaN -> undefined
    a.push({"0x10", 16}).op(Action::Equals2).op(Action::Trace); // hex text -> true
    a.push({Null{}, Undefined{}}).op(Action::Equals2).op(Action::Trace);
    a.push({Null{}, Undefined{}}).op(Action::StrictEquals).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "false\ntrue\nundefined\ntrue\ntrue\nfalse\n");
}

// An object meets a primitive through valueOf alone: one that stays an object is NaN in
// arithmetic, text when the other side is text, and ends a comparison; clips count as NaN.
TEST(ScriptLanguage, ObjectsMeetPrimitivesThroughValueOf) {
    ActionAssembler a;
    a.push({0}).op(Action::InitObject).push({1}).op(Action::Add2).op(Action::Trace);
    a.push({0}).op(Action::InitObject).push({"a"}).op(Action::Add2).op(Action::Trace);
    a.push({"this"}).op(Action::GetVariable).push({1}).op(Action::Add2).op(Action::Trace);
    a.push({"this"}).op(Action::GetVariable).push({"x"}).op(Action::Less2).op(Action::Trace);
    a.push({0}).op(Action::InitObject).push({5}).op(Action::Less2).op(Action::Trace);
    a.push({"NaN"}).op(Action::GetVariable).push({"NaN"}).op(Action::GetVariable);
    a.op(Action::Equals2).op(Action::Trace);
    a.push({0, 0}).op(Action::Divide).push({"NaN"}).op(Action::GetVariable);
    a.op(Action::Equals2).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "NaN\n[object Object]a\nNaN\nundefined\nfalse\ntrue\nfalse\n");
}

// Up to version 6 a plain object on the right of Less2, or either side of Greater, counts as 0.
TEST(ScriptLanguage, PlainObjectsCompareAsZeroUpToVersion6) {
    ActionAssembler a;
    a.push({-1}).push({0}).op(Action::InitObject).op(Action::Less2).op(Action::Trace);
    a.push({0}).op(Action::InitObject).push({-1}).op(Action::Greater).op(Action::Trace);
    a.push({0}).op(Action::InitObject).push({-1}).op(Action::Less2).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), "true\ntrue\nfalse\n");
}

// ASSetPropFlags(o, "p", bits): version bits hide o.p from reads of the movies they name,
// while hasOwnProperty still finds it; 0x100 hides in version 6 alone. (undefined adds as
// empty text up to version 6.)
TEST(ScriptLanguage, VersionBitsHidePropertiesFromReads) {
    struct Case {
        int bits, version;
        const char* expected;
    };
    for (const Case& c :
         {Case{0x80, 5, "|true"}, Case{0x80, 6, "1|true"}, Case{0x100, 5, "1|true"},
          Case{0x100, 6, "|true"}, Case{0x100, 7, "1|true"}, Case{0x400, 6, "|true"},
          Case{0x400, 7, "1|true"}, Case{0x1000, 7, "undefined|true"}}) {
        ActionAssembler a;
        a.push({"o", "p", 1, 1}).op(Action::InitObject).op(Action::SetVariable);
        a.push({c.bits, "p", "o"}).op(Action::GetVariable).push({3, "ASSetPropFlags"});
        a.op(Action::CallFunction).op(Action::Pop);
        a.push({"o"}).op(Action::GetVariable).push({"p"}).op(Action::GetMember);
        a.push({"|"}).op(Action::Add2);
        CallOn(a, "o", "hasOwnProperty", {"p"}).op(Action::Add2).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), std::string(c.expected) + "\n")
            << c.bits << " in version " << c.version;
    }
}

// Delete2 with a path deletes from the object the path names; of a colon and a dot the
// later one splits, and a colon inside the object's path reads as its separator.
TEST(ScriptLanguage, DeleteWithAPathDeletesFromTheObjectItNames) {
    ActionAssembler a;
    a.push({"o", "a", 1, "b", 2, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"c", "f", 3, 1}).op(Action::InitObject);
    a.op(Action::SetMember);
    a.push({"/o:c.f"}).op(Action::GetVariable).op(Action::Trace);
    for (const char* path : {"o.a", "o:b", "o:c.f", "o.x"}) {
        a.push({path}).op(0x3b).op(Action::Trace); // Delete2
    }
    a.push({"o.a"}).op(Action::GetVariable).op(Action::Trace);
    a.push({"o.c.f"}).op(Action::GetVariable).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "3\ntrue\ntrue\ntrue\nfalse\nundefined\nundefined\n");
}

// A version 4 movie answers 1 and "#ERROR#" in its frame scripts, but a function in it runs
// by the later rules: true, and Infinity for a division by zero.
TEST(ScriptLanguage, FunctionsInVersion4MoviesRunByLaterRules) {
    ActionAssembler body;
    body.push({1, 1}).op(Action::Equals).op(Action::Trace);
    body.push({4, 0}).op(Action::Divide).op(Action::Trace);
    ActionAssembler a;
    a.function(FunctionSpec("f"), body);
    a.push({1, 1}).op(Action::Equals).op(Action::Trace);
    a.push({4, 0}).op(Action::Divide).op(Action::Trace);
    a.push({0, "f"}).op(Action::CallFunction).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 4)).joined(), "1\n#ERROR#\ntrue\nInfinity\n");
}

// function make() { var n = 0; return function () { return ++n; }; }
TEST(ScriptLanguage, ClosuresKeepTheirScope) {
    ActionAssembler inner;
    inner.push({"n", "n"})
        .op(Action::GetVariable)
        .op(Action::Increment)
        .op(Action::SetVariable)
        .push({"n"})
        .op(Action::GetVariable)
        .op(Action::Return);
    ActionAssembler make;
    make.push({"n", 0}).op(Action::DefineLocal).function({}, inner).op(Action::Return);
    ActionAssembler a;
    a.function({"make"}, make)
        .push({"c", 0, "make"})
        .op(Action::CallFunction)
        .op(Action::SetVariable)
        .push({"d", 0, "make"})
        .op(Action::CallFunction)
        .op(Action::SetVariable);
    for (const char* name : {"c", "c", "d", "c"}) {
        a.push({0, name}).op(Action::CallFunction).op(Action::Trace);
    }
    a.traceVariable("n"); // the closure's n never leaks out
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "1\n2\n1\n3\nundefined\n");
}

// Base.prototype.who = function () { return "base"; };
// Derived extends Base; Derived.prototype.who = function () { return "derived+" + super.who(); }
TEST(ScriptLanguage, PrototypesAndSuper) {
    ActionAssembler baseWho;
    baseWho.push({"base"}).op(Action::Return);
    ActionAssembler derivedWho;
    derivedWho.push({"derived+", 0, Register{1}, "who"})
        .op(Action::CallMethod)
        .op(Action::Add2)
        .op(Action::Return);
    ActionAssembler empty;
    ActionAssembler a;
    a.function({"Base"}, empty)
        .function({"Derived"}, empty)
        .push({"Base"})
        .op(Action::GetVariable)
        .push({"prototype"})
        .op(Action::GetMember)
        .push({"who"})
        .function({}, baseWho)
        .op(Action::SetMember)
        .push({"Derived"})
        .op(Action::GetVariable)
        .push({"Base"})
        .op(Action::GetVariable)
        .op(Action::Extends)
        .push({"Derived"})
        .op(Action::GetVariable)
        .push({"prototype"})
        .op(Action::GetMember)
        .push({"who"})
        .function({"", {}, 2, 0x10 | 0x02 | 0x08, true}, derivedWho) // preload super in r1
        .op(Action::SetMember)
        .push({"o", 0, "Derived"})
        .op(Action::NewObject)
        .op(Action::SetVariable)
        .push({0, "o"})
        .op(Action::GetVariable)
        .push({"who"})
        .op(Action::CallMethod)
        .op(Action::Trace)
        .push({"o"})
        .op(Action::GetVariable)
        .push({"Base"})
        .op(Action::GetVariable)
        .op(Action::InstanceOf)
        .op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "derived+base\ntrue\n");
}

struct TryCase {
    bool throws;
    bool jumpsToFinally; // the try and catch blocks end with a jump to the finally block
    const char* expected;
};

// try { [throw "boom";] } catch (e) { trace(e); } finally { trace("done"); } trace("after");
// compilers end the try and catch blocks with a jump past the catch block, which lands on
// the finally block: it still runs once.
TEST(ScriptLanguage, TryCatchFinally) {
    for (const TryCase& tc :
         {TryCase{true, false, "boom\ndone\nafter\n"}, TryCase{true, true, "boom\ndone\nafter\n"},
          TryCase{false, true, "ok\ndone\nafter\n"}}) {
        ActionAssembler tryBody, catchBody, finallyBody;
        tryBody.trace("ok");
        if (tc.throws) {
            tryBody = ActionAssembler();
            tryBody.push({"boom"}).op(Action::Throw);
        }
        catchBody.traceVariable("e");
        finallyBody.trace("done");
        Bytes t = tryBody.code(), c = catchBody.code();
        const Bytes f = finallyBody.code();
        const auto jump = [](Bytes& code, std::size_t over) {
            const Bytes j = {0x99, 2, 0, static_cast<std::uint8_t>(over & 0xff),
                             static_cast<std::uint8_t>(over >> 8)};
            code.insert(code.end(), j.begin(), j.end());
        };
        if (tc.jumpsToFinally) {
            jump(c, 0);
            jump(t, c.size());
        }
        BitWriter w;
        w.u8(0x8f);
        w.u16(static_cast<std::uint16_t>(7 + 2));
        w.u8(3); // catch and finally blocks
        w.u16(static_cast<std::uint16_t>(t.size()));
        w.u16(static_cast<std::uint16_t>(c.size()));
        w.u16(static_cast<std::uint16_t>(f.size()));
        w.string("e");
        Bytes block = w.take();
        for (const Bytes* part : {&std::as_const(t), &std::as_const(c), &f}) {
            block.insert(block.end(), part->begin(), part->end());
        }
        const Bytes tail = ActionAssembler().trace("after").block();
        block.insert(block.end(), tail.begin(), tail.end());
        MovieWriter movie(100, 100);
        movie.doAction(block);
        movie.showFrame();
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), tc.expected) << tc.throws << tc.jumpsToFinally;
    }
}

} // namespace

namespace {

// var /:abc = "ABC"; var /:def; outside a function the path names the variable's clip.
TEST(ScriptLanguage, VarWithAPathSetsWhatThePathNames) {
    ActionAssembler a;
    a.push({"/:abc", "ABC"}).op(Action::DefineLocal);
    a.push({"/:def"}).op(0x41); // DefineLocal2
    a.traceVariable("abc");
    CallOn(a, "_root", "hasOwnProperty", {"def"}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "ABC\ntrue\n");
}

// _global.a = {b: {c: "global"}}; a = {b: "root"}: a.b.c falls through to the next scope
// holding `a` when the rest of the path leads nowhere from the first.
TEST(ScriptLanguage, DottedNamesTryEachScopeHoldingTheirFirstPart) {
    ActionAssembler a;
    a.push({"_global"}).op(Action::GetVariable);
    a.push({"a", "b", "c", "global", 1}).op(Action::InitObject);
    a.push({1}).op(Action::InitObject).op(Action::SetMember);
    a.push({"a", "b", "root", 1}).op(Action::InitObject).op(Action::SetVariable);
    a.traceVariable("a.b.c").traceVariable("a.b").traceVariable("a.x.y");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "global\nroot\nundefined\n");
}

} // namespace

namespace {

// Names in every spelling of a path, read with eval and getProperty: dots separate up to
// the first slash, the last dot or colon before a variable splits it off, and getProperty
// reads names of the clip it acts on only.
TEST(ScriptLanguage, PathsInEverySpelling) {
    struct Case {
        const char* path;
        bool property; // getProperty(path, _name) rather than eval(path)
        const char* expected;
    };
    const Case cases[] = {
        {"c1/c2/c3", false, "_level0.c1.c2.c3"},
        {"c1.c2/c3._name", false, "c3"},
        {"c1/c2.c3._name", false, "undefined"},
        {"c1.c2/c3", false, "undefined"},
        {"_level0.c1/c2:c3", false, "_level0.c1.c2.c3"},
        {"c1:c2.c3:_name", false, "c3"},
        {"_root._parent", false, "undefined"},
        {"_level0.", false, "undefined"},
        {"_level0more", false, "_level0"},
        {"v", true, "c1"},
        {"g", true, "undefined"},
        {"/:v", true, "c1"},
        {"c1/c2/", true, "c2"}, // a slash at the end names what is before it
        {"c1//c2", true, "undefined"},
        {"//c1", true, "undefined"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        CallOn(a, "_root", "createEmptyMovieClip", {1, "c1"}).op(Action::Pop);
        CallOn(a, "c1", "createEmptyMovieClip", {1, "c2"}).op(Action::Pop);
        a.push({1, "c3", 2, "c1"}).op(Action::GetVariable).push({"c2"}).op(Action::GetMember);
        a.push({"createEmptyMovieClip"}).op(Action::CallMethod).op(Action::Pop);
        a.push({"v", "c1"}).op(Action::GetVariable).op(Action::SetVariable);
        a.push({"_global"}).op(Action::GetVariable).push({"g", "c1"}).op(Action::GetVariable);
        a.op(Action::SetMember);
        if (c.property) {
            a.push({c.path, 13}).op(Action::GetProperty);
        } else {
            a.push({c.path}).op(Action::GetVariable);
        }
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.expected) + "\n")
            << c.path;
    }
}

TEST(ScriptLanguage, TextToNumberByVersion) {
    struct Case {
        int version;
        const char* text;
        const char* number;
    };
    const Case cases[] = {
        {4, "150a", "150"},   {4, "ab", "0"},     {4, "0x96", "0"},   {4, "010", "10"},
        {4, "1.5e2x", "150"}, {4, "-.5", "-0.5"}, {5, "0x96", "NaN"}, {5, "010", "10"},
        {6, "0x96", "150"},   {6, "010", "8"},    {6, "150a", "NaN"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({c.text}).op(0x4a).op(Action::Trace); // ToNumber
        EXPECT_EQ(RunMovie(OneScriptMovie(a, c.version)).joined(), std::string(c.number) + "\n")
            << c.version << " " << c.text;
    }
}

// o1 and o2 trace their names from valueOf: each numeric action converts in its own order.
TEST(ScriptLanguage, NumericActionsConvertInThePlayersOrder) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {Action::Add, "1\n2\n"},    {Action::Subtract, "2\n1\n"}, {Action::Multiply, "1\n2\n"},
        {Action::Divide, "2\n1\n"}, {Action::Equals, "2\n1\n"},   {Action::Less, "1\n2\n"},
    };
    for (const auto& [code, order] : cases) {
        ActionAssembler a;
        for (const char* name : {"1", "2"}) {
            ActionAssembler valueOf;
            valueOf.trace(name).push({1}).op(Action::Return);
            a.push({std::string("o") + name, 0, "Object"}).op(Action::NewObject);
            a.op(Action::SetVariable);
            a.push({std::string("o") + name}).op(Action::GetVariable).push({"valueOf"});
            a.function(FunctionSpec(), valueOf).op(Action::SetMember);
        }
        a.push({"o1"}).op(Action::GetVariable).push({"o2"}).op(Action::GetVariable);
        a.op(code).op(Action::Pop);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), order) << int(code);
    }
}

} // namespace

namespace {

// tellTarget("c"), tellTarget(undefined) back to the script's own clip, and a target that
// names no clip falls back to the root.
TEST(ScriptLanguage, TellTargetFallsBackToTheRoot) {
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    const auto traceTarget = [&a] {
        a.push({"", 11}).op(Action::GetProperty).op(Action::Trace); // _target
    };
    a.push({"c"}).op(0x20); // SetTarget2
    traceTarget();
    a.push({Undefined{}}).op(0x20);
    traceTarget();
    a.push({"c"}).op(0x20).push({"nowhere"}).op(0x20);
    traceTarget();
    a.push({12}).op(0x20);
    traceTarget();
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "/c\n/\n/\n/\n");
}

TEST(ScriptLanguage, FunctionCalledPlainlyGivesBackItsArgument) {
    ActionAssembler a;
    a.push({"text", 1, "Function"}).op(Action::CallFunction).op(Action::Trace);
    a.push({0, "Function"}).op(Action::CallFunction).op(Action::TypeOf).op(Action::Trace);
    a.push({0, "Function"}).op(Action::CallFunction).push({"__proto__"});
    a.op(Action::GetMember).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "text\nobject\nundefined\n");
}

} // namespace

namespace {

// __proto__ is a property of flags of its own: hidden and kept from delete until
// ASSetPropFlags clears them, watched as others are, named in any case up to version 6.
TEST(ScriptLanguage, ProtoTakesFlagsWatchersAndCase) {
    ActionAssembler watcher;
    watcher.trace("watched");
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__"}).op(0x3a).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"__PROTO__"}).op(Action::GetMember);
    a.op(Action::TypeOf).op(Action::Trace);
    a.push({7, 0, "__proto__", "o"}).op(Action::GetVariable);
    a.push({4, "ASSetPropFlags"}).op(Action::CallFunction).op(Action::Pop);
    a.push({"o"}).op(Action::GetVariable).push({"__proto__"}).op(0x3a).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"toString"}).op(Action::GetMember);
    a.op(Action::TypeOf).op(Action::Trace);
    a.push({"w", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.function({}, watcher).push({"__proto__", 2, "w"}).op(Action::GetVariable);
    a.push({"watch"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"w"}).op(Action::GetVariable).push({"__proto__", "x"}).op(Action::SetMember);
    a.push({"w"}).op(Action::GetVariable).push({"__proto__"}).op(Action::GetMember);
    a.op(Action::TypeOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(),
              "false\nobject\ntrue\nundefined\nwatched\nundefined\n");
}

// Deleting through a path that meets a primitive deletes nothing, and the player logs it.
TEST(ScriptLanguage, DeleteThroughAPrimitiveIsLogged) {
    for (const auto& [value, logged] :
         {std::pair<PushValue, bool>{"text", true}, std::pair<PushValue, bool>{2, true},
          std::pair<PushValue, bool>{Undefined{}, false}}) {
        ActionAssembler a;
        a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
        a.push({"o"}).op(Action::GetVariable).push({"t", value}).op(Action::SetMember);
        a.push({"o.t.y"}).op(0x3b).op(Action::Trace); // Delete2
        const ScriptRun run = RunMovie(OneScriptMovie(a, 8));
        ASSERT_EQ(run.traces.size(), logged ? 2u : 1u);
        EXPECT_EQ(run.traces.back(), "false");
        if (logged) {
            EXPECT_NE(run.traces.front().find("primitive"), std::string::npos);
        }
    }
}

// delete F.prototype leaves the prototype of script functions and of built-in classes.
TEST(ScriptLanguage, PrototypesCannotBeDeleted) {
    for (const char* holder : {"F", "Object", "MovieClip"}) {
        ActionAssembler body;
        ActionAssembler a;
        a.function(FunctionSpec("F"), body);
        a.push({holder}).op(Action::GetVariable).push({"prototype"}).op(0x3a).op(Action::Trace);
        a.push({holder}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
        a.op(Action::TypeOf).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "false\nobject\n") << holder;
    }
}

} // namespace

namespace {

// DefineFunction2 preloads _root, _global and _parent in that order of registers,
// whatever the flags leave out.
TEST(ScriptLanguage, PreloadedRegistersFollowTheirOrder) {
    struct Case {
        std::uint16_t flags; // _root 0x40, _parent 0x80, _global 0x100
        const char* expected;
    };
    for (const Case& c : {Case{0x1c0, "_level0|object|undefined|undefined"},
                          Case{0x180, "object|undefined|undefined|undefined"},
                          Case{0x140, "_level0|object|undefined|undefined"}}) {
        ActionAssembler body;
        for (std::uint8_t r = 1; r <= 4; ++r) {
            body.push({Register{r}});
            // the global object is told by its type: its text depends on its prototype
            body.op(Action::PushDuplicate).op(Action::TypeOf).push({"object"});
            body.op(Action::StrictEquals).ifTrue("object" + std::to_string(r));
            body.jump("text" + std::to_string(r));
            body.label("object" + std::to_string(r)).op(Action::Pop).push({"object"});
            body.label("text" + std::to_string(r));
            if (r > 1) {
                body.op(Action::Add2);
            }
            if (r < 4) {
                body.push({"|"}).op(Action::Add2);
            }
        }
        body.op(Action::Trace);
        ActionAssembler a;
        a.function(FunctionSpec("f", {}, 5, c.flags, true), body);
        a.push({0, "f"}).op(Action::CallFunction).op(Action::Pop);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.expected) + "\n")
            << c.flags;
    }
}

// A variable set under _root hides what _root means; with(o) { var b = 1; } sets o.b when
// o holds b itself.
TEST(ScriptLanguage, VariablesHideSpecialNamesAndVarWritesToTheWithObject) {
    ActionAssembler a;
    a.set("_root", "fake").traceVariable("_root");
    a.push({"o", 0}).op(Action::InitObject).op(Action::DefineLocal);
    a.push({"o"}).op(Action::GetVariable).push({"b", 20}).op(Action::SetMember);
    ActionAssembler inside;
    inside.push({"b", 10}).op(Action::DefineLocal).push({"c", 10}).op(Action::DefineLocal);
    a.push({"o"}).op(Action::GetVariable).with(inside);
    a.push({"o"}).op(Action::GetVariable).push({"b"}).op(Action::GetMember).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"c"}).op(Action::GetMember).op(Action::Trace);
    a.traceVariable("c");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "fake\n10\nundefined\n10\n");
}

// A primitive becomes an object through the class _global holds under its type's name
// now; call runs on that object, or on _global for null.
TEST(ScriptLanguage, PrimitivesBecomeObjectsThroughTheClassesInGlobal) {
    ActionAssembler a;
    ActionAssembler ctor; // function (v) { trace("made " + v); this.k = "mine"; }
    ctor.push({"made ", "v"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    ctor.push({"this"}).op(Action::GetVariable).push({"k", "mine"}).op(Action::SetMember);
    a.push({"_global"}).op(Action::GetVariable).push({"Number"});
    a.function({"", {{0, "v"}}}, ctor).op(Action::SetMember);
    a.push({5, "k"}).op(Action::GetMember).op(Action::Trace);
    ActionAssembler f; // function f() { trace(typeof this); trace(this === _global); }
    f.push({"this"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    f.push({"this"}).op(Action::GetVariable).push({"_global"}).op(Action::GetVariable);
    f.op(Action::StrictEquals).op(Action::Trace);
    a.function({"f"}, f);
    CallOn(a, "f", "call", {Null{}}).op(Action::Pop);
    CallOn(a, "f", "call", {"text"}).op(Action::Pop);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "made 5\nmine\nobject\ntrue\nobject\nfalse\n");
}

// instanceof reads the class's own prototype as stored, calling no getter; a primitive is
// an instance of nothing.
TEST(ScriptLanguage, InstanceOfReadsTheStoredPrototype) {
    ActionAssembler a;
    a.push({"o", 0}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"C", 0}).op(Action::InitObject).op(Action::SetVariable);
    ActionAssembler getter; // function () { trace("getter"); return Object.prototype; }
    getter.trace("getter").push({"Object"}).op(Action::GetVariable).push({"prototype"});
    getter.op(Action::GetMember).op(0x3e);
    a.push({Null{}}).function({}, getter).push({"prototype", 3, "C"}).op(Action::GetVariable);
    a.push({"addProperty"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"o"}).op(Action::GetVariable).push({"C"}).op(Action::GetVariable);
    a.op(Action::InstanceOf).op(Action::Trace);
    a.push({"x", "String"}).op(Action::GetVariable).op(Action::InstanceOf).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"Object"}).op(Action::GetVariable);
    a.op(Action::InstanceOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "false\nfalse\ntrue\n");
}

} // namespace
