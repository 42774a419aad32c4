// The ABC reader on damaged input: every truncation and each kind of bad index fails
// with a clear error, never a crash; and the decoder's checks on method bodies.

#include "player/engine/script/avm2/AbcReader.h"

#include "Avm2TestSupport.h"
#include "player/engine/script/avm2/DoAbcTag.h"

#include <gtest/gtest.h>
#include <random>

namespace quillon::test {
namespace {

// A file that uses every part of the format the writer can make.
std::vector<std::uint8_t> FullFile() {
    AbcWriter abc;
    abc.unsignedInt(4000000000u);
    abc.number(2.5);
    const std::uint32_t set = abc.nsSet({abc.publicNs(), abc.ns(0x05, "p")});
    abc.multinameL(set);
    abc.rtqname("r");
    abc.typeName(abc.qname(abc.ns(0x16, "__AS3__.vec"), "Vector"), {abc.name("int")});
    AbcCode code(abc);
    code.pushThisScope();
    const std::size_t from = code.position();
    code.trace("x");
    const std::size_t to = code.position();
    const auto end = code.label();
    code.branch(0x10, end);
    const std::size_t target = code.position();
    code.op(0x29).place(end).op(0x47);
    const std::uint32_t method =
        abc.method(1, 0x04, {{abc.integer(3), 0x03}}, "f", {abc.name("int")});
    abc.body(method, code, 8, {{from, to, target, abc.name("Error"), abc.name("e")}},
             {{abc.name("local"), 0, 1, abc.name("int"), 0, 0}});
    AbcClassSpec klass;
    klass.name = abc.name("C");
    klass.superName = abc.name("Object");
    klass.protectedNs = abc.ns(0x18, "C");
    klass.iinit = method;
    klass.cinit = method;
    klass.instanceTraits = {{abc.name("v"), 6, 1, abc.name("Number"), abc.number(2.5), 0x06}};
    klass.classTraits = {{abc.name("g"), 2, 0, 0, 0, 0, method}};
    const std::uint32_t cls = abc.addClass(klass);
    abc.script(method, {{abc.name("C"), 4, 1, 0, 0, 0, cls}});
    return abc.bytes();
}

TEST(AbcReader, ReadsTheFullFile) {
    const auto bytes = FullFile();
    const avm2::AbcFile file = avm2::ReadAbc(bytes);
    EXPECT_EQ(file.majorVersion, 46);
    EXPECT_EQ(file.uints.back(), 4000000000u);
    EXPECT_EQ(file.doubles.back(), 2.5);
    ASSERT_EQ(file.instances.size(), 1u);
    EXPECT_EQ(file.instances[0].traits.size(), 1u);
    ASSERT_EQ(file.bodies.size(), 1u);
    EXPECT_EQ(file.bodies[0].exceptions.size(), 1u);
    EXPECT_EQ(file.methods[0].optional.size(), 1u);
    EXPECT_EQ(file.methods[0].body, 0);
}

TEST(AbcReader, EveryTruncationFailsCleanly) {
    const auto bytes = FullFile();
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + length);
        EXPECT_THROW(avm2::ReadAbc(cut), avm2::AbcError);
        // The machine on the same data: a clear error, nothing run.
        const ScriptRun run = RunBytes(cut);
        EXPECT_NE(run.error, "");
    }
}

// Each case damages one field of a minimal file.
// Random damage to a good file: every run ends in a trace, a clear error or cleanly,
// under the sanitizers too.
TEST(AbcReader, RandomDamageEndsCleanly) {
    const auto good = FullFile();
    ASSERT_EQ(RunBytes(good).error, "");
    avm2::Limits limits;
    limits.steps = 20000;
    std::mt19937 random(7);
    int damaged = 0;
    for (int round = 0; round < 2000; ++round) {
        auto bytes = good;
        for (int flips = 1 + round % 4; flips > 0; --flips) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        const ScriptRun run = RunBytes(bytes, limits);
        damaged += run.error.rfind("Damaged ABC data", 0) == 0;
    }
    EXPECT_GT(damaged, 100);
}

struct Damage {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* message;
};

