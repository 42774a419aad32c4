// SimpleButton in ActionScript 3: the states of a button the timeline places, built
// from its records, and those a script gives, shown, swapped and measured.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"
#include "support/MovieWriter.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;
using testing::Rgba;

struct Played : testing::ScriptRun {
    QImage image;
};

Played Play(const Bytes& movie) {
    return Played{{testing::RunMovie(movie)}, testing::RenderFrame(movie)};
}

// local.<path...>, traced.
void TracePath(AbcCode& code, Names& n, std::uint32_t local,
               std::initializer_list<const char*> path) {
    code.getLocal(local);
    for (const char* name : path) {
        code.nameOp(0x66, n(name));
    }
    code.traceTop();
}

// A button at (20, 20) px: up is a red 40 by 30 box and a field reading "Up text", over a
// green box, down and hit one blue box.
void PlaceButton(MovieWriter& m) {
    const std::uint16_t red = m.defineRectangle(0, 0, 800, 600, Rgba{255, 0, 0});
    const std::uint16_t green = m.defineRectangle(0, 0, 400, 400, Rgba{0, 255, 0});
    const std::uint16_t blue = m.defineRectangle(0, 0, 200, 200, Rgba{0, 0, 255});
    testing::EditTextSpec field;
    field.text = "Up text";
    field.ymin = 700;
    field.ymax = 1000;
    const std::uint16_t text = m.defineEditText(field);
    const std::uint16_t button =
        m.defineButton2({{1, red, 1, {}},
                         {1, text, 2, {}},
                         {2, green, 1, testing::Matrix::translate(100, 60)},
                         {12, blue, 1, {}}});
    m.place(testing::Place(1, button).at(400, 400));
}

// The state on show hangs below the button yet reads no parent; those not on show stand
// off the list, where the records put them. One record is the state itself, several a
// Sprite holding them in depth order.
TEST(Avm2Button, ATimelineButtonsStatesAreBuiltFromItsRecords) {
    const Played run = Play(DocumentMovie(
        [](AbcCode& code, Names& n) {
            code.getLocal(0).pushInt(0).callProperty(0x46, n("getChildAt"), 1).setLocal(1);
            TracePath(code, n, 1, {});
            TracePath(code, n, 1, {"upState"});
            TracePath(code, n, 1, {"upState", "numChildren"});
            code.getLocal(1).nameOp(0x66, n("upState")).pushInt(1);
            code.callProperty(0x46, n("getChildAt"), 1).nameOp(0x66, n("text")).traceTop();
            TracePath(code, n, 1, {"upState", "parent"});
            code.getLocal(1).nameOp(0x66, n("upState")).nameOp(0x66, n("root")).getLocal(0);
            code.op(0xab).traceTop();
            TracePath(code, n, 1, {"overState"});
            TracePath(code, n, 1, {"overState", "x"});
            TracePath(code, n, 1, {"overState", "parent"});
            TracePath(code, n, 1, {"overState", "root"});
            code.getLocal(1).nameOp(0x66, n("downState")).getLocal(1);
            code.nameOp(0x66, n("hitTestState")).op(0xab).traceTop();
            TracePath(code, n, 1, {"width"});
        },
        PlaceButton));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"[object SimpleButton]", "[object Sprite]", "2", "Up text", "null",
                                 "true", "[object Shape]", "5", "null", "null", "false", "100"}));
    EXPECT_PIXEL(run.image, 30, 30, QColor(255, 0, 0));
}

// A button measures what it shows; the size is the difference of the sides in pixels,
// rounding and all.
TEST(Avm2Button, ABoundsSizeIsTheDifferenceOfItsSidesInPixels) {
    const Played run = Play(DocumentMovie(
        [](AbcCode& code, Names& n) {
            code.getLocal(0).pushInt(0).callProperty(0x46, n("getChildAt"), 1).setLocal(1);
            code.getLocal(1).getLocal(0).callProperty(0x46, n("getBounds"), 1).traceTop();
        },
        [](MovieWriter& m) {
            const std::uint16_t box = m.defineRectangle(3776, 2252, 1833, 424, Rgba{0, 0, 255});
            const std::uint16_t button = m.defineButton2({{15, box, 1, {}}});
            m.place(testing::Place(1, button));
        }));
    EXPECT_EQ(run.traces, Lines{"(x=188.8, y=112.6, w=91.64999999999998, h=21.200000000000017)"});
}

// s = new Shape() with a box of a colour on its graphics, in a local.
void Box(AbcCode& code, Names& n, std::uint32_t local, double color, double w, double h) {
    const std::uint32_t shape = n.display("Shape");
    code.nameOp(0x5d, shape).op(0x4a).u30(shape).u30(0).setLocal(local);
    code.getLocal(local).nameOp(0x66, n("graphics")).pushDouble(color);
    code.callProperty(0x4f, n("beginFill"), 1);
    code.getLocal(local).nameOp(0x66, n("graphics"));
    for (double v : {0.0, 0.0, w, h}) {
        code.pushDouble(v);
    }
    code.callProperty(0x4f, n("drawRect"), 4);
}

// new SimpleButton(up, over) shows up: measured and drawn by it; a new up state takes
// its place at once, and the old one leaves.
TEST(Avm2Button, AScriptsButtonShowsItsUpStateAndSwapsIt) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        Box(code, n, 2, 0xff0000, 40, 30);
        Box(code, n, 3, 0x00ff00, 20, 20);
        Box(code, n, 4, 0x0000ff, 60, 10);
        const std::uint32_t button = n.display("SimpleButton");
        code.nameOp(0x5d, button).getLocal(2).getLocal(3).op(0x4a).u30(button).u30(2).setLocal(1);
        code.getLocal(0).getLocal(1).callProperty(0x4f, n("addChild"), 1);
        code.getLocal(1).nameOp(0x66, n("upState")).getLocal(2).op(0xab).traceTop();
        code.getLocal(1).nameOp(0x66, n("overState")).getLocal(3).op(0xab).traceTop();
        TracePath(code, n, 1, {"downState"});
        TracePath(code, n, 2, {"parent"});
        TracePath(code, n, 1, {"width"});
        code.getLocal(1).getLocal(4).nameOp(0x61, n("upState"));
        TracePath(code, n, 1, {"width"});
        TracePath(code, n, 1, {"height"});
        TracePath(code, n, 4, {"parent"});
        code.getLocal(1).nameOp(0x66, n("upState")).getLocal(4).op(0xab).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces,
              (Lines{"true", "true", "null", "null", "40", "60", "10", "null", "true"}));
    EXPECT_PIXEL(run.image, 50, 5, QColor(0, 0, 255));
    EXPECT_PIXEL(run.image, 10, 20, QColor(255, 255, 255)); // the old up state is gone
}

// What a button's flags read before and after a script sets them.
TEST(Avm2Button, FlagsReadTheirDefaultsUntilSet) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        const std::uint32_t button = n.display("SimpleButton");
        code.nameOp(0x5d, button).op(0x4a).u30(button).u30(0).setLocal(1);
        for (const char* flag : {"enabled", "useHandCursor", "trackAsMenu", "mouseEnabled"}) {
            TracePath(code, n, 1, {flag});
            code.getLocal(1).getLocal(1).nameOp(0x66, n(flag)).op(0x96).nameOp(0x61, n(flag));
            TracePath(code, n, 1, {flag});
        }
        TracePath(code, n, 1, {"upState"});
    }));
    EXPECT_EQ(run.traces,
              (Lines{"true", "false", "true", "false", "false", "true", "true", "false", "null"}));
}

} // namespace
} // namespace quillon::test
