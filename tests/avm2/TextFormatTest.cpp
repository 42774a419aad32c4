// flash.text.TextFormat's typed properties: what each kind of part keeps of the value a
// script gives it, and how a field's own format reads back through them; and the
// smoothing settings of a TextField.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

constexpr std::uint8_t GetProperty = 0x66, SetProperty = 0x61, FindPropStrict = 0x5d,
                       ConstructProp = 0x4a, PushNull = 0x20, CallPropVoid = 0x4f;

std::uint32_t TextName(Names& n, const std::string& name) {
    return n.abc.qname(n.abc.ns(0x16, "flash.text"), name);
}

// new <flash.text.name>() into a local.
void Make(AbcCode& code, Names& n, const std::string& name, std::uint32_t local) {
    const std::uint32_t cls = TextName(n, name);
    code.nameOp(FindPropStrict, cls).op(ConstructProp).u30(cls).u30(0).setLocal(local);
}

struct PartCase {
    std::string part;
    std::function<void(AbcCode&)> push; // the value the script sets
    std::string expected;               // the part read back
};

TEST(Avm2TextFormat, EachPartKeepsTheValueOfItsType) {
    const auto number = [](double d) { return [d](AbcCode& c) { c.pushDouble(d); }; };
    const auto text = [](std::string s) { return [s](AbcCode& c) { c.pushString(s); }; };
    const auto null = [](AbcCode& c) { c.op(PushNull); };
    const std::string longName(70, 'f');
    const std::vector<PartCase> cases = {
        // pixel parts round halves to even, and read what an int cannot hold as its lowest
        {"size", number(2.5), "2"},
        {"size", number(3.5), "4"},
        {"leftMargin", number(-2.5), "-2"},
        {"indent", number(4294967295.0), "-2147483648"},
        {"leading", number(NAN), "-2147483648"},
        // colours wrap round as ints, fractions cut
        {"color", number(4294967295.0), "-1"},
        {"color", number(-3.5), "-3"},
        {"letterSpacing", number(-2.5), "-2.5"},
        {"bold", text("no"), "true"},
        {"kerning", number(0), "false"},
        {"size", null, "null"},
        {"font", text(longName), std::string(64, 'f')},
        {"url", text(longName), longName},
        {"align", text("center"), "center"},
        {"align", text("middle"), "null"},
        {"display", text("inline"), "inline"},
        {"display", text("sideways"), "null"},
    };
    std::vector<std::string> expected;
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([&](AbcCode& code, Names& n) {
        for (const PartCase& c : cases) {
            Make(code, n, "TextFormat", 1);
            code.getLocal(1);
            c.push(code);
            code.nameOp(SetProperty, n(c.part));
            code.getLocal(1).nameOp(GetProperty, n(c.part)).traceTop();
            expected.push_back(c.expected);
        }
        // unset parts read null, display reads block
        Make(code, n, "TextFormat", 1);
        code.getLocal(1).nameOp(GetProperty, n("tabStops")).traceTop();
        code.getLocal(1).nameOp(GetProperty, n("display")).traceTop();
        expected.push_back("null");
        expected.push_back("block");
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, expected);
}

TEST(Avm2TextFormat, DisplayRefusesNullAndTheConstructorCoercesItsArguments) {
    const std::string longName(70, 'g');
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([&](AbcCode& code, Names& n) {
        const std::uint32_t cls = TextName(n, "TextFormat");
        code.nameOp(FindPropStrict, cls).pushString(longName).pushDouble(10.5);
        code.op(ConstructProp).u30(cls).u30(2).setLocal(1);
        code.getLocal(1).nameOp(GetProperty, n("font")).traceTop();
        code.getLocal(1).nameOp(GetProperty, n("size")).traceTop();
        // a field keeps a markup font's whole name, and reads it back whole
        Make(code, n, "TextField", 2);
        code.getLocal(2).pushString("<font face='" + longName + "'>x</font>");
        code.nameOp(SetProperty, n("htmlText"));
        code.getLocal(2).callProperty(0x46, n("getTextFormat"), 0);
        code.nameOp(GetProperty, n("font")).traceTop();
        code.getLocal(1).op(PushNull).nameOp(SetProperty, n("display"));
        code.trace("not reached");
    }));
    EXPECT_EQ(run.traces, (Lines{std::string(64, 'g'), "10", longName}));
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("TypeError: Error #2007: Parameter display must be non-null."),
              std::string::npos)
        << run.warnings[0];
}

TEST(Avm2TextFormat, AFieldsSmoothingKeepsToItsChoicesAndRanges) {
    struct Case {
        const char* name;
        std::function<void(AbcCode&)> push;
        const char* expected;
    };
    const auto number = [](double d) { return [d](AbcCode& c) { c.pushDouble(d); }; };
    const auto text = [](const char* s) { return [s](AbcCode& c) { c.pushString(s); }; };
    const std::vector<Case> cases = {
        {"antiAliasType", text("advanced"), "advanced"},
        {"antiAliasType", text("blurry"), "advanced"}, // unknown: as it was
        {"gridFitType", text("subpixel"), "subpixel"},
        {"gridFitType", text("edges"), "none"}, // unknown: fits to nothing
        {"thickness", number(-539), "-200"},
        {"thickness", number(NAN), "NaN"},
        {"sharpness", number(300), "300"},
        {"sharpness", number(INFINITY), "400"},
    };
    Lines expected = {"normal", "pixel", "0", "0"};
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([&](AbcCode& code, Names& n) {
        Make(code, n, "TextField", 1);
        for (const char* name : {"antiAliasType", "gridFitType", "thickness", "sharpness"}) {
            code.getLocal(1).nameOp(GetProperty, n(name)).traceTop();
        }
        for (const Case& c : cases) {
            code.getLocal(1);
            c.push(code);
            code.nameOp(SetProperty, n(c.name));
            code.getLocal(1).nameOp(GetProperty, n(c.name)).traceTop();
            expected.push_back(c.expected);
        }
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, expected);
}

} // namespace
} // namespace quillon::test
