// Keyboard focus: the tab order the engine computes, ActionScript 1/2's Selection and
// focus handlers, the Tab key moving the focus and the yellow rectangle around it.

#include "player/engine/display/Focus.h"

#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;
using quillon::engine::ClipBounds;
using quillon::engine::ClipId;
using quillon::engine::TabCandidate;

namespace {

using Ids = std::vector<ClipId>;

TabCandidate At(ClipId clip, double x, double y, std::optional<double> index = std::nullopt) {
    return TabCandidate{clip, ClipBounds{x, y, x + 100, y + 100}, index};
}

TEST(TabOrder, FollowsPositionOrIndex) {
    struct Case {
        const char* what;
        std::vector<TabCandidate> candidates;
        Ids order;
    };
    const std::vector<Case> cases = {
        {"rows top to bottom, each left to right",
         {At(1, 200, 0), At(2, 0, 300), At(3, 0, 0), At(4, 100, 300)},
         {3, 1, 2, 4}},
        {"the same place keeps the list's order", {At(5, 10, 10), At(6, 10, 10)}, {5, 6}},
        {"any index orders by index and leaves out the rest",
         {At(1, 0, 0), At(2, 0, 0, 3), At(3, 0, 0, 1), At(4, 0, 0, 2)},
         {3, 4, 2}},
        {"equal indexes keep the list's order",
         {At(7, 50, 0, 1), At(8, 0, 0, 1), At(9, 0, 0, 0)},
         {9, 7, 8}},
        {"nothing to tab to", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quillon::engine::OrderTabs(c.candidates), c.order) << c.what;
    }
}

TEST(TabOrder, NextGoesRoundBothWays) {
    const Ids order = {4, 2, 9};
    struct Case {
        ClipId current;
        bool backward;
        ClipId next;
    };
    for (const Case& c : std::vector<Case>{{0, false, 4},
                                           {0, true, 9},
                                           {4, false, 2},
                                           {9, false, 4},
                                           {4, true, 9},
                                           {7, false, 4}}) {
        EXPECT_EQ(quillon::engine::NextTab(order, c.current, c.backward), c.next)
            << c.current << (c.backward ? " back" : " on");
    }
    EXPECT_EQ(quillon::engine::NextTab({}, 3, false), 0u);
}

// name = _root.createTextField(name, depth, x, y, 40, 20), an input field.
void InputField(ActionAssembler& a, const std::string& name, int depth, int x, int y) {
    a.push({20, 40, y, x, depth, name, 6, "_root"}).op(Action::GetVariable);
    a.push({"createTextField"}).op(Action::CallMethod).op(Action::Pop);
    a.push({name}).op(Action::GetVariable).push({"type", "input"}).op(Action::SetMember);
}

// Selection.addListener({onSetFocus: function (o, n) { trace(o + " -> " + n); }})
void TraceFocusChanges(ActionAssembler& a) {
    ActionAssembler body;
    body.push({"o"}).op(Action::GetVariable).push({" -> "}).op(Action::Add2);
    body.push({"n"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    a.push({"l", 0, "Object"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"l"}).op(Action::GetVariable).push({"onSetFocus"});
    a.function(FunctionSpec("", {{0, "o"}, {0, "n"}}), body).op(Action::SetMember);
    a.push({"l"}).op(Action::GetVariable).push({1, "Selection"}).op(Action::GetVariable);
    a.push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
}

struct KeyRun {
    ScriptRun run;
    QImage image;
};

// Loads a movie, presses the keys (down and up, 16 for Shift around a shifted one) and
// draws the frame.
KeyRun PressKeys(const Bytes& movie, const std::vector<std::pair<int, bool>>& keys) {
    KeyRun out;
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.trace = [&out](const std::string& line) { out.run.traces.push_back(line); };
    options.warning = [&out](const std::string& line) { out.run.warnings.push_back(line); };
    engine.setScriptOptions(options);
    engine.setAntialiasing(false);
    engine.loadBytes(movie);
    for (const auto& [code, shift] : keys) {
        engine.keyPressed(code, shift);
        engine.keyReleased(code);
    }
    out.image = Draw(engine);
    return out;
}

constexpr int Tab = 9;

TEST(Focus, TabWalksInputFieldsByPositionAndShiftTabGoesBack) {
    ActionAssembler a;
    InputField(a, "low", 1, 0, 60);
    InputField(a, "right", 2, 50, 0);
    InputField(a, "left", 3, 0, 0);
    TraceFocusChanges(a);
    const KeyRun out = PressKeys(
        OneScriptMovie(a), {{Tab, false}, {Tab, false}, {Tab, false}, {Tab, false}, {Tab, true}});
    EXPECT_EQ(out.run.warnings, std::vector<std::string>{});
    EXPECT_EQ(out.run.joined(), "null -> _level0.left\n_level0.left -> _level0.right\n"
                                "_level0.right -> _level0.low\n_level0.low -> _level0.left\n"
                                "_level0.left -> _level0.low\n");
}

TEST(Focus, TabIndexOrdersAndLeavesOutFieldsWithout) {
    ActionAssembler a;
    InputField(a, "a", 1, 0, 0);
    InputField(a, "b", 2, 50, 0);
    InputField(a, "c", 3, 0, 50);
    a.push({"c"}).op(Action::GetVariable).push({"tabIndex", 1}).op(Action::SetMember);
    a.push({"a"}).op(Action::GetVariable).push({"tabIndex", 2}).op(Action::SetMember);
    a.push({"b"}).op(Action::GetVariable).push({"tabEnabled", false}).op(Action::SetMember);
    TraceFocusChanges(a);
    const KeyRun out = PressKeys(OneScriptMovie(a), {{Tab, false}, {Tab, false}, {Tab, false}});
    EXPECT_EQ(out.run.joined(),
              "null -> _level0.c\n_level0.c -> _level0.a\n_level0.a -> _level0.c\n");
}

// Selection.setFocus on a clip needs focusEnabled (or a button handler); the handlers
// of both objects run, then the listeners.
TEST(Focus, SelectionMovesTheFocusAndTellsBothObjects) {
    ActionAssembler a;
    InputField(a, "field", 1, 0, 0);
    a.push({2, "mc", 2, "_root"}).op(Action::GetVariable);
    a.push({"createEmptyMovieClip"}).op(Action::CallMethod).op(Action::Pop);
    ActionAssembler kill;
    kill.push({"kill "}).push({"n"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    a.push({"mc"}).op(Action::GetVariable).push({"onKillFocus"});
    a.function(FunctionSpec("", {{0, "n"}}), kill).op(Action::SetMember);
    ActionAssembler set;
    set.push({"set "}).push({"o"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    a.push({"field"}).op(Action::GetVariable).push({"onSetFocus"});
    a.function(FunctionSpec("", {{0, "o"}}), set).op(Action::SetMember);
    TraceFocusChanges(a);
    CallOn(a, "Selection", "setFocus", {"mc"}).op(Action::Trace);
    a.push({"mc"}).op(Action::GetVariable).push({"focusEnabled", true}).op(Action::SetMember);
    CallOn(a, "Selection", "setFocus", {"mc"}).op(Action::Trace);
    CallOn(a, "Selection", "setFocus", {"mc"}).op(Action::Trace); // no change, no events
    CallOn(a, "Selection", "getFocus", {}).op(Action::Trace);
    CallOn(a, "Selection", "setFocus", {"field"}).op(Action::Trace);
    CallOn(a, "Selection", "getBeginIndex", {}).op(Action::Trace);
    CallOn(a, "Selection", "setFocus", {Null{}}).op(Action::Trace);
    CallOn(a, "Selection", "getFocus", {}).op(Action::Trace);
    CallOn(a, "Selection", "getCaretIndex", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "false\nnull -> _level0.mc\ntrue\ntrue\n_level0.mc\n"
              "kill _level0.field\nset _level0.mc\n_level0.mc -> _level0.field\ntrue\n0\n"
              "_level0.field -> null\ntrue\nnull\n-1\n");
}

TEST(Focus, ReplaceSelPutsTextAtTheSelection) {
    ActionAssembler a;
    InputField(a, "field", 1, 0, 0);
    a.push({"field"}).op(Action::GetVariable).push({"text", "abcdef"}).op(Action::SetMember);
    CallOn(a, "Selection", "setFocus", {"field"}).op(Action::Pop);
    CallOn(a, "Selection", "setSelection", {4, 1}).op(Action::Pop);
    CallOn(a, "field", "replaceSel", {"XY"}).op(Action::Pop);
    a.traceVariable("field.text");
    CallOn(a, "Selection", "getCaretIndex", {}).op(Action::Trace);
    CallOn(a, "Selection", "setSelection", {99, 0}).op(Action::Pop); // past the end: clamped
    CallOn(a, "Selection", "getEndIndex", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "aXYef\n3\n5\n");
}

TEST(Focus, FocusRectIsTheMoviesOnTheRootAndEachObjectsOwnElsewhere) {
    ActionAssembler a;
    a.push({1, "mc", 2, "_root"}).op(Action::GetVariable);
    a.push({"createEmptyMovieClip"}).op(Action::CallMethod).op(Action::Pop);
    a.traceVariable("_focusrect").traceVariable("mc._focusrect");
    a.set("_focusrect", 0).traceVariable("_focusrect").traceVariable("_root._focusrect");
    a.set("_focusrect", Null{}).traceVariable("_focusrect"); // null leaves it
    a.push({"mc"}).op(Action::GetVariable).push({"_focusrect", true}).op(Action::SetMember);
    a.traceVariable("mc._focusrect");
    a.push({"mc"}).op(Action::GetVariable).push({"_focusrect", Null{}}).op(Action::SetMember);
    a.traceVariable("mc._focusrect");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "true\nnull\nfalse\nfalse\nfalse\ntrue\nnull\n");
}

// A red 60-pixel square in a clip named mc, from (20, 20), on white (and above it a
// button named btn showing the square); script runs after.
Bytes SquareMovie(const ActionAssembler& script, int version = 8, bool button = false) {
    MovieWriter movie(100, 100, 12, version);
    movie.setBackground({255, 255, 255});
    ShapeBuilder square;
    square.setFill1(square.addSolidFill({255, 0, 0}));
    square.rectangle(400, 400, 1200, 1200);
    const auto shape = movie.defineShape(square);
    TagStream inner;
    inner.place(Place{1, shape});
    inner.showFrame();
    Place clip(1, movie.defineSprite(inner));
    clip.name = "mc";
    movie.place(clip);
    if (button) {
        Place btn(2, movie.defineButton2({ButtonRecordSpec{15, shape, 1, Matrix{}}}));
        btn.name = "btn";
        movie.place(btn);
    }
    movie.doAction(script.block());
    movie.showFrame();
    return movie.bytes();
}

const QColor Yellow(255, 255, 0);

TEST(Focus, TheRectangleFramesTheFocusedClipInsideItsBounds) {
    ActionAssembler a;
    a.push({"mc"}).op(Action::GetVariable).push({"tabEnabled", true}).op(Action::SetMember);
    const KeyRun out = PressKeys(SquareMovie(a), {{Tab, false}});
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{20, 50}, {22, 50}, {79, 50}, {50, 20}, {50, 79}}) {
        EXPECT_PIXEL(out.image, x, y, Yellow);
    }
    EXPECT_PIXEL(out.image, 23, 50, Red);
    EXPECT_PIXEL(out.image, 50, 50, Red);
    EXPECT_PIXEL(out.image, 19, 50, White);
}

TEST(Focus, NoRectangleWhenTurnedOffForTheMovieOrTheObjectOrWithoutFocus) {
    struct Case {
        const char* what;
        std::function<void(ActionAssembler&)> script;
        int tabs;
    };
    const std::vector<Case> cases = {
        {"_focusrect = false", [](ActionAssembler& a) { a.set("_focusrect", false); }, 1},
        {"mc._focusrect = false",
         [](ActionAssembler& a) {
             a.push({"mc"})
                 .op(Action::GetVariable)
                 .push({"_focusrect", false})
                 .op(Action::SetMember);
         },
         1},
        {"no Tab pressed", [](ActionAssembler&) {}, 0},
        {"the clip does not tab",
         [](ActionAssembler& a) {
             a.push({"mc"})
                 .op(Action::GetVariable)
                 .push({"tabEnabled", false})
                 .op(Action::SetMember);
         },
         1},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({"mc"}).op(Action::GetVariable).push({"tabEnabled", true}).op(Action::SetMember);
        c.script(a);
        const KeyRun out = PressKeys(
            SquareMovie(a),
            std::vector<std::pair<int, bool>>(static_cast<std::size_t>(c.tabs), {Tab, false}));
        EXPECT_PIXEL(out.image, 21, 50, Red) << c.what;
    }
}

// obj.name = value, obj a variable.
void SetOn(ActionAssembler& a, const std::string& obj, const std::string& name, PushValue value) {
    a.push({obj}).op(Action::GetVariable).push({name, std::move(value)}).op(Action::SetMember);
}

// mc tabs; after, the case's script; then one Tab shows whether mc is framed.
TEST(Focus, TheRectangleSettingsFollowTheMoviesVersion) {
    struct Case {
        int version;
        const char* what;
        std::function<void(ActionAssembler&)> script;
        bool framed;
    };
    const auto own = [](PushValue v) {
        return [v](ActionAssembler& a) { SetOn(a, "mc", "_focusrect", v); };
    };
    const auto movieOffObjectOn = [](ActionAssembler& a) {
        a.set("_focusrect", false);
        SetOn(a, "mc", "_focusrect", true);
    };
    const std::vector<Case> cases = {
        // before version 6 an object's _focusrect is the movie's
        {5, "mc._focusrect = false", own(false), false},
        {5, "_focusrect = false, mc._focusrect = true", movieOffObjectOn, true},
        {5, "mc._focusrect = null leaves it", own(Null{}), true},
        {5, "mc._focusrect = true, _focusrect = false",
         [](ActionAssembler& a) {
             SetOn(a, "mc", "_focusrect", true);
             a.set("_focusrect", false);
         },
         false},
        {6, "an object is true",
         [](ActionAssembler& a) {
             a.push({"mc"}).op(Action::GetVariable).push({"_focusrect", 0, "Object"});
             a.op(Action::NewObject).op(Action::SetMember);
         },
         true},
        {6, "mc._focusrect = false", own(false), false},
        {6, "_focusrect = false, mc._focusrect = true", movieOffObjectOn, true},
        {6, "a string reads by its number", own("0"), false},
        {6, "a word reads as no number", own("yes"), false},
        {7, "a string is true unless empty", own("0"), true},
        {7, "an empty string", own(""), false},
        {8, "mc._focusrect = 2", own(2), true},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        SetOn(a, "mc", "tabEnabled", true);
        c.script(a);
        const KeyRun out = PressKeys(SquareMovie(a, c.version), {{Tab, false}});
        EXPECT_PIXEL(out.image, 21, 50, c.framed ? Yellow : Red)
            << "version " << c.version << ": " << c.what;
    }
}

TEST(Focus, AnObjectsRectangleSettingIsTheMoviesBeforeVersion6) {
    for (const auto& [version, expected] :
         std::vector<std::pair<int, std::string>>{{5, "false\nfalse\n"}, {6, "true\nfalse\n"}}) {
        ActionAssembler a;
        SetOn(a, "mc", "_focusrect", false);
        a.traceVariable("_focusrect").traceVariable("mc._focusrect");
        EXPECT_EQ(RunMovie(SquareMovie(a, version)).joined(), expected) << "version " << version;
    }
}

// Key.addListener({onKeyUp: function () { <body> }}): runs once the Tab has moved the focus.
void AfterTheKey(ActionAssembler& a, const ActionAssembler& body) {
    a.push({"k", 0, "Object"}).op(Action::NewObject).op(Action::SetVariable);
    a.push({"k"}).op(Action::GetVariable).push({"onKeyUp"});
    a.function(FunctionSpec("", {}), body).op(Action::SetMember);
    a.push({"k"}).op(Action::GetVariable).push({1, "Key"}).op(Action::GetVariable);
    a.push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
}

TEST(Focus, TheRectangleFollowsItsObjectAndStaysUntilTheFocusMoves) {
    struct Case {
        const char* what;
        std::function<void(ActionAssembler&)> after;
        int framedX, clearX; // a column on the frame's left side, one left of it
    };
    const std::vector<Case> cases = {
        {"mc moves 10 right",
         [](ActionAssembler& b) {
             b.push({"mc"}).op(Action::GetVariable).push({"_x", 10}).op(Action::SetMember);
         },
         31, 29},
        {"mc doubles its width",
         [](ActionAssembler& b) {
             b.push({"mc"}).op(Action::GetVariable).push({"_xscale", 200}).op(Action::SetMember);
         },
         41, 39},
        {"mc._focusrect = false", [](ActionAssembler& b) { SetOn(b, "mc", "_focusrect", false); },
         21, 19},
        {"_focusrect = false", [](ActionAssembler& b) { b.set("_focusrect", false); }, 21, 19},
    };
    for (const Case& c : cases) {
        ActionAssembler a, body;
        SetOn(a, "mc", "tabEnabled", true);
        c.after(body);
        AfterTheKey(a, body);
        const KeyRun out = PressKeys(SquareMovie(a), {{Tab, false}});
        EXPECT_PIXEL(out.image, c.framedX, 50, Yellow) << c.what;
        EXPECT_PIXEL(out.image, c.clearX, 50, White) << c.what;
    }
}

TEST(Focus, TabIndexOfAButtonIsAWholeNumberAndAClipsAsGiven) {
    struct Case {
        PushValue value;
        const char* button;
        const char* clip;
    };
    const std::vector<Case> cases = {
        {3, "3", "3"},
        {-4, "-4", "-4"},
        {1.9, "1", "1.9"},
        {"x", "-2147483648", "x"},
        {2147483648.0, "-2147483648", "2147483648"},
        {Null{}, "undefined", "null"},
    };
    for (const Case& c : cases) {
        for (const auto& [target, expected] :
             std::vector<std::pair<std::string, std::string>>{{"btn", c.button}, {"mc", c.clip}}) {
            ActionAssembler a;
            SetOn(a, target, "tabIndex", c.value);
            a.traceVariable(target + ".tabIndex");
            EXPECT_EQ(RunMovie(SquareMovie(a, 8, true)).joined(), expected + "\n") << target;
        }
    }
}

// Enumeration lists a button's tabIndex before any script sets it: it is the button's own
// property, shown by its prototype.
TEST(Focus, EnumerationListsAButtonsTabIndexUnset) {
    ActionAssembler a;
    TraceNamesOf(a, "btn");
    a.traceVariable("btn.tabIndex");
    const std::string names = RunMovie(SquareMovie(a, 8, true)).joined();
    EXPECT_NE(names.find("tabIndex\n"), std::string::npos) << names;
    EXPECT_TRUE(names.ends_with("\nundefined\n")) << names;
}

} // namespace