std::vector<std::uint8_t> Header(std::initializer_list<std::uint8_t> pools) {
    std::vector<std::uint8_t> out;
    out.reserve(4 + pools.size());
    for (const std::uint8_t b : {16, 0, 46, 0}) {
        out.push_back(b);
    }
    for (const std::uint8_t b : pools) {
        out.push_back(b);
    }
    return out;
}

TEST(AbcReader, BadIndexesAndKindsAreNamed) {
    const std::vector<Damage> cases = {
        {"namespace kind", Header({0, 0, 0, 1, 2, 0x42, 0}), "unknown namespace kind 66"},
        {"namespace name", Header({0, 0, 0, 1, 2, 0x16, 5}), "namespace name string index 5"},
        {"ns set entry", Header({0, 0, 0, 1, 1, 2, 1, 3}), "namespace index 3"},
        {"multiname kind", Header({0, 0, 0, 1, 1, 1, 2, 0x44}), "unknown multiname kind 68"},
        {"qname string", Header({0, 0, 0, 1, 1, 1, 2, 0x07, 0, 9}), "string index 9"},
        {"huge string", Header({0, 0, 0, 2, 0x7f}), "unexpected end of data"},
        {"huge count", Header({0, 0, 0x80, 0x80, 0x80, 0x01}), "double count 2097152"},
        {"method return", Header({0, 0, 0, 1, 1, 1, 1, 1, 0, 4, 0, 0}),
         "return type multiname index 4"},
        {"body method",
         Header({0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 7, 1, 1, 0, 0, 1, 0x47, 0, 0}),
         "body method index 7"},
        {"script init", Header({0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 3, 0, 0}),
         "script initializer method index 3"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            avm2::ReadAbc(c.bytes);
            ADD_FAILURE() << "no error";
        } catch (const avm2::AbcError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(AbcReader, DoAbcBodies) {
    const std::vector<std::uint8_t> body{1, 0, 0, 0, 'm', 'a', 'i', 'n', 0, 16, 0, 46, 0};
    const avm2::DoAbcBody tag = avm2::ReadDoAbcBody(avm2::kDoAbc2Tag, body);
    EXPECT_TRUE(tag.lazy());
    EXPECT_EQ(tag.name, "main");
    EXPECT_EQ(tag.abc.size(), 4u);
    EXPECT_EQ(avm2::ReadDoAbcBody(avm2::kDoAbcTag, body).abc.size(), body.size());
    EXPECT_THROW(avm2::ReadDoAbcBody(avm2::kDoAbc2Tag, std::vector<std::uint8_t>{1, 0}),
                 avm2::AbcError);
    EXPECT_THROW(avm2::ReadDoAbcBody(avm2::kDoAbc2Tag, std::vector<std::uint8_t>{0, 0, 0, 0, 'x'}),
                 avm2::AbcError);
}

// A body the decoder refuses is a VerifyError when called, which a script may catch.
TEST(AbcReader, BadCodeIsAVerifyErrorAtTheCall) {
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> cases = {
        {"branch into an operand", {0x10, 0x01, 0x00, 0x00, 0x24, 0x05, 0x47}},
        {"branch past the end", {0x10, 0x10, 0x00, 0x00, 0x47}},
        {"branch before the start", {0x10, 0xf0, 0xff, 0xff, 0x47}},
        {"unknown opcode", {0xff}},
        {"register out of range", {0x62, 0x40, 0x47}},
        {"cut operand", {0x24}},
        {"switch count beyond code", {0x1b, 0, 0, 0, 0x7f}},
        {"falls off the end", {0x02}},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        AbcWriter abc;
        AbcCode bad(abc);
        for (std::uint8_t b : bytes) {
            bad.u8(b);
        }
        const std::uint32_t badMethod = AddMethod(abc, bad);
        AbcCode main(abc);
        main.op(0x40).u30(badMethod).op(0x20).op(0x41).u30(0).op(0x47);
        const ScriptRun run = RunMain(abc, main);
        EXPECT_EQ(run.error.rfind("VerifyError: Error #", 0), 0u) << run.error;
    }
}

} // namespace
} // namespace quillon::test
