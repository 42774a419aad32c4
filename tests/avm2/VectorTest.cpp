// Vector.<T>: stores converted to T, fixed length, the range errors and the methods
// shared with Array.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// Vector.<type> (type "*" for any) on the stack, by applytype on the generic.
Emit VectorClass(AbcWriter& abc, const std::string& type) {
    const std::uint32_t generic = abc.qname(abc.ns(0x16, "__AS3__.vec"), "Vector");
    const std::uint32_t param = abc.name(type);
    return [=](AbcCode& c) {
        c.nameOp(0x60, generic);
        if (type == "*") {
            c.op(0x20);
        } else {
            c.nameOp(0x60, param);
        }
        c.op(0x53).u30(1);
    };
}

// new Vector.<type>(args...) with items pushed onto it.
Emit VectorOf(AbcWriter& abc, const std::string& type, std::vector<Emit> items,
              std::vector<Emit> args = {}) {
    const Emit cls = VectorClass(abc, type);
    const std::uint32_t push = abc.name("push");
    return [=](AbcCode& c) {
        cls(c);
        for (const Emit& a : args) {
            a(c);
        }
        c.op(0x42).u30(static_cast<std::uint32_t>(args.size()));
        for (const Emit& item : items) {
            c.op(0x2a); // dup
            item(c);
            c.callProperty(0x4f, push, 1);
        }
    };
}

// value[index] = item, leaving value on the stack.
Emit SetIndex(AbcWriter& abc, Emit value, Emit index, Emit item) {
    const std::uint32_t late = abc.multinameL(abc.nsSet({abc.publicNs()}));
    return [=](AbcCode& c) {
        value(c);
        c.op(0x2a);
        index(c);
        item(c);
        c.nameOp(0x61, late);
    };
}

Emit Null() {
    return [](AbcCode& c) { c.op(0x20); };
}

