// MovieClip's drawing methods seen through pixels and sizes: fills, lines, gradients,
// clear, and copies made by duplicateMovieClip.

#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// c = _root.createEmptyMovieClip("c", 1)
void MakeClip(ActionAssembler& a) {
    CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
}

// A red 50 by 40 pixel box (the arguments go last first) at (10, 10) with a black line 4 pixels
// wide.
void RedBox(ActionAssembler& a) {
    CallOn(a, "c", "lineStyle", {100, 0, 4}).op(Action::Pop);
    CallOn(a, "c", "beginFill", {100, 0xff0000}).op(Action::Pop);
    CallOn(a, "c", "moveTo", {10, 10}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {10, 60}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {50, 60}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {50, 10}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {10, 10}).op(Action::Pop);
    CallOn(a, "c", "endFill", {}).op(Action::Pop);
}

void TraceMember(ActionAssembler& a, const std::string& object, const std::string& member) {
    a.push({object}).op(Action::GetVariable).push({member}).op(Action::GetMember).op(Action::Trace);
}

// c.beginGradientFill("linear", [red, blue], [100, 100], [0, lastRatio], box of 0,0,100,100)
void RedToBlueBoxGradient(ActionAssembler& a, int lastRatio) {
    a.push({"r", 0, "h", 100, "w", 100, "y", 0, "x", 0, "matrixType", "box", 6})
        .op(Action::InitObject)
        .push({lastRatio, 0, 2})
        .op(Action::InitArray)
        .push({100, 100, 2})
        .op(Action::InitArray)
        .push({0x0000ff, 0xff0000, 2})
        .op(Action::InitArray)
        .push({"linear", 5, "c"})
        .op(Action::GetVariable)
        .push({"beginGradientFill"})
        .op(Action::CallMethod)
        .op(Action::Pop);
}

} // namespace

TEST(DrawingScript, AFilledBoxWithALineIsDrawnAndMeasured) {
    ActionAssembler a;
    MakeClip(a);
    RedBox(a);
    TraceMember(a, "c", "_width");
    TraceMember(a, "c", "_height");
    const Bytes movie = OneScriptMovie(a);
    EXPECT_EQ(RunMovie(movie).joined(), "54\n44\n"); // the line's half width on each side
    const QImage image = RenderFrame(movie);
    EXPECT_PIXEL(image, 30, 30, QColor(255, 0, 0));
    EXPECT_PIXEL(image, 10, 30, QColor(0, 0, 0));
    EXPECT_PIXEL(image, 80, 80, QColor(255, 255, 255));
}

TEST(DrawingScript, ClearRemovesTheDrawingAndDuplicatesKeepACopy) {
    ActionAssembler a;
    MakeClip(a);
    RedBox(a);
    CallOn(a, "c", "duplicateMovieClip", {2, "d"}).op(Action::Pop);
    a.push({"d"}).op(Action::GetVariable).push({"_x", 40}).op(Action::SetMember);
    CallOn(a, "c", "clear", {}).op(Action::Pop);
    TraceMember(a, "c", "_width");
    const Bytes movie = OneScriptMovie(a);
    EXPECT_EQ(RunMovie(movie).joined(), "0\n");
    const QImage image = RenderFrame(movie);
    EXPECT_PIXEL(image, 30, 30, QColor(255, 255, 255));
    EXPECT_PIXEL(image, 70, 30, QColor(255, 0, 0));
}

TEST(DrawingScript, ABoxGradientRunsAcrossTheBox) {
    ActionAssembler a;
    MakeClip(a);
    RedToBlueBoxGradient(a, 255);
    CallOn(a, "c", "moveTo", {0, 0}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {0, 100}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {100, 100}).op(Action::Pop);
    CallOn(a, "c", "lineTo", {100, 0}).op(Action::Pop);
    const QImage image = RenderFrame(OneScriptMovie(a));
    EXPECT_TRUE(PixelIs(image, 2, 50, QColor(250, 0, 5), 12)) << Describe(image, 2, 50);
    EXPECT_TRUE(PixelIs(image, 97, 50, QColor(5, 0, 250), 12)) << Describe(image, 97, 50);
    EXPECT_TRUE(PixelIs(image, 50, 50, QColor(128, 0, 127), 12)) << Describe(image, 50, 50);
}

// Gradients whose lists do not pair up or whose ratios leave 0..255 are no gradients: the
// fill before them ends and nothing is filled.
TEST(DrawingScript, BadGradientListsFillNothing) {
    for (const int lastRatio : {256, -1}) {
        ActionAssembler a;
        MakeClip(a);
        RedToBlueBoxGradient(a, lastRatio);
        CallOn(a, "c", "lineTo", {0, 100}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {100, 100}).op(Action::Pop);
        const QImage image = RenderFrame(OneScriptMovie(a));
        EXPECT_TRUE(PixelIs(image, 70, 50, QColor(255, 255, 255))) << lastRatio;
    }
}

namespace {

// name = _root.createEmptyMovieClip(name, depth), filled with a box of colour.
void FilledClip(ActionAssembler& a, const std::string& name, int depth, int colour, int left,
                int top, int right, int bottom) {
    CallOn(a, "_root", "createEmptyMovieClip", {depth, name}).op(Action::Pop);
    CallOn(a, name, "beginFill", {100, colour}).op(Action::Pop);
    CallOn(a, name, "moveTo", {top, left}).op(Action::Pop);
    CallOn(a, name, "lineTo", {top, right}).op(Action::Pop);
    CallOn(a, name, "lineTo", {bottom, right}).op(Action::Pop);
    CallOn(a, name, "lineTo", {bottom, left}).op(Action::Pop);
    CallOn(a, name, "endFill", {}).op(Action::Pop);
}

} // namespace

TEST(DrawingScript, SetMaskCropsToTheMaskWhichIsNotDrawnItself) {
    struct Case {
        bool removeAgain;
        QColor left, middle, right;
        const char* traces;
    };
    const QColor red(255, 0, 0), white(255, 255, 255);
    const Case cases[] = {
        {false, white, red, white, "true\nfalse\ntrue\n"},
        {true, red, QColor(0, 0, 255), QColor(0, 0, 255), "true\ntrue\ntrue\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        FilledClip(a, "c", 1, 0xff0000, 10, 10, 50, 60);
        FilledClip(a, "m", 2, 0x0000ff, 30, 0, 90, 100);
        CallOn(a, "c", "setMask", {"m"}).op(Action::Pop);
        if (c.removeAgain) {
            a.push({Null{}, 1, "c"}).op(Action::GetVariable).push({"setMask"});
            a.op(Action::CallMethod).op(Action::Trace);
        } else {
            CallOn(a, "c", "setMask", {"m"}).op(Action::Trace);
        }
        CallOn(a, "c", "hitTest", {true, 30, 20}).op(Action::Trace);
        CallOn(a, "c", "hitTest", {true, 30, 40}).op(Action::Trace);
        const Bytes movie = OneScriptMovie(a);
        EXPECT_EQ(RunMovie(movie).joined(), c.traces);
        const QImage image = RenderFrame(movie);
        EXPECT_PIXEL(image, 20, 30, c.left);
        EXPECT_PIXEL(image, 40, 30, c.middle);
        EXPECT_PIXEL(image, 70, 30, c.right);
    }
}
