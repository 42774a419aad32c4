// Closures, activations, exceptions, enumeration, switches, domain memory and the
// limits that stop a hostile script.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

TEST(Avm2Control, ClosuresKeepTheirActivation) {
    AbcWriter abc;
    const std::uint32_t n = abc.name("n");
    // function inc() { n = n + 1; return n; }
    AbcCode inc(abc);
    inc.nameOp(0x5e, n).nameOp(0x60, n).op(0x91).nameOp(0x61, n).nameOp(0x60, n).op(0x48);
    const std::uint32_t incMethod = AddMethod(abc, inc);
    // function makeCounter() { var n = 0; return inc; }  (n lives in the activation)
    AbcCode make(abc);
    make.pushThisScope().op(0x57).op(0x2a).setLocal(1).op(0x30);
    make.op(0x65).u8(1).pushInt(0).op(0x6d).u30(1);
    make.op(0x40).u30(incMethod).op(0x48);
    AbcTraitSpec slot{n, 0, 1};
    const std::uint32_t makeMethod = AddMethod(abc, make, 0, 0x02, {}, {slot});
    AbcCode main(abc);
    main.pushThisScope();
    main.op(0x40).u30(makeMethod).op(0x20).op(0x41).u30(0).setLocal(1); // a = makeCounter()
    main.op(0x40).u30(makeMethod).op(0x20).op(0x41).u30(0).setLocal(2); // b = makeCounter()
    for (int reg : {1, 1, 2, 1}) {
        main.getLocal(reg).op(0x20).op(0x41).u30(0).traceTop();
    }
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"1", "2", "1", "3"}));
}

// An activation is sealed and has no prototype: reading a name it lacks, or adding one, is
// a ReferenceError, while its own variables stay writable.
TEST(Avm2Control, AnActivationIsSealed) {
    AbcWriter abc;
    const std::uint32_t n = abc.name("n");
    // function scope() { var n; return <this call's activation>; }
    AbcCode make(abc);
    make.op(0x57).op(0x48);
    const std::uint32_t makeMethod = AddMethod(abc, make, 0, 0x02, {}, {AbcTraitSpec{n, 0, 1}});
    const auto run = [&](const std::function<void(AbcCode&)>& use) {
        AbcCode main(abc);
        main.pushThisScope().op(0x40).u30(makeMethod).op(0x20).op(0x41).u30(0).setLocal(1);
        use(main);
        main.op(0x47);
        return RunMain(abc, main);
    };
    const ScriptRun own = run([&](AbcCode& c) {
        c.getLocal(1).pushInt(4).nameOp(0x61, n);
        c.getLocal(1).nameOp(0x66, n).traceTop();
    });
    EXPECT_EQ(own.error, "");
    EXPECT_EQ(own.lines, (Lines{"4"}));
    EXPECT_NE(run([&](AbcCode& c) {
                  c.getLocal(1).nameOp(0x66, abc.name("other")).traceTop();
              }).error.find("Error #1069"),
              std::string::npos);
    EXPECT_NE(run([&](AbcCode& c) {
                  c.getLocal(1).pushInt(1).nameOp(0x61, abc.name("other"));
              }).error.find("Error #1056"),
              std::string::npos);
}

TEST(Avm2Control, ExceptionsCrossCallsToTheirHandler) {
    AbcWriter abc;
    const std::uint32_t typeError = abc.name("TypeError");
    // function thrower() { throw new TypeError("bad input"); }
    AbcCode thrower(abc);
    thrower.nameOp(0x5d, typeError)
        .pushString("bad input")
        .callProperty(0x4a, typeError, 1)
        .op(0x03);
    const std::uint32_t throwerMethod = AddMethod(abc, thrower);
    // try { thrower(); } catch (e:TypeError) { trace(e.message) }
    // try { null.x } catch (e:Error) { trace(e) }
    AbcCode main(abc);
    main.pushThisScope();
    const std::size_t from1 = main.position();
    main.op(0x40).u30(throwerMethod).op(0x20).op(0x41).u30(0).op(0x29);
    const std::size_t to1 = main.position();
    const auto after1 = main.label();
    main.branch(0x10, after1);
    const std::size_t target1 = main.position();
    main.pushThisScope().nameOp(0x66, abc.name("message")).traceTop();
    main.place(after1);
    main.trace("between");
    const std::size_t from2 = main.position();
    main.op(0x20).nameOp(0x66, abc.name("x")).op(0x29);
    const std::size_t to2 = main.position();
    const auto after2 = main.label();
    main.branch(0x10, after2);
    const std::size_t target2 = main.position();
    main.pushThisScope().traceTop();
    main.place(after2);
    main.op(0x47);
    const ScriptRun run =
        RunMain(abc, main, {},
                {{from1, to1, target1, typeError, 0}, {from2, to2, target2, abc.name("Error"), 0}});
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines,
              (Lines{"bad input", "between",
                     "TypeError: Error #1009: Cannot access a property or method of a null object "
                     "reference."}));
}