TEST(Avm2Vector, StoresConvertToTheElementType) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {VectorOf(abc, "int", {Double(1.7), Str("3"), Int(-2)}), "1,3,-2"},
        {VectorOf(abc, "uint", {Int(-1)}), "4294967295"},
        {VectorOf(abc, "Number", {}, {Int(2)}), "0,0"},
        {VectorOf(abc, "String", {Int(1), Null(), Str("b")}), "1,,b"},
        {VectorOf(abc, "Boolean", {Str("x"), Int(0)}), "true,false"},
        {SetNamed(abc, VectorOf(abc, "Boolean", {}), "length", Int(2)), ","},
        {VectorOf(abc, "*", {Str("x"), Int(0)}), "x,0"},
        {SetNamed(abc, VectorOf(abc, "int", {Int(7)}), "length", Int(3)), "7,0,0"},
        {SetNamed(abc, VectorOf(abc, "int", {Int(7), Int(8)}), "length", Int(1)), "7"},
        {SetIndex(abc, VectorOf(abc, "int", {Int(1)}), Int(1), Str("12")), "1,12"},
        {SetIndex(abc, VectorOf(abc, "int", {Int(1)}), Int(0), Double(2.9)), "2"},
        {Get(abc, VectorOf(abc, "int", {}, {Int(4), Int(1)}), "fixed"), "true"},
        {VectorClass(abc, "int"), "[class Vector.<int>]"},
        {VectorClass(abc, "*"), "[class Vector.<*>]"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Vector, MethodsKeepTheType) {
    AbcWriter abc;
    const Emit numbers = VectorOf(abc, "int", {Int(10), Int(9), Int(100), Int(1)});
    // Vector.<Number>(array) converts, through the class's call.
    const Emit converted = [cls = VectorClass(abc, "Number")](AbcCode& c) {
        cls(c);
        c.op(0x20);
        c.pushString("2.5");
        c.pushInt(3);
        c.op(0x56).u30(2);
        c.op(0x41).u30(1);
    };
    const std::vector<TraceCase> cases = {
        {Call(abc, numbers, "join", {Str("-")}), "10-9-100-1"},
        {Call(abc, numbers, "sort", {Int(16)}), "1,9,10,100"},
        {Call(abc, numbers, "sort", {Int(16 | 2)}), "100,10,9,1"},
        {Call(abc, numbers, "reverse"), "1,100,9,10"},
        {Call(abc, numbers, "indexOf", {Int(100)}), "2"},
        {Call(abc, numbers, "lastIndexOf", {Int(5)}), "-1"},
        {Call(abc, numbers, "slice", {Int(-2)}), "100,1"},
        {Call(abc, numbers, "splice", {Int(1), Int(2), Str("7")}), "9,100"},
        {Call(abc, numbers, "concat", {VectorOf(abc, "int", {Int(5)})}), "10,9,100,1,5"},
        {Call(abc, numbers, "push", {Str("4"), Int(5)}), "6"},
        {Call(abc, numbers, "pop"), "1"},
        {Call(abc, numbers, "shift"), "10"},
        {Call(abc, numbers, "unshift", {Int(0)}), "5"},
        {Call(abc, numbers, "removeAt", {Int(-1)}), "1"},
        {Call(abc, numbers, "insertAt", {Int(1), Double(3.5)}), "undefined"},
        {Call(abc, VectorOf(abc, "int", {}), "pop"), "0"},
        {Call(abc, VectorOf(abc, "Object", {}), "pop"), "undefined"},
        {converted, "2.5,3"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Vector, RangeAndTypeErrors) {
    const Emit three = [](AbcCode& c) { c.pushInt(3); };
    const std::vector<ErrorCase> cases = {
        {[&](AbcWriter& abc) { return Get(abc, VectorOf(abc, "int", {}, {three}), "3"); },
         "RangeError: Error #1125: The index 3 is out of range 3."},
        {[&](AbcWriter& abc) { return Get(abc, VectorOf(abc, "int", {}, {three}), "-1"); },
         "RangeError: Error #1125: The index -1 is out of range 3."},
        {[&](AbcWriter& abc) {
             return SetIndex(abc, VectorOf(abc, "int", {}, {three}), Int(5), Int(1));
         },
         "RangeError: Error #1125: The index 5 is out of range 3."},
        {[&](AbcWriter& abc) {
             return SetIndex(abc, VectorOf(abc, "int", {}, {three, Int(1)}), Int(3), Int(1));
         },
         "RangeError: Error #1125: The index 3 is out of range 3."},
        {[&](AbcWriter& abc) {
             return Call(abc, VectorOf(abc, "int", {}, {three, Int(1)}), "push");
         },
         "RangeError: Error #1126: Cannot change the length of a fixed Vector."},
        {[&](AbcWriter& abc) {
             return SetNamed(abc, VectorOf(abc, "int", {}, {three, Int(1)}), "length", Int(1));
         },
         "RangeError: Error #1126: Cannot change the length of a fixed Vector."},
        {[&](AbcWriter& abc) { return VectorOf(abc, "Array", {Str("x")}); },
         "TypeError: Error #1034: Type Coercion failed: cannot convert \"x\" to Array."},
        {[&](AbcWriter& abc) {
             return [cls = VectorClass(abc, "int")](AbcCode& c) {
                 cls(c);
                 c.op(0x20);
                 c.pushString("x");
                 c.op(0x41).u30(1);
             };
         },
         "TypeError: Error #1034: Type Coercion failed: cannot convert String to "
         "__AS3__.vec.Vector.<int>."},
        {[&](AbcWriter& abc) { return Get(abc, VectorOf(abc, "int", {}), "extra"); },
         "ReferenceError: Error #1069: Property extra not found on __AS3__.vec.Vector.<int> and "
         "there is no default value."},
    };
    for (const ErrorCase& e : cases) {
        EXPECT_EQ(ErrorOf(e.emit), e.error);
    }
}

} // namespace
} // namespace quillon::test
