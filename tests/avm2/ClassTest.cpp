// Classes: inheritance, overriding, super, accessors, statics, interfaces and
// namespaces.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

std::uint32_t ReturnString(AbcWriter& abc, const std::string& text) {
    AbcCode code(abc);
    code.pushString(text).op(0x48);
    return AddMethod(abc, code);
}

std::uint32_t Empty(AbcWriter& abc) {
    AbcCode code(abc);
    code.op(0x47);
    return AddMethod(abc, code);
}

// class Base { function who() { return "base" } function hello() { trace("hello from " + who()) }
//              function get size() { return 3 } }
// class Derived extends Base { override function who() { return "derived" }
//                              function superWho() { return super.who() } }
struct Hierarchy {
    explicit Hierarchy(AbcWriter& abc) {
        base = abc.name("Base");
        derived = abc.name("Derived");
        who = abc.name("who");
        AbcCode hello(abc);
        hello.pushThisScope().nameOp(0x5d, abc.name("trace")).pushString("hello from ");
        hello.getLocal(0)
            .callProperty(0x46, who, 0)
            .op(0xa0)
            .callProperty(0x4f, abc.name("trace"), 1)
            .op(0x47);
        AbcCode size(abc);
        size.pushInt(3).op(0x48);
        AbcCode baseInit(abc);
        baseInit.getLocal(0).op(0x49).u30(0).op(0x47);
        AbcClassSpec baseSpec;
        baseSpec.name = base;
        baseSpec.superName = abc.name("Object");
        baseSpec.iinit = AddMethod(abc, baseInit);
        baseSpec.cinit = Empty(abc);
        baseSpec.instanceTraits = {{who, 1, 0, 0, 0, 0, ReturnString(abc, "base")},
                                   {abc.name("hello"), 1, 0, 0, 0, 0, AddMethod(abc, hello)},
                                   {abc.name("size"), 2, 0, 0, 0, 0, AddMethod(abc, size)}};
        baseIndex = abc.addClass(baseSpec);
        AbcCode superWho(abc);
        superWho.getLocal(0).callProperty(0x45, who, 0).op(0x48);
        AbcCode derivedInit(abc);
        derivedInit.getLocal(0).op(0x49).u30(0).op(0x47);
        AbcClassSpec derivedSpec;
        derivedSpec.name = derived;
        derivedSpec.superName = base;
        derivedSpec.iinit = AddMethod(abc, derivedInit);
        derivedSpec.cinit = Empty(abc);
        derivedSpec.instanceTraits = {
            {who, 1, 0, 0, 0, 0, ReturnString(abc, "derived"), 0x2},
            {abc.name("superWho"), 1, 0, 0, 0, 0, AddMethod(abc, superWho)}};
        derivedIndex = abc.addClass(derivedSpec);
    }
    // Defines both classes on the global object, as compiled script initialisers do.
    void define(AbcCode& code, AbcWriter& abc) const {
        code.op(0x65)
            .u8(0)
            .nameOp(0x60, abc.name("Object"))
            .op(0x58)
            .u30(baseIndex)
            .nameOp(0x68, base);
        code.op(0x65).u8(0).nameOp(0x60, base).op(0x58).u30(derivedIndex).nameOp(0x68, derived);
    }
    std::vector<AbcTraitSpec> traits() const {
        return {{base, 4, 1, 0, 0, 0, baseIndex}, {derived, 4, 2, 0, 0, 0, derivedIndex}};
    }
    std::uint32_t base, derived, who, baseIndex, derivedIndex;
};

TEST(Avm2Class, OverridingSuperAndTypeTests) {
    AbcWriter abc;
    const Hierarchy h(abc);
    AbcCode main(abc);
    main.pushThisScope();
    h.define(main, abc);
    main.nameOp(0x5d, h.derived).callProperty(0x4a, h.derived, 0).setLocal(1);
    main.getLocal(1).callProperty(0x4f, abc.name("hello"), 0);
    main.getLocal(1).callProperty(0x46, abc.name("superWho"), 0).traceTop();
    main.getLocal(1).nameOp(0x66, abc.name("size")).traceTop();
    main.getLocal(1).nameOp(0xb2, h.base).traceTop();             // is Base
    main.getLocal(1).nameOp(0x60, h.derived).op(0xb1).traceTop(); // instanceof Derived
    main.nameOp(0x5d, h.base).callProperty(0x4a, h.base, 0).nameOp(0xb2, h.derived).traceTop();
    main.getLocal(1).nameOp(0x66, abc.name("who")).op(0x20).op(0x41).u30(0).traceTop(); // bound
    main.getLocal(1).op(0x70).traceTop();
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main, {}, {}, h.traits());
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"hello from derived", "base", "3", "true", "true", "false",
                                "derived", "[object Derived]"}));
    // Unlike free functions, methods check their argument count.
    AbcCode extra(abc);
    extra.pushThisScope();
    h.define(extra, abc);
    extra.nameOp(0x5d, h.derived).callProperty(0x4a, h.derived, 0);
    extra.pushInt(1).callProperty(0x46, h.who, 1).traceTop().op(0x47);
    const std::string error = RunMain(abc, extra, {}, {}, h.traits()).error;
    EXPECT_NE(error.find("ArgumentError: Error #1063: Argument count mismatch on "),
              std::string::npos);
    EXPECT_NE(error.find(". Expected 0, got 1."), std::string::npos);
}

