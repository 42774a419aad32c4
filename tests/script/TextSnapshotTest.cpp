// Text as scripts read it beyond a field's own methods: TextSnapshot over a clip's static
// texts, and TextField.prototype holding the fields' properties.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// Static text "AB" at depth 1 and "C" at depth 2 (one line each), then the script.
Bytes StaticTextMovie(const ActionAssembler& code, int version = 8) {
    MovieWriter movie(100, 100, 12, version);
    FontSpec font;
    font.name = "Letters";
    for (const char letter : {'A', 'B', 'C'}) {
        font.glyphs.push_back({static_cast<std::uint16_t>(letter), ShapeBuilder{}, 10240});
    }
    const std::uint16_t fontId = movie.defineFont(font);
    const std::uint16_t first = movie.defineText(fontId, 240, Rgba{}, 0, 240, {{0, 200}, {1, 200}});
    const std::uint16_t second = movie.defineText(fontId, 240, Rgba{}, 0, 600, {{2, 200}});
    movie.place(Place(2, second));
    movie.place(Place(1, first));
    movie.doAction(code.block());
    movie.showFrame();
    return movie.bytes();
}

// getText(from, to[, lineEndings]) on _root's snapshot, its arguments given last to first.
TEST(TextSnapshot, ReadsStaticTextInDepthOrder) {
    struct Case {
        std::vector<PushValue> argsLastFirst;
        const char* text;
    };
    const std::vector<Case> cases = {
        {{100, 0}, "ABC"},      {{true, 100, 0}, "AB\nC"},
        {{true, 3, 2}, "C"},                        // no break before the first character read
        {{1, 1}, "B"},                              // an end before the start reads one character
        {{-2, 5}, "C"},                             // a start past the end reads the last
        {{2, -3}, "AB"},        {{1}, "undefined"}, // one argument is too few
        {{false, 3, 0}, "ABC"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({"ts", "_root"}).op(Action::GetVariable).push({1, "TextSnapshot"});
        a.op(Action::NewObject).op(Action::DefineLocal);
        CallWith(a, "ts", "getText", c.argsLastFirst).op(Action::Trace);
        EXPECT_EQ(RunMovie(StaticTextMovie(a)).joined(), std::string(c.text) + "\n");
    }
    ActionAssembler a;
    a.push({"ts"});
    CallOn(a, "_root", "getTextSnapshot", {}).op(Action::DefineLocal);
    CallOn(a, "ts", "getCount", {}).op(Action::Trace);
    CallOn(a, "ts", "findText", {false, "bc", 0}).op(Action::Trace);
    CallOn(a, "ts", "findText", {true, "bc", 0}).op(Action::Trace);
    EXPECT_EQ(RunMovie(StaticTextMovie(a)).joined(), "3\n1\n-1\n");
}

// Before version 6 the methods are listed by enumeration yet read as undefined.
TEST(TextSnapshot, MethodsAreHiddenFromVersion5Reads) {
    for (const int version : {5, 6}) {
        ActionAssembler a;
        a.push({"ts", "_root"}).op(Action::GetVariable).push({1, "TextSnapshot"});
        a.op(Action::NewObject).op(Action::DefineLocal);
        a.push({"ts"}).op(Action::GetVariable).push({"getCount"}).op(Action::GetMember);
        a.op(Action::TypeOf).op(Action::Trace);
        TraceNamesOf(a, "ts");
        const ScriptRun run = RunMovie(StaticTextMovie(a, version));
        ASSERT_EQ(run.traces.size(), 10u) << version;
        EXPECT_EQ(run.traces[0], version < 6 ? "undefined" : "function") << version;
        EXPECT_EQ(run.traces[1], "getTextRunInfo") << version;
        EXPECT_EQ(run.traces[9], "getCount") << version;
    }
}

// for (p in o) trace(p) over the object on the stack.
void TraceNames(ActionAssembler& a, const std::string& loop) {
    a.op(Action::Enumerate2).label(loop);
    a.storeRegister(0).push({Null{}}).op(Action::Equals2).ifTrue(loop + "End");
    a.push({Register{0}}).op(Action::Trace).jump(loop);
    a.label(loop + "End");
}

// The properties live on the prototype, listed in the player's order: a field holds none
// of them itself, an object made with new reads undefined through them, and before
// version 8 the newest five are plain values a write shadows.
TEST(TextFieldPrototype, HoldsTheFieldsProperties) {
    for (const int version : {6, 8}) {
        ActionAssembler a;
        a.push({"o", 0, "TextField"}).op(Action::NewObject).op(Action::DefineLocal);
        a.push({"TextField"}).op(Action::GetVariable).push({"prototype"}).op(Action::GetMember);
        TraceNames(a, "names");
        a.push({"o"}).op(Action::GetVariable).push({"antiAliasType", "advanced"});
        a.op(Action::SetMember);
        a.push({"o"}).op(Action::GetVariable).push({"antiAliasType"}).op(Action::GetMember);
        a.op(Action::Trace);
        CallOn(a, "_root", "createTextField", {10, 10, 0, 0, 1, "tf"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({"text", "hi"}).op(Action::SetMember);
        a.push({"tf"}).op(Action::GetVariable).push({"text"}).op(Action::GetMember);
        a.op(Action::Trace);
        CallOn(a, "tf", "hasOwnProperty", {"text"}).op(Action::Trace);
        const ScriptRun run = RunMovie(OneScriptMovie(a, version));
        ASSERT_EQ(run.traces.size(), 38u) << version;
        EXPECT_EQ(run.traces[0], "styleSheet");
        EXPECT_EQ(run.traces[22], "text");
        EXPECT_EQ(run.traces[34], "gridFitType");
        EXPECT_EQ(run.traces[35], version < 8 ? "advanced" : "undefined") << version;
        EXPECT_EQ(run.traces[36], "hi");
        EXPECT_EQ(run.traces[37], "false");
    }
}

// A field is a broadcaster from version 6 on, listening to itself first.
TEST(TextFieldPrototype, FieldsBroadcastToThemselves) {
    for (const int version : {5, 6}) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {10, 10, 0, 0, 1, "tf"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({"onChanged"});
        ActionAssembler handler;
        handler.push({"changed "}).push({"x"}).op(Action::GetVariable).op(Action::Add2);
        handler.op(Action::Trace);
        a.function(FunctionSpec("", {{0, "x"}}), handler).op(Action::SetMember);
        CallOn(a, "tf", "broadcastMessage", {"a", "onChanged"}).op(Action::Pop);
        a.push({"tf"}).op(Action::GetVariable).push({"_listeners"}).op(Action::GetMember);
        a.push({"length"}).op(Action::GetMember).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(),
                  version < 6 ? "undefined\n" : "changed a\n1\n")
            << version;
    }
}

} // namespace
