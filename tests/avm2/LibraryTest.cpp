// The core classes as scripts use them: Array, String, Math, Function, Error and the
// global functions.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>
#include <limits>

namespace quillon::test {
namespace {

TEST(Avm2Library, ArrayMethods) {
    AbcWriter abc;
    const Emit abc3 = ArrayOf({Str("b"), Str("c"), Str("a")});
    const Emit numbers = ArrayOf({Int(10), Int(9), Int(100), Int(1)});
    const std::vector<TraceCase> cases = {
        {abc3, "b,c,a"},
        {Call(abc, abc3, "join", {Str("-")}), "b-c-a"},
        {Call(abc, abc3, "sort"), "a,b,c"},
        {Call(abc, numbers, "sort"), "1,10,100,9"},
        {Call(abc, numbers, "sort", {Int(16)}), "1,9,10,100"},
        {Call(abc, numbers, "sort", {Int(16 | 2)}), "100,10,9,1"},
        {Call(abc, numbers, "sort", {Int(16 | 8)}), "3,1,0,2"},
        {Call(abc, abc3, "reverse"), "a,c,b"},
        {Call(abc, abc3, "slice", {Int(-2)}), "c,a"},
        {Call(abc, abc3, "indexOf", {Str("c")}), "1"},
        {Call(abc, abc3, "lastIndexOf", {Str("z")}), "-1"},
        {Call(abc, abc3, "concat", {ArrayOf({Int(1), Int(2)}), Int(3)}), "b,c,a,1,2,3"},
        {Call(abc, abc3, "push", {Str("d")}), "4"},
        {Call(abc, abc3, "pop"), "a"},
        {Call(abc, abc3, "shift"), "b"},
        {Call(abc, abc3, "splice", {Int(1), Int(1), Str("x"), Str("y")}), "c"},
        {Get(abc, ArrayOf({Int(1), Int(2)}), "length"), "2"},
        {ArrayOf({Int(1), [](AbcCode& c) { c.op(0x20); }, Int(3)}), "1,,3"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Library, StringMethods) {
    AbcWriter abc;
    const Emit text = Str("Hello, World");
    const Emit accented = Str("h\xc3\xa9llo \xf0\x9f\x98\x80");
    const std::vector<TraceCase> cases = {
        {Get(abc, text, "length"), "12"},
        {Get(abc, accented, "length"), "8"},
        {Call(abc, accented, "charCodeAt", {Int(1)}), "233"},
        {Call(abc, accented, "charAt", {Int(1)}), "\xc3\xa9"},
        {Call(abc, text, "indexOf", {Str("o")}), "4"},
        {Call(abc, text, "lastIndexOf", {Str("o")}), "8"},
        {Call(abc, text, "substring", {Int(7), Int(0)}), "Hello, "},
        {Call(abc, text, "substr", {Int(-5), Int(3)}), "Wor"},
        {Call(abc, text, "slice", {Int(-5), Int(-1)}), "Worl"},
        {Call(abc, text, "toUpperCase"), "HELLO, WORLD"},
        {Call(abc, text, "split", {Str(", ")}), "Hello,World"},
        {Get(abc, Call(abc, Str("a,b,,c"), "split", {Str(",")}), "length"), "4"},
        {Call(abc, Str("abc"), "split", {Str("")}), "a,b,c"},
        {Call(abc, text, "replace", {Str("World"), Str("there")}), "Hello, there"},
        {Call(abc, Lex(abc, "String"), "fromCharCode", {Int(72), Int(105)}), "Hi"},
        {Call(abc, Int(5), "toString"), "5"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Library, MathAndGlobals) {
    AbcWriter abc;
    const Emit math = Lex(abc, "Math");
    // parseInt(args...) through the scope chain, as compiled code calls globals.
    const auto global = [&](const std::string& name, std::vector<Emit> args) {
        return Global(abc, name, std::move(args), 0x46);
    };
    const std::vector<TraceCase> cases = {
        {Call(abc, math, "max", {Int(3), Int(9), Int(4)}), "9"},
        {Call(abc, math, "min"), "Infinity"},
        {Call(abc, math, "round", {Double(-2.5)}), "-2"},
        {Call(abc, math, "round", {Double(2.5)}), "3"},
        {Call(abc, math, "floor", {Double(-0.5)}), "-1"},
        {Call(abc, math, "pow", {Int(2), Int(10)}), "1024"},
        {Call(abc, math, "sqrt", {Int(-1)}), "NaN"},
        {Get(abc, math, "PI"), "3.141592653589793"},
        {global("parseInt", {Str("0x1f")}), "31"},
        {global("parseInt", {Str("  42px")}), "42"},
        {global("parseInt", {Str("z"), Int(36)}), "35"},
        {global("parseFloat", {Str("3.5e2abc")}), "350"},
        {global("isNaN", {Str("x")}), "true"},
        {Get(abc, Lex(abc, "int"), "MAX_VALUE"), "2147483647"},
        {Get(abc, Lex(abc, "uint"), "MAX_VALUE"), "4294967295"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Library, ErrorsCarryTheirIds) {
    AbcWriter abc;
    const auto make = [&](const std::string& cls, std::vector<Emit> args) {
        return New(abc, cls, std::move(args));
    };
    const std::uint32_t illegal = abc.qname(abc.ns(0x16, "flash.errors"), "IllegalOperationError");
    const auto flashError = [illegal]() -> Emit {
        return [illegal](AbcCode& c) {
            c.nameOp(0x5d, illegal);
            c.pushString("odd");
            c.callProperty(0x4a, illegal, 1);
        };
    };
    const std::vector<TraceCase> cases = {
        {make("Error", {Str("plain")}), "Error: plain"},
        {flashError(), "Error: odd"},
        {make("RangeError", {Str("far"), Int(1125)}), "RangeError: far"},
        {Get(abc, make("RangeError", {Str("far"), Int(1125)}), "errorID"), "1125"},
        {Get(abc, make("TypeError", {}), "message"), ""},
        {Then(make("ArgumentError", {}), 0x95), "object"},
        {Call(abc, Double(1.5), "toFixed", {Int(1)}), "1.5"},
        // each class's prototype names it, while the flash.errors classes' instances
        // keep the name of Error, their nearest top-level class
        {Get(abc, Get(abc, Lex(abc, "RangeError"), "prototype"), "name"), "RangeError"},
        {Get(abc,
             Get(
                 abc, [illegal](AbcCode& c) { c.nameOp(0x60, illegal); }, "prototype"),
             "name"),
         "IllegalOperationError"},
    };
    ExpectTraces(abc, cases);
    // A radix out of range is a RangeError with the player's text.
    AbcWriter bad;
    AbcCode code(bad);
    code.pushThisScope()
        .pushInt(5)
        .pushInt(99)
        .callProperty(0x46, bad.name("toString"), 1)
        .op(0x47);
    EXPECT_EQ(RunMain(bad, code).error,
              "RangeError: Error #1003: The radix argument must be between 2 and 36; got 99.");
}

TEST(Avm2Library, FunctionCallAndApply) {
    AbcWriter abc;
    // function add(a, b) { return this.base + a + b }
    AbcCode add(abc);
    add.getLocal(0)
        .nameOp(0x66, abc.name("base"))
        .getLocal(1)
        .op(0xa0)
        .getLocal(2)
        .op(0xa0)
        .op(0x48);
    const std::uint32_t method = AddMethod(abc, add, 2);
    const Emit fn = [=](AbcCode& c) { c.op(0x40).u30(method); };
    const std::uint32_t baseName = abc.name("base");
    const Emit target = [=](AbcCode& c) { c.pushString("base").pushInt(100).op(0x55).u30(1); };
    (void)baseName;
    const std::vector<TraceCase> cases = {
        {Call(abc, fn, "call", {target, Int(1), Int(2)}), "103"},
        {Call(abc, fn, "apply", {target, ArrayOf({Int(10), Int(20)})}), "130"},
        {Get(abc, fn, "length"), "2"},
    };
    ExpectTraces(abc, cases);
}

// Natives count against the call depth too, so a cycle through them ends cleanly.
TEST(Avm2Library, AnArrayHoldingItselfDoesNotRecurseForever) {
    AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope().pushString("a").op(0x56).u30(1).setLocal(1);
    code.getLocal(1).pushInt(1).getLocal(1).nameOp(0x61,
                                                   abc.multinameL(abc.nsSet({abc.publicNs()})));
    code.getLocal(1).callProperty(0x46, abc.name("join"), 0).traceTop().op(0x47);
    EXPECT_EQ(RunMain(abc, code).error, "Error: Error #1023: Stack overflow occurred.");
}

// A byte array written in one byte order and read in the other, text through a zlib round
// trip, and reading past the end.
TEST(Avm2Library, ByteArrayOrdersCompressesAndStopsAtItsEnd) {
    AbcWriter abc;
    const std::uint32_t byteArray = abc.qname(abc.ns(0x16, "flash.utils"), "ByteArray");
    AbcCode code(abc);
    const auto set = [&](const char* name, auto push) {
        code.getLocal(1);
        push();
        code.nameOp(0x61, abc.name(name));
    };
    const auto call = [&](const char* name, std::uint32_t args) {
        code.callProperty(0x46, abc.name(name), args);
    };
    code.pushThisScope().nameOp(0x60, byteArray).op(0x42).u30(0).setLocal(1);
    set("endian", [&] { code.pushString("littleEndian"); });
    code.getLocal(1).pushInt(0x01020304).callProperty(0x4f, abc.name("writeInt"), 1);
    set("position", [&] { code.pushInt(0); });
    code.getLocal(1);
    call("readUnsignedByte", 0);
    code.traceTop();
    set("endian", [&] { code.pushString("bigEndian"); });
    set("position", [&] { code.pushInt(0); });
    code.getLocal(1);
    call("readInt", 0);
    code.traceTop();
    code.getLocal(1).pushString("h\xC3\xA9llo").callProperty(0x4f, abc.name("writeUTF"), 1);
    code.getLocal(1).callProperty(0x4f, abc.name("compress"), 0);
    code.getLocal(1).callProperty(0x4f, abc.name("uncompress"), 0);
    set("position", [&] { code.pushInt(4); });
    code.getLocal(1);
    call("readUTF", 0);
    code.traceTop();
    code.getLocal(1);
    call("readByte", 0);
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    EXPECT_EQ(run.lines, (std::vector<std::string>{"4", "67305985", "h\xC3\xA9llo"}));
    EXPECT_NE(run.error.find("2030"), std::string::npos) << run.error;
}

// Raw deflate round trips, shorter than a zlib stream of the same text would be; data
// that is no zlib stream is the player's error 2058.
TEST(Avm2Library, ByteArrayDeflateRoundTripsAndDamageIsError2058) {
    AbcWriter abc;
    const std::uint32_t byteArray = abc.qname(abc.ns(0x16, "flash.utils"), "ByteArray");
    AbcCode code(abc);
    code.pushThisScope().nameOp(0x60, byteArray).op(0x42).u30(0).setLocal(1);
    code.getLocal(1).pushString("abcabcabcabc").callProperty(0x4f, abc.name("writeUTFBytes"), 1);
    code.getLocal(1).callProperty(0x4f, abc.name("deflate"), 0);
    code.getLocal(1).nameOp(0x66, abc.name("length")).traceTop();
    code.getLocal(1).callProperty(0x4f, abc.name("inflate"), 0);
    code.getLocal(1).callProperty(0x46, abc.name("toString"), 0).traceTop();
    code.getLocal(1).callProperty(0x4f, abc.name("uncompress"), 0);
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_LT(std::stoi(run.lines[0]), 12); // compressed, and raw: no zlib header
    EXPECT_EQ(run.lines[1], "abcabcabcabc");
    EXPECT_NE(run.error.find("2058"), std::string::npos) << run.error;
}

TEST(Avm2Library, StringParametersAreTyped) {
    AbcWriter abc;
    const Emit text = Str("abcdefg");
    const Emit undefinedValue = [](AbcCode& c) { c.op(0x21); };
    const Emit nullValue = [](AbcCode& c) { c.op(0x20); };
    const std::vector<TraceCase> cases = {
        {Call(abc, text, "slice", {Int(2), undefinedValue}), ""},
        {Call(abc, text, "slice", {Int(2)}), "cdefg"},
        {Call(abc, text, "substr", {Int(2), undefinedValue}), ""},
        {Call(abc, text, "substring", {Int(2), undefinedValue}), "ab"},
        {Call(abc, text, "charAt", {Double(std::numeric_limits<double>::quiet_NaN())}), "a"},
        {Call(abc, Str("a null"), "indexOf", {nullValue}), "-1"},
        {Call(abc, Str("an undefined"), "lastIndexOf", {undefinedValue}), "-1"},
        {Call(abc, Str("an undefined"), "indexOf"), "3"},
        // trace prints a NUL unit as nothing.
        {Call(abc, Lex(abc, "String"), "fromCharCode", {Int(80), Int(0), Int(82)}), "PR"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Library, ByteArrayIndexesReadAndWriteBytes) {
    AbcWriter abc;
    const std::uint32_t byteArray = abc.qname(abc.ns(0x16, "flash.utils"), "ByteArray");
    const Emit bytes = [=](AbcCode& c) { c.nameOp(0x60, byteArray).op(0x42).u30(0); };
    const Emit written = SetNamed(abc, bytes, "3", Int(258)); // kept modulo 256
    const std::vector<TraceCase> cases = {
        {Get(abc, written, "3"), "2"},
        {Get(abc, written, "length"), "4"},
        {Get(abc, written, "0"), "0"},
        {Get(abc, written, "9"), "undefined"},
        {Call(abc, written, "hasOwnProperty", {Int(3)}), "true"},
        {Call(abc, written, "hasOwnProperty", {Int(4)}), "false"},
    };
    ExpectTraces(abc, cases);
}

} // namespace
} // namespace quillon::test
