// The core language details scripts test for: the length of built-in functions, the
// receivers of the primitive classes' methods, Dictionary, QName and the error classes.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

Emit Proto(AbcWriter& abc, const std::string& cls, const std::string& method) {
    return Get(abc, Get(abc, Lex(abc, cls), "prototype"), method);
}

TEST(Avm2Language, BuiltinFunctionsDeclareTheirLength) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Get(abc, Proto(abc, "String", "slice"), "length"), "2"},
        {Get(abc, Proto(abc, "String", "charAt"), "length"), "1"},
        {Get(abc, Proto(abc, "String", "toUpperCase"), "length"), "0"},
        {Get(abc, Proto(abc, "Object", "hasOwnProperty"), "length"), "1"},
        {Get(abc, Proto(abc, "Object", "valueOf"), "length"), "0"},
        {Get(abc, Proto(abc, "Date", "setHours"), "length"), "4"},
        {Get(abc, Lex(abc, "parseInt"), "length"), "2"},
        {Get(abc, Lex(abc, "isFinite"), "length"), "1"},
        {Get(abc, Get(abc, Lex(abc, "Math"), "max"), "length"), "2"},
        {Get(abc, Get(abc, Lex(abc, "Number"), "atan2"), "length"), "2"},
        {Get(abc, Lex(abc, "Array"), "length"), "1"},
        {Get(abc, Lex(abc, "Date"), "length"), "7"},
        // every top-level class says one argument unless it takes more
        {Get(abc, Lex(abc, "RegExp"), "length"), "1"},
        {Get(abc, Lex(abc, "TypeError"), "length"), "1"},
        {Get(abc, Lex(abc, "uint"), "length"), "1"},
        {Get(abc, Lex(abc, "Namespace"), "length"), "2"},
        {Get(abc, Lex(abc, "Math"), "length"), "undefined"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Language, FunctionAndClassObjects) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Then(New(abc, "Function"), 0x95), "function"},                // typeof
        {Global(abc, "Function", {}, 0x46), "function Function() {}"}, // Function() too
        {Get(abc, Get(abc, Lex(abc, "Array"), "prototype"), "constructor"), "[class Array]"},
        {Get(abc, Lex(abc, "Boolean"), "constructor"), "[class Class]"},
        {Get(abc, Lex(abc, "Number"), "PI"), "3.141592653589793"},
        {Call(abc, Lex(abc, "Number"), "abs", {Int(-3)}), "3"},
    };
    ExpectTraces(abc, cases);
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Global(a, "Function", {Str("return 1")}, 0x4a); }),
              "EvalError: Error #1066: The form function('function body') is not supported.");
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return New(a, "Math"); }),
              "TypeError: Error #1076: Math is not a constructor.");
}

TEST(Avm2Language, PrimitiveMethodsCheckTheirReceiver) {
    AbcWriter abc;
    const Emit yes = [](AbcCode& c) { c.op(0x26); }; // pushtrue
    const std::vector<TraceCase> cases = {
        {Call(abc, yes, "valueOf"), "true"},
        {Call(abc, yes, "toString"), "true"},
        {Call(abc, New(abc, "Boolean", {Int(1)}), "valueOf"), "true"},
        {Call(abc, Get(abc, Lex(abc, "Boolean"), "prototype"), "valueOf"), "false"},
        {Call(abc, Get(abc, Lex(abc, "Number"), "prototype"), "valueOf"), "0"},
        {Call(abc, Get(abc, Lex(abc, "Number"), "prototype"), "toString"), "0"},
        {Call(abc, Get(abc, Lex(abc, "String"), "prototype"), "toString"), ""},
        {Call(abc, Double(2.5), "valueOf"), "2.5"},
    };
    ExpectTraces(abc, cases);
    const std::string incompatible = "TypeError: Error #1004: Method Number.prototype.valueOf "
                                     "was invoked on an incompatible object.";
    EXPECT_EQ(ErrorOf([](AbcWriter& a) {
                  const Emit valueOf = Proto(a, "Number", "valueOf");
                  return Call(a, SetNamed(a, New(a, "Object"), "v", valueOf), "v");
              }),
              incompatible);
}

