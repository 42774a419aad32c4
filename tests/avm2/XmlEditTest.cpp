// The XML methods that rename, reorder and tidy nodes, and E4X calls that fall through
// to a list's one item or to simple content's text.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// Runs steps on the XML of markup kept in register 1, tracing what each leaves.
std::vector<std::string> OnDocument(const std::string& markup,
                                    const std::function<std::vector<Emit>(AbcWriter&)>& steps) {
    AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope();
    New(abc, "XML", {Str(markup)})(code);
    code.setLocal(1);
    for (const Emit& step : steps(abc)) {
        step(code);
        code.traceTop();
    }
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    EXPECT_EQ(run.error, "");
    return run.lines;
}

const Emit kDoc = [](AbcCode& c) { c.getLocal(1); };

TEST(Avm2XmlEdit, ChildIndexAndDelegatedCalls) {
    const auto lines = OnDocument("<a><b>1</b><c><d/></c><e>x</e></a>", [](AbcWriter& abc) {
        return std::vector<Emit>{
            Call(abc, kDoc, "childIndex"),
            Call(abc, Get(abc, kDoc, "c"), "childIndex"),                // a list of one
            Call(abc, Get(abc, Get(abc, kDoc, "c"), "d"), "childIndex"), // nested
            Call(abc, Get(abc, kDoc, "e"), "toUpperCase"),               // simple content
        };
    });
    const std::vector<std::string> expected = {"-1", "1", "0", "X"};
    EXPECT_EQ(lines, expected);
}

TEST(Avm2XmlEdit, RenameAndInsert) {
    const auto lines = OnDocument("<a><b/><c/></a>", [](AbcWriter& abc) {
        const Emit b = Get(abc, kDoc, "b");
        const Emit c = Get(abc, kDoc, "c");
        return std::vector<Emit>{
            Call(abc, b, "setName", {Str("x")}),
            Call(abc, Get(abc, kDoc, "x"), "setLocalName", {Str("y")}),
            Call(abc, kDoc, "toXMLString"),
            Call(abc, kDoc, "insertChildAfter",
                 {Get(abc, kDoc, "y"), New(abc, "XML", {Str("<m/>")})}),
            Call(abc, kDoc, "insertChildBefore", {c, New(abc, "XML", {Str("<n/>")})}),
            Call(abc, kDoc, "insertChildBefore",
                 {[](AbcCode& code) { code.op(0x20); }, New(abc, "XML", {Str("<z/>")})}),
            Call(abc, kDoc, "toXMLString"),
        };
    });
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "undefined");
    EXPECT_EQ(lines[2], "<a>\n  <y/>\n  <c/>\n</a>");
    EXPECT_EQ(lines[6], "<a>\n  <y/>\n  <m/>\n  <n/>\n  <c/>\n  <z/>\n</a>");
}

TEST(Avm2XmlEdit, NormalizeJoinsTextAndDropsEmptyText) {
    const auto lines = OnDocument("<a><b>x</b></a>", [](AbcWriter& abc) {
        const Emit b = Get(abc, kDoc, "b");
        return std::vector<Emit>{
            Call(abc, b, "appendChild", {Str("y")}),
            Call(abc, Call(abc, b, "children"), "length"),
            Call(abc, Get(abc, Call(abc, kDoc, "normalize"), "b"), "toString"),
            Call(abc, Call(abc, b, "children"), "length"),
        };
    });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "2");
    EXPECT_EQ(lines[2], "xy");
    EXPECT_EQ(lines[3], "1");
}

} // namespace
} // namespace quillon::test