TEST(Avm2Class, SealedInstancesRefuseNewProperties) {
    AbcWriter abc;
    const Hierarchy h(abc);
    AbcCode main(abc);
    main.pushThisScope();
    h.define(main, abc);
    main.nameOp(0x5d, h.base)
        .callProperty(0x4a, h.base, 0)
        .pushInt(1)
        .nameOp(0x61, abc.name("extra"));
    main.op(0x47);
    const ScriptRun run = RunMain(abc, main, {}, {}, h.traits());
    EXPECT_EQ(run.error, "ReferenceError: Error #1056: Cannot create property extra on Base.");
}

TEST(Avm2Class, NamespacesKeepEqualNamesApart) {
    AbcWriter abc;
    const std::uint32_t custom = abc.ns(0x08, "http://example.org/mine");
    const std::uint32_t priv = abc.ns(0x05, "");
    const std::uint32_t publicX = abc.name("x"), customX = abc.qname(custom, "x"),
                        privateX = abc.qname(priv, "x");
    AbcCode main(abc);
    main.pushThisScope();
    main.op(0x65).u8(0).pushString("public").nameOp(0x68, publicX);
    main.op(0x65).u8(0).pushString("custom").nameOp(0x68, customX);
    main.op(0x65).u8(0).pushString("private").nameOp(0x68, privateX);
    main.nameOp(0x60, publicX).traceTop();
    main.nameOp(0x60, customX).traceTop();
    main.nameOp(0x60, privateX).traceTop();
    main.nameOp(0x60, abc.multiname("x", abc.nsSet({custom, priv}))).traceTop();
    main.op(0x65).u8(0).op(0x31).u30(custom).nameOp(0x66, abc.rtqname("x")).traceTop();
    main.op(0x47);
    const ScriptRun run =
        RunMain(abc, main, {}, {}, {{publicX, 0, 1}, {customX, 0, 2}, {privateX, 0, 3}});
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"public", "custom", "private", "custom", "custom"}));
}

TEST(Avm2Class, StaticsAndInterfaces) {
    AbcWriter abc;
    const std::uint32_t shape = abc.name("IShape"), square = abc.name("Square");
    const std::uint32_t count = abc.name("count");
    AbcClassSpec iface;
    iface.name = shape;
    iface.flags = 0x04;
    iface.iinit = Empty(abc);
    iface.cinit = Empty(abc);
    const std::uint32_t ifaceIndex = abc.addClass(iface);
    // class Square implements IShape { static var count = 7 }
    AbcCode init(abc);
    init.getLocal(0).op(0x49).u30(0).op(0x47);
    AbcClassSpec klass;
    klass.name = square;
    klass.superName = abc.name("Object");
    klass.interfaces = {shape};
    klass.iinit = AddMethod(abc, init);
    klass.cinit = Empty(abc);
    klass.classTraits = {{count, 0, 0, abc.name("int"), abc.integer(7), 0x03}};
    const std::uint32_t squareIndex = abc.addClass(klass);
    AbcCode main(abc);
    main.pushThisScope();
    main.op(0x65).u8(0).op(0x20).op(0x58).u30(ifaceIndex).nameOp(0x68, shape);
    main.op(0x65)
        .u8(0)
        .nameOp(0x60, abc.name("Object"))
        .op(0x58)
        .u30(squareIndex)
        .nameOp(0x68, square);
    main.nameOp(0x60, square).nameOp(0x66, count).traceTop();
    main.nameOp(0x60, square).pushDouble(2.75).nameOp(0x61, count); // an int slot truncates
    main.nameOp(0x60, square).nameOp(0x66, count).traceTop();
    main.nameOp(0x5d, square).callProperty(0x4a, square, 0).nameOp(0xb2, shape).traceTop();
    main.nameOp(0x5d, square).callProperty(0x4a, square, 0).nameOp(0x86, shape).op(0x95).traceTop();
    main.nameOp(0x60, square).op(0x70).traceTop();
    main.op(0x47);
    const ScriptRun run =
        RunMain(abc, main, {}, {},
                {{shape, 4, 1, 0, 0, 0, ifaceIndex}, {square, 4, 2, 0, 0, 0, squareIndex}});
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (Lines{"7", "2", "true", "object", "[class Square]"}));
}

} // namespace
} // namespace quillon::test