TEST(Avm2Control, AnUncaughtErrorEndsTheRunWithItsText) {
    AbcWriter abc;
    AbcCode main(abc);
    main.pushThisScope().trace("before").nameOp(0x60, abc.name("missing")).op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.lines, (Lines{"before"}));
    EXPECT_EQ(run.error, "ReferenceError: Error #1065: Variable missing is not defined.");
}

TEST(Avm2Control, EnumerationFollowsInsertionOrder) {
    AbcWriter abc;
    AbcCode main(abc);
    main.pushThisScope();
    main.pushString("a").pushInt(1).pushString("b").pushInt(2).pushString("c").pushInt(3);
    main.op(0x55).u30(3).setLocal(1);                        // {a:1, b:2, c:3}
    main.getLocal(1).pushInt(4).nameOp(0x61, abc.name("d")); // o.d = 4
    main.getLocal(1).nameOp(0x6a, abc.name("b")).op(0x29);   // delete o.b
    // for (k in o) trace(k, o[k])
    main.pushInt(0).setLocal(2);
    const auto test = main.label(), body = main.label();
    main.branch(0x10, test);
    main.place(body).op(0x09);
    main.getLocal(1).getLocal(2).op(0x1e).traceTop();
    main.getLocal(1).getLocal(2).op(0x23).traceTop();
    main.place(test).op(0x32).u30(1).u30(2).branch(0x11, body);
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"a", "1", "c", "3", "d", "4"}));
}

TEST(Avm2Control, LookupSwitchPicksCasesAndDefault) {
    AbcWriter abc;
    AbcCode main(abc);
    main.pushThisScope();
    for (int value : {0, 2, 7, -1}) {
        const auto c0 = main.label(), c1 = main.label(), c2 = main.label(), def = main.label(),
                   end = main.label();
        main.pushInt(value).lookupSwitch(def, {c0, c1, c2});
        main.place(c0).trace("zero").branch(0x10, end);
        main.place(c1).trace("one").branch(0x10, end);
        main.place(c2).trace("two").branch(0x10, end);
        main.place(def).trace("other");
        main.place(end);
    }
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"zero", "two", "other", "other"}));
}

TEST(Avm2Control, AnEndlessLoopMeetsTheStepBudget) {
    AbcWriter abc;
    AbcCode main(abc);
    const auto loop = main.label();
    main.place(loop).op(0x09).branch(0x10, loop);
    avm2::Limits limits;
    limits.steps = 100000;
    const ScriptRun run = RunMain(abc, main, limits);
    EXPECT_NE(run.error.find("step budget"), std::string::npos) << run.error;
}

TEST(Avm2Control, EndlessRecursionIsAStackOverflowError) {
    AbcWriter abc;
    const std::uint32_t f = abc.name("f");
    AbcCode body(abc);
    body.pushThisScope().nameOp(0x5d, f).callProperty(0x4f, f, 0).op(0x47);
    const std::uint32_t method = AddMethod(abc, body);
    AbcCode main(abc);
    main.pushThisScope().nameOp(0x5d, f).callProperty(0x4f, f, 0).op(0x47);
    AbcTraitSpec trait{f, 1, 0, 0, 0, 0, method};
    const ScriptRun run = RunMain(abc, main, {}, {}, {trait});
    EXPECT_EQ(run.error, "Error: Error #1023: Stack overflow occurred.");
}

TEST(Avm2Control, OptionalAndRestParameters) {
    AbcWriter abc;
    // function f(a, b = 5, ...rest) { trace(a + b); trace(rest.length) }
    AbcCode body(abc);
    body.pushThisScope().getLocal(1).getLocal(2).op(0xa0).traceTop();
    body.getLocal(3).nameOp(0x66, abc.name("length")).traceTop().op(0x47);
    const std::uint32_t method = abc.method(2, 0x04, {{abc.integer(5), 0x03}});
    abc.body(method, body);
    AbcCode main(abc);
    main.pushThisScope();
    main.op(0x40).u30(method).setLocal(1);
    main.getLocal(1).op(0x20).pushInt(1).op(0x41).u30(1);
    main.getLocal(1).op(0x20).pushInt(1).pushInt(2).pushInt(3).pushInt(4).op(0x41).u30(4);
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"6", "0", "3", "2"}));
}

// A free function is called as ES3 code calls its helpers: missing arguments are
// undefined and extra ones are dropped (class methods check, see ClassTest).
TEST(Avm2Control, FreeFunctionsTakeAnyArgumentCount) {
    AbcWriter abc;
    AbcCode body(abc);
    body.getLocal(2).op(0x48);
    const std::uint32_t method = abc.method(2, 0, {}, "needsTwo");
    abc.body(method, body);
    AbcCode main(abc);
    main.pushThisScope();
    main.op(0x40).u30(method).op(0x20).pushInt(1).op(0x41).u30(1).traceTop();
    main.op(0x40).u30(method).op(0x20).pushInt(1).pushInt(2).pushInt(3).op(0x41).u30(3).traceTop();
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (std::vector<std::string>{"undefined", "2"}));
}