TEST(Avm2Language, DictionaryKeysObjectsByIdentity) {
    AbcWriter abc;
    const std::uint32_t late = abc.multinameL(abc.nsSet({abc.publicNs()}));
    const std::uint32_t dictionary = abc.qname(abc.ns(0x16, "flash.utils"), "Dictionary");
    AbcCode code(abc);
    code.pushThisScope();
    code.nameOp(0x5d, dictionary).callProperty(0x4a, dictionary, 0).setLocal(1);
    code.op(0x55).u30(0).setLocal(2); // two plain objects as keys
    code.op(0x55).u30(0).setLocal(3);
    const auto store = [&](std::uint32_t key, const std::string& text) {
        code.getLocal(1).getLocal(key).pushString(text).nameOp(0x61, late);
    };
    const auto read = [&](std::uint32_t key) {
        code.getLocal(1).getLocal(key).nameOp(0x66, late).traceTop();
    };
    store(2, "A");
    store(3, "B");
    read(2);
    read(3);
    code.getLocal(1).pushString("[object Object]").nameOp(0x66, late).traceTop();
    code.getLocal(3).getLocal(1).op(0xb4).traceTop(); // in
    code.getLocal(1).getLocal(2).nameOp(0x6a, late).traceTop();
    read(2);
    code.getLocal(2).getLocal(1).op(0xb4).traceTop();
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    ASSERT_EQ(run.error, "");
    const std::vector<std::string> expected = {"A",    "B",         "undefined", "true",
                                               "true", "undefined", "false"};
    EXPECT_EQ(run.lines, expected);
}

