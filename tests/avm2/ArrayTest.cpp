// Arrays with holes, sortOn and the sort flags, insertAt, removeAt and toLocaleString,
// and Math's argument counts.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// { name: value, ... } built with newobject.
Emit ObjectOf(std::vector<std::pair<std::string, Emit>> fields) {
    return [=](AbcCode& c) {
        for (const auto& [name, value] : fields) {
            Str(name)(c);
            value(c);
        }
        c.op(0x55).u30(static_cast<std::uint32_t>(fields.size()));
    };
}
const Emit kUndefined = [](AbcCode& c) { c.op(0x21); };
// first's value is dropped, then second's is left.
Emit Seq(Emit first, Emit second) {
    return [=](AbcCode& c) {
        first(c);
        c.op(0x29);
        second(c);
    };
}

TEST(Avm2Array, HolesReadThroughThePrototypeAndAreSkipped) {
    AbcWriter abc;
    // new Array(5) with a[1] = "a", a[2] = "b"
    const Emit sparse =
        SetNamed(abc, SetNamed(abc, New(abc, "Array", {Int(5)}), "1", Str("a")), "2", Str("b"));
    const Emit proto = Get(abc, Lex(abc, "Array"), "prototype");
    const std::vector<TraceCase> cases = {
        {sparse, ",a,b,,"},
        {Call(abc, sparse, "hasOwnProperty", {Int(0)}), "false"},
        {Call(abc, sparse, "hasOwnProperty", {Int(1)}), "true"},
        // pop takes the last element held and shortens by one, trailing holes staying.
        {Call(abc, sparse, "pop"), "b"},
        {Get(abc, Then(sparse, 0x2a), "length"), "5"},
        {Call(abc, sparse, "reverse"), "b,a,,,"},
        {Call(abc, sparse, "indexOf", {kUndefined}), "0"},
        {Seq(SetNamed(abc, proto, "3", Str("p")), Get(abc, sparse, "3")), "p"},
        {Seq(SetNamed(abc, proto, "3", Str("p")), Call(abc, sparse, "slice")), ",a,b,p,"},
        {Seq(SetNamed(abc, proto, "3", Str("p")), Call(abc, sparse, "join", {Str("-")})),
         "-a-b-p-"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Array, SortFlagsAndSortOn) {
    AbcWriter abc;
    const Emit mixed = ArrayOf({Int(3), kUndefined, Str("b"), Int(10), Str("A")});
    const Emit records = ArrayOf(
        {ObjectOf({{"n", Int(10)}, {"s", Str("b")}}), ObjectOf({{"n", Int(9)}, {"s", Str("a")}}),
         ObjectOf({{"n", Int(10)}, {"s", Str("a")}}), ObjectOf({{"s", Str("c")}})});
    const std::vector<TraceCase> cases = {
        {Call(abc, mixed, "sort"), "10,3,A,b,"},
        {Call(abc, mixed, "sort", {Int(2)}), "b,A,3,10,"},
        {Call(abc, mixed, "sort", {Int(1 | 2)}), "b,A,3,10,"},
        {Call(abc, ArrayOf({Int(2), Int(1), Int(2)}), "sort", {Int(4)}), "0"},
        {Call(abc, records, "sortOn", {Str("n"), Int(16 | 8)}), "1,0,2,3"},
        {Call(abc, records, "sortOn", {Str("n"), Int(16 | 8 | 2)}), "2,0,1,3"},
        // One flags value applies to every field: "s" compares as numbers too (NaN).
        {Call(abc, records, "sortOn", {ArrayOf({Str("n"), Str("s")}), Int(16 | 8)}), "1,0,2,3"},
        {Call(abc, records, "sortOn", {ArrayOf({Str("n"), Str("s")}), ArrayOf({Int(24), Int(0)})}),
         "1,2,0,3"},
        {Call(abc, records, "sortOn", {ArrayOf({Str("s"), Str("n")}), ArrayOf({Int(8), Int(16)})}),
         "1,2,0,3"},
        {Call(abc, records, "sortOn", {Str("n"), Int(4 | 16)}), "0"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Array, InsertAtAndRemoveAt) {
    AbcWriter abc;
    const Emit abc3 = ArrayOf({Str("a"), Str("b"), Str("c")});
    const std::vector<TraceCase> cases = {
        {Then(Call(abc, Then(abc3, 0x2a), "insertAt", {Int(1), Str("x")}), 0x29), "a,x,b,c"},
        {Then(Call(abc, Then(abc3, 0x2a), "insertAt", {Int(-1), Str("x")}), 0x29), "a,b,x,c"},
        {Call(abc, abc3, "removeAt", {Int(-1)}), "c"},
        {Then(Call(abc, Then(abc3, 0x2a), "removeAt", {Int(0)}), 0x29), "b,c"},
        {Call(abc, abc3, "splice"), "undefined"},
        // each item is asked for its own toLocaleString: a string has only Object's
        {Call(abc, ArrayOf({Str("a"), kUndefined, Int(2), ArrayOf({Str("b")})}), "toLocaleString"),
         "[object String],,2,[object String]"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Array, MathChecksItsArgumentCount) {
    AbcWriter abc;
    const Emit math = Lex(abc, "Math"), number = Lex(abc, "Number");
    const std::vector<TraceCase> cases = {
        {Call(abc, math, "max"), "-Infinity"},
        {Call(abc, math, "round", {Double(-0.4)}), "0"},
        {Call(abc, number, "round", {Double(2.5)}), "3"},
    };
    ExpectTraces(abc, cases);
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Call(a, Lex(a, "Math"), "abs"); }),
              "ArgumentError: Error #1063: Argument count mismatch on Math$. Expected 1, got 0.");
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Call(a, Lex(a, "Math"), "random", {Int(1)}); }),
              "ArgumentError: Error #1063: Argument count mismatch on Math$. Expected 0, got 1.");
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Call(a, Lex(a, "Math"), "pow", {Int(1)}); }),
              "ArgumentError: Error #1063: Argument count mismatch on Math$. Expected 2, got 1.");
}

} // namespace
} // namespace quillon::test
