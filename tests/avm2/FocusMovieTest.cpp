// Keyboard focus in ActionScript 3: stage.focus with its focusOut and focusIn events,
// the tab properties, and the Tab key drawing the yellow rectangle.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

void Make(AbcCode& code, std::uint32_t cls, std::uint32_t local) {
    code.nameOp(0x5d, cls).op(0x4a).u30(cls).u30(0).setLocal(local);
}

// local: a Sprite with a red 60-pixel square at (20, 20), on the stage.
void RedSprite(AbcCode& code, Names& n, std::uint32_t local) {
    Make(code, n.display("Sprite"), local);
    code.getLocal(local).nameOp(0x66, n("graphics")).pushDouble(0xff0000);
    code.callProperty(0x4f, n("beginFill"), 1);
    code.getLocal(local).nameOp(0x66, n("graphics"));
    for (double v : {20.0, 20.0, 60.0, 60.0}) {
        code.pushDouble(v);
    }
    code.callProperty(0x4f, n("drawRect"), 4);
    code.getLocal(0).getLocal(local).callProperty(0x4f, n("addChild"), 1);
}

void Listen(AbcCode& code, Names& n, std::uint32_t local, const char* type, std::uint32_t fn) {
    code.getLocal(local).pushString(type).getLocal(fn);
    code.callProperty(0x4f, n("addEventListener"), 2);
}

// stage.focus = value (pushed by push)
void SetStageFocus(AbcCode& code, Names& n, const std::function<void()>& push) {
    code.getLocal(0).nameOp(0x66, n("stage"));
    push();
    code.nameOp(0x61, n("focus"));
}

TEST(Avm2Focus, StageFocusSendsFocusOutThenFocusInNamingTheOtherObject) {
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([](AbcCode& code, Names& n) {
        AbcCode listener(n.abc);
        listener.getLocal(1).traceTop().op(0x47);
        code.op(0x40).u30(AddMethod(n.abc, listener, 1)).setLocal(3);
        RedSprite(code, n, 1);
        RedSprite(code, n, 2);
        Listen(code, n, 1, "focusIn", 3);
        Listen(code, n, 1, "focusOut", 3);
        Listen(code, n, 2, "focusIn", 3);
        SetStageFocus(code, n, [&] { code.getLocal(1); });
        SetStageFocus(code, n, [&] { code.getLocal(1); }); // the same: nothing
        SetStageFocus(code, n, [&] { code.getLocal(2); });
        code.getLocal(0).nameOp(0x66, n("stage")).nameOp(0x66, n("focus")).getLocal(2);
        code.op(0xab).traceTop(); // equals
        code.getLocal(1).nameOp(0x66, n("tabIndex")).traceTop();
        code.getLocal(1).nameOp(0x66, n("tabEnabled")).traceTop();
        code.getLocal(1).nameOp(0x66, n("focusRect")).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces,
              (Lines{"[FocusEvent type=\"focusIn\" bubbles=true cancelable=false eventPhase=2 "
                     "relatedObject=null shiftKey=false keyCode=0]",
                     "[FocusEvent type=\"focusOut\" bubbles=true cancelable=false eventPhase=2 "
                     "relatedObject=[object Sprite] shiftKey=false keyCode=0]",
                     "[FocusEvent type=\"focusIn\" bubbles=true cancelable=false eventPhase=2 "
                     "relatedObject=[object Sprite] shiftKey=false keyCode=0]",
                     "true", "-1", "false", "null"}));
}

QImage AfterTab(bool stageFocusRect) {
    const auto movie = DocumentMovie([stageFocusRect](AbcCode& code, Names& n) {
        RedSprite(code, n, 1);
        code.getLocal(1).op(0x26).nameOp(0x61, n("tabEnabled")); // true
        if (!stageFocusRect) {
            code.getLocal(0).nameOp(0x66, n("stage")).op(0x27).nameOp(0x61, n("stageFocusRect"));
        }
    });
    engine::MovieEngine engine;
    engine::ScriptOptions options;
    options.warning = [](const std::string& w) { ADD_FAILURE() << w; };
    engine.setScriptOptions(options);
    engine.setAntialiasing(false);
    engine.loadBytes(movie);
    engine.keyPressed(9);
    engine.keyReleased(9);
    return testing::Draw(engine);
}

TEST(Avm2Focus, TabFocusesATabEnabledSpriteWithTheYellowRectangle) {
    const QImage on = AfterTab(true);
    EXPECT_PIXEL(on, 21, 50, QColor(255, 255, 0));
    EXPECT_PIXEL(on, 50, 78, QColor(255, 255, 0));
    EXPECT_PIXEL(on, 50, 50, QColor(255, 0, 0));
    const QImage off = AfterTab(false);
    EXPECT_PIXEL(off, 21, 50, QColor(255, 0, 0));
}

} // namespace
} // namespace quillon::test