TEST(Avm2Language, QNameParts) {
    AbcWriter abc;
    const Emit two = New(abc, "QName", {Str("urn:x"), Str("item")});
    const Emit any = New(abc, "QName", {[](AbcCode& c) { c.op(0x20); }, Str("item")});
    const std::vector<TraceCase> cases = {
        {two, "urn:x::item"},
        {Get(abc, two, "uri"), "urn:x"},
        {Get(abc, two, "localName"), "item"},
        {any, "*::item"},
        {Get(abc, any, "uri"), "null"},
        {New(abc, "QName", {Str("plain")}), "plain"},
        {New(abc, "QName", {two}), "urn:x::item"},
        {Get(abc, New(abc, "QName", {Str("*")}), "uri"), "null"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Language, ReturnedValuesTakeTheDeclaredType) {
    AbcWriter abc;
    // A closure declared to return type, returning value, called at once.
    const auto returning = [&abc](const std::string& type, Emit value) -> Emit {
        AbcCode body(abc);
        value(body);
        body.op(0x48); // returnvalue
        const std::uint32_t method = abc.method(0, 0, {}, "", {}, abc.name(type));
        abc.body(method, body);
        return [method](AbcCode& c) { c.op(0x40).u30(method).op(0x20).op(0x41).u30(0); };
    };
    const std::vector<TraceCase> cases = {
        {returning("uint", Int(-10)), "4294967286"},
        {returning("int", Double(3.7)), "3"},
        {returning("Boolean", Int(1)), "true"},
        {returning("String", [](AbcCode& c) { c.op(0x20); }), "null"},
        {returning("Number", Str("2.5")), "2.5"},
        {returning("*", Str("kept")), "kept"},
        {returning("void", Int(4)), "4"},
    };
    ExpectTraces(abc, cases);
}

// A closure typed (param) -> returnType whose body is given, called at once with arg.
Emit TypedClosure(AbcWriter& abc, const std::string& param, const std::string& returnType,
                  Emit body, Emit arg) {
    AbcCode code(abc);
    body(code);
    code.op(0x48); // returnvalue
    const std::uint32_t method = abc.method(1, 0, {}, "", {abc.name(param)}, abc.name(returnType));
    abc.body(method, code);
    return [method, arg](AbcCode& c) {
        c.op(0x40).u30(method).op(0x20);
        arg(c);
        c.op(0x41).u30(1);
    };
}

TEST(Avm2Language, ClassTypedParametersAndResultsAreChecked) {
    const auto local1 = [](AbcCode& c) { c.getLocal(1); };
    const std::vector<ErrorCase> cases = {
        {[&](AbcWriter& a) { return TypedClosure(a, "*", "Date", local1, Int(1)); },
         "TypeError: Error #1034: Type Coercion failed: cannot convert 1 to Date."},
        {[&](AbcWriter& a) { return TypedClosure(a, "*", "Date", local1, Str("x")); },
         "TypeError: Error #1034: Type Coercion failed: cannot convert \"x\" to Date."},
        {[&](AbcWriter& a) { return TypedClosure(a, "Date", "*", local1, New(a, "Array")); },
         "TypeError: Error #1034: Type Coercion failed: cannot convert Array@00000000000 to "
         "Date."},
        {[&](AbcWriter& a) { return TypedClosure(a, "*", "Date", local1, New(a, "Date")); }, ""},
        {[&](AbcWriter& a) {
             return TypedClosure(a, "Date", "Date", local1, [](AbcCode& c) { c.op(0x21); });
         },
         ""},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(ErrorOf(c.emit), c.error);
    }
}

TEST(Avm2Language, NumbersStringsAndLookupsFollowThePlayer) {
    AbcWriter abc;
    const auto parse = [&abc](const char* fn, std::vector<Emit> args) {
        return Global(abc, fn, std::move(args), 0x46);
    };
    const Emit undefinedValue = [](AbcCode& c) { c.op(0x21); };
    const auto instanceOf = [&abc](Emit value, const std::string& cls) -> Emit {
        const Emit type = Lex(abc, cls);
        return [=](AbcCode& c) {
            value(c);
            type(c);
            c.op(0xb1);
        };
    };
    AbcCode seven(abc);
    seven.pushInt(7).op(0x48);
    const std::uint32_t sevenMethod = AddMethod(abc, seven);
    const Emit valueOfSeven = SetNamed(abc, New(abc, "Object"), "valueOf",
                                       [=](AbcCode& c) { c.op(0x40).u30(sevenMethod); });
    const auto add = [](Emit a, Emit b) -> Emit {
        return [=](AbcCode& c) {
            a(c);
            b(c);
            c.op(0xa0);
        };
    };
    const Emit numberProto = Get(abc, Lex(abc, "Number"), "prototype");
    const Emit inheritedByInts = [=, &abc](AbcCode& c) {
        SetNamed(abc, numberProto, "seven", Int(7))(c);
        c.op(0x29);
        Get(abc, Int(3), "seven")(c);
    };
    const std::uint32_t late = abc.multinameL(abc.nsSet({abc.publicNs()}));
    const Emit deleteFromSealed = [=, &abc](AbcCode& c) {
        New(abc, "QName", {Str("a")})(c);
        c.pushString("x").nameOp(0x6a, late);
    };
    // A script's own global variable does not hide a definition of the same name.
    const Emit lexInt = Lex(abc, "int"), lexOther = Lex(abc, "other");
    const Emit globalVariables = [=](AbcCode& c) {
        c.op(0x64).pushString("int").pushString("global").nameOp(0x61, late);
        c.op(0x64).pushString("other").pushString("set").nameOp(0x61, late);
        lexInt(c);
        lexOther(c);
        c.op(0xa0);
    };
    const Emit abcdefg = Str("abcdefg");
    const std::vector<TraceCase> cases = {
        // A negative length sets the end from the string's end.
        {Call(abc, abcdefg, "substr", {Int(1), Int(-2)}), "bcdef"},
        {Call(abc, abcdefg, "substr", {Int(2), Int(-2)}), ""},
        {Call(abc, abcdefg, "substr", {Int(0), Int(-3)}), "abcd"},
        {Call(abc, abcdefg, "substr", {Int(-3)}), "efg"},
        {Call(abc, abcdefg, "substr", {Int(2), Int(9)}), "cdefg"},
        // parseFloat's exponent wraps in 32 bits and overflows to Infinity.
        {parse("parseFloat", {Str("9e99999")}), "Infinity"},
        {parse("parseFloat", {Str("1e4294967297")}), "10"},
        {parse("parseFloat", {Str("1e2147483648")}), "0"},
        {parse("parseFloat", {Str("10e")}), "10"},
        {parse("parseFloat", {Str("10e-")}), "NaN"},
        {parse("parseFloat", {Str("-.5e1x")}), "-5"},
        {parse("parseFloat", {Str("\xe2\x80\x80\xc2\xa0 12.5")}), "12.5"},
        {parse("parseInt", {Str("\xe3\x80\x80 42")}), "42"},
        {parse("parseInt", {undefinedValue, Int(32)}), "785077"}, // "null" in base 32
        {parse("parseInt", {}), "NaN"},
        // Every number inherits from Number's prototype, ints too.
        {instanceOf(Int(3), "int"), "false"},
        {instanceOf(Int(3), "Number"), "true"},
        {inheritedByInts, "7"},
        // Beside a string an object is made text by toString, elsewhere by valueOf.
        {add(Str("v"), valueOfSeven), "v[object Object]"},
        {add(Int(1), valueOfSeven), "8"},
        {deleteFromSealed, "false"},
        {globalVariables, "[class int]set"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Language, ErrorClassesNameThemselves) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Global(abc, "Error", {Str("called")}, 0x46), "Error: called"},
        {Global(abc, "RangeError", {}, 0x46), "RangeError"},
        {New(abc, "UninitializedError", {Str("m")}), "UninitializedError: m"},
        {New(abc, "DefinitionError", {Str("d")}), "DefinitionError: d"},
        {Get(abc, New(abc, "SecurityError"), "name"), "SecurityError"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Language, UriAndEscapeFunctions) {
    AbcWriter abc;
    const auto call = [&abc](const std::string& fn, const std::string& text) {
        return Global(abc, fn, {Str(text)}, 0x46);
    };
    const std::vector<TraceCase> cases = {
        {call("encodeURIComponent", "a b&c/\xc3\xa9"), "a%20b%26c%2F%C3%A9"},
        {call("encodeURI", "http://x.y/a b?c=d#e"), "http://x.y/a%20b?c=d#e"},
        {call("encodeURIComponent", "\xf0\x9f\x98\x80"), "%F0%9F%98%80"}, // a surrogate pair
        {call("decodeURIComponent", "a%20b%2F%C3%A9"), "a b/\xc3\xa9"},
        {call("decodeURI", "a%20b%2F%3f"), "a b%2F%3f"}, // reserved ones stay escaped
        {call("escape", "a b+\xc3\xa9\xe2\x82\xac"), "a%20b+%E9%u20AC"},
        {call("unescape", "a%20b%E9%u20AC%zz"), "a b\xc3\xa9\xe2\x82\xac%zz"},
        {Global(abc, "escape", {}, 0x46), "undefined"},
    };
    ExpectTraces(abc, cases);
    for (const char* bad : {"%", "%E9", "%C0%80", "%ED%A0%80", "%F8%80%80%80%80"}) {
        EXPECT_EQ(ErrorOf([bad](AbcWriter& a) {
                      return Global(a, "decodeURIComponent", {Str(bad)}, 0x46);
                  }),
                  "URIError: Error #1052: Invalid URI passed to decodeURIComponent function.")
            << bad;
    }
}

} // namespace
} // namespace quillon::test