TEST(Avm2Control, DomainMemoryLoadsStoresAndChecksRange) {
    AbcWriter abc;
    const std::uint32_t domainNs = abc.ns(0x16, "flash.system");
    const std::uint32_t utilsNs = abc.ns(0x16, "flash.utils");
    AbcCode main(abc);
    main.pushThisScope();
    main.nameOp(0x5d, abc.qname(utilsNs, "ByteArray"))
        .callProperty(0x4a, abc.qname(utilsNs, "ByteArray"), 0);
    main.op(0x2a).pushInt(16).nameOp(0x61, abc.name("length")).setLocal(1);
    main.nameOp(0x60, abc.qname(domainNs, "ApplicationDomain"))
        .nameOp(0x66, abc.name("currentDomain"));
    main.getLocal(1).nameOp(0x61, abc.name("domainMemory"));
    main.pushInt(-2).pushInt(4).op(0x3c);         // si32(-2, 4)
    main.pushInt(4).op(0x37).traceTop();          // li32(4)
    main.pushInt(4).op(0x35).traceTop();          // li8(4): 0xfe
    main.pushInt(4).op(0x35).op(0x51).traceTop(); // sxi8
    main.pushDouble(1.5).pushInt(8).op(0x3e);     // sf64(1.5, 8)
    main.pushInt(8).op(0x39).traceTop();
    main.pushInt(1).op(0x50).traceTop();  // sxi1(1) = -1
    main.pushInt(13).op(0x37).traceTop(); // out of range
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.lines, (Lines{"-2", "254", "-2", "1.5", "-1"}));
    EXPECT_EQ(run.error, "RangeError: Error #1506: The specified range is invalid.");
}

// The fused loop instructions give the same answers as the plain ones, on ints, on
// other values (the slow path) and when a branch lands inside a fusable run.
TEST(Avm2Control, FusedLoopsMatchThePlainInstructions) {
    AbcWriter abc;
    AbcCode main(abc);
    main.pushThisScope();
    // i:int = 2147483646; i++ twice wraps.
    main.pushInt(2147483646).setLocal(1);
    for (int k = 0; k < 2; ++k) {
        main.getLocal(1).op(0xc0).setLocal(1);
    }
    main.getLocal(1).traceTop();
    // x = 0.5; while (x < 3) x = x + 1  (a Number: the slow path)
    main.pushDouble(0.5).setLocal(2);
    const auto body = main.label(), test = main.label();
    main.branch(0x10, test);
    main.place(body).getLocal(2).op(0xc0).setLocal(2);
    main.place(test).getLocal(2).pushInt(3).branch(0x15, body);
    main.getLocal(2).traceTop();
    // A jump into the middle of "getlocal; pushint; ifge".
    main.pushInt(7).setLocal(3);
    const auto middle = main.label(), done = main.label();
    main.pushInt(1).pushInt(1).branch(0x11, middle);
    main.getLocal(3);
    main.place(middle).pushInt(5).branch(0x18, done); // ifge: 1 >= 5 is false
    main.trace("not taken");
    main.place(done).op(0x47);
    const ScriptRun run = RunMain(abc, main);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"-2147483648", "3", "not taken"}));
}

TEST(Avm2Control, WithScopesAndCatchScopes) {
    AbcWriter abc;
    const std::uint32_t x = abc.name("x"), e = abc.name("e");
    AbcCode main(abc);
    main.pushThisScope();
    main.pushString("x").pushInt(5).op(0x55).u30(1).op(0x1c); // with ({x: 5})
    main.nameOp(0x60, x).traceTop();
    main.nameOp(0x5e, x).pushInt(6).nameOp(0x61, x); // x = 6 inside with
    main.nameOp(0x60, x).traceTop();
    main.op(0x1d);
    // try { throw "oops" } catch (e) { trace(e) } with e in a catch scope
    const std::size_t from = main.position();
    main.pushString("oops").op(0x03);
    const std::size_t to = main.position();
    const std::size_t target = main.position();
    main.pushThisScope().op(0x5a).u30(0).op(0x2a).setLocal(1).op(0x2a).op(0x30);
    main.op(0x2b).op(0x6d).u30(1); // catch scope slot 1 = error
    main.nameOp(0x60, e).traceTop();
    main.op(0x1d).op(0x47);
    const ScriptRun run = RunMain(abc, main, {}, {{from, to, target, 0, e}});
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"5", "6", "oops"}));
}

} // namespace
} // namespace quillon::test
