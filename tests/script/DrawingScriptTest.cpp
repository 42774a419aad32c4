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
    DrawBox(a, "c", 10, 10, 60, 50);
    CallOn(a, "c", "endFill", {}).op(Action::Pop);
}

// c.beginGradientFill("linear", [red, blue], [100, 100], [0, lastRatio], box of 0,0,100,100),
// with "pad", "RGB", 0 and "more" after the box as far as `more` asks.
void RedToBlueBoxGradient(ActionAssembler& a, int lastRatio, int more = 0) {
    const PushValue after[] = {"more", 0, "RGB", "pad"};
    for (int i = 4 - more; i < 4; ++i) {
        a.push({after[i]});
    }
    a.push({"r", 0, "h", 100, "w", 100, "y", 0, "x", 0, "matrixType", "box", 6})
        .op(Action::InitObject)
        .push({lastRatio, 0, 2})
        .op(Action::InitArray)
        .push({100, 100, 2})
        .op(Action::InitArray)
        .push({0x0000ff, 0xff0000, 2})
        .op(Action::InitArray)
        .push({"linear", 5 + more, "c"})
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
// fill before them ends and nothing is filled. A call with more arguments than the eight
// the method takes is refused as well.
TEST(DrawingScript, BadGradientListsFillNothing) {
    struct Case {
        int lastRatio, more;
        bool filled;
    };
    for (const Case& k :
         {Case{256, 0, false}, Case{-1, 0, false}, Case{255, 3, true}, Case{255, 4, false}}) {
        ActionAssembler a;
        MakeClip(a);
        RedToBlueBoxGradient(a, k.lastRatio, k.more);
        CallOn(a, "c", "lineTo", {0, 100}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {100, 100}).op(Action::Pop);
        const QImage image = RenderFrame(OneScriptMovie(a));
        EXPECT_EQ(PixelIs(image, 70, 50, QColor(255, 255, 255)), !k.filled)
            << k.lastRatio << " " << k.more << ": " << Describe(image, 70, 50);
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
        PushValue mask; // a number names the clip _root holds under it
        bool removeAgain;
        QColor left, middle, right;
        const char* traces;
    };
    const QColor red(255, 0, 0), white(255, 255, 255);
    const Case cases[] = {
        {"m", false, white, red, white, "true\nfalse\ntrue\n"},
        {7, false, white, red, white, "true\nfalse\ntrue\n"},
        {"m", true, red, QColor(0, 0, 255), QColor(0, 0, 255), "true\ntrue\ntrue\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        FilledClip(a, "c", 1, 0xff0000, 10, 10, 50, 60);
        FilledClip(a, "m", 2, 0x0000ff, 30, 0, 90, 100);
        a.push({"_root"}).op(Action::GetVariable).push({"7", "m"}).op(Action::GetVariable);
        a.op(Action::SetMember);
        CallOn(a, "c", "setMask", {c.mask}).op(Action::Pop);
        if (c.removeAgain) {
            a.push({Null{}, 1, "c"}).op(Action::GetVariable).push({"setMask"});
            a.op(Action::CallMethod).op(Action::Trace);
        } else {
            CallOn(a, "c", "setMask", {c.mask}).op(Action::Trace);
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

namespace {

// c.scrollRect = new flash.geom.Rectangle(x, y, width, height)
void SetScrollRect(ActionAssembler& a, int x, int y, int width, int height) {
    a.push({"c"}).op(Action::GetVariable).push({"scrollRect"});
    a.push({height, width, y, x, 4, "flash"}).op(Action::GetVariable).push({"geom"});
    a.op(Action::GetMember).push({"Rectangle"}).op(Action::NewMethod).op(Action::SetMember);
}

void SetMember(ActionAssembler& a, const std::string& object, const std::string& member,
               const PushValue& value) {
    a.push({object}).op(Action::GetVariable).push({member, value}).op(Action::SetMember);
}

} // namespace

TEST(DrawingScript, ScrollRectCropsAndMovesTheClipAndReadsBack) {
    struct Case {
        bool crop, thenRemove;
        QColor at15, at35, at55; // the clip is red from (10,10) to (60,60)
        const char* traces;
    };
    const QColor red(255, 0, 0), white(255, 255, 255);
    const Case cases[] = {
        {false, false, red, red, red, "undefined\n"},
        // the 20x20 window from (20,20) of the clip shows at its origin
        {true, false, red, white, white, "(x=20, y=20, w=20, h=20)\n"},
        {true, true, red, red, red, "undefined\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        FilledClip(a, "c", 1, 0xff0000, 10, 10, 60, 60);
        if (c.crop) {
            SetScrollRect(a, 20, 20, 20, 20);
        }
        if (c.thenRemove) {
            SetMember(a, "c", "scrollRect", Undefined{});
        }
        TraceMember(a, "c", "scrollRect");
        const Bytes movie = OneScriptMovie(a);
        EXPECT_EQ(RunMovie(movie).joined(), c.traces);
        const QImage image = RenderFrame(movie);
        EXPECT_PIXEL(image, 15, 15, c.at15);
        EXPECT_PIXEL(image, 35, 35, c.at35);
        EXPECT_PIXEL(image, 55, 55, c.at55);
    }
}

TEST(DrawingScript, OpaqueBackgroundFillsTheClipBoundsBeneathItsDrawing) {
    struct Case {
        PushValue value;
        QColor between;
        const char* traces;
    };
    const QColor green(0, 255, 0), white(255, 255, 255);
    const Case cases[] = {
        {0x00ff00, green, "65280\n"},
        {Null{}, white, "null\n"},
        {"green", white, "null\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        // two red squares, (10,10)-(20,20) and (50,50)-(60,60), in one clip
        FilledClip(a, "c", 1, 0xff0000, 10, 10, 20, 20);
        CallOn(a, "c", "beginFill", {100, 0xff0000}).op(Action::Pop);
        CallOn(a, "c", "moveTo", {50, 50}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {50, 60}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {60, 60}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {60, 50}).op(Action::Pop);
        CallOn(a, "c", "endFill", {}).op(Action::Pop);
        SetMember(a, "c", "opaqueBackground", 0x0000ff);
        SetMember(a, "c", "opaqueBackground", c.value);
        TraceMember(a, "c", "opaqueBackground");
        const Bytes movie = OneScriptMovie(a);
        EXPECT_EQ(RunMovie(movie).joined(), c.traces);
        const QImage image = RenderFrame(movie);
        EXPECT_PIXEL(image, 15, 15, QColor(255, 0, 0));
        EXPECT_PIXEL(image, 35, 35, c.between);
        EXPECT_PIXEL(image, 80, 80, white);
    }
}

TEST(DrawingScript, AGradientOfAnUnknownKindKeepsTheFillButNoKindEndsIt) {
    struct Case {
        PushValue kind;
        QColor inside;
    };
    const QColor red(255, 0, 0), white(255, 255, 255);
    const Case cases[] = {{Null{}, red}, {"conic", red}, {Undefined{}, white}};
    for (const Case& c : cases) {
        ActionAssembler a;
        MakeClip(a);
        CallOn(a, "c", "beginFill", {100, 0xff0000}).op(Action::Pop);
        CallOn(a, "c", "beginGradientFill", {Null{}, Null{}, Null{}, Null{}, c.kind})
            .op(Action::Pop);
        CallOn(a, "c", "moveTo", {10, 10}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {10, 60}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {60, 60}).op(Action::Pop);
        CallOn(a, "c", "lineTo", {60, 10}).op(Action::Pop);
        CallOn(a, "c", "endFill", {}).op(Action::Pop);
        const QImage image = RenderFrame(OneScriptMovie(a));
        EXPECT_PIXEL(image, 30, 30, c.inside);
    }
}

TEST(DrawingScript, AMaskWithAScrollRectIsMovedButNotCropped) {
    ActionAssembler a;
    FilledClip(a, "c", 1, 0xff0000, 0, 0, 100, 100);
    FilledClip(a, "m", 2, 0x0000ff, 40, 40, 80, 80);
    a.push({"m"}).op(Action::GetVariable).push({"scrollRect"});
    a.push({10, 10, 20, 20, 4, "flash"}).op(Action::GetVariable).push({"geom"});
    a.op(Action::GetMember).push({"Rectangle"}).op(Action::NewMethod).op(Action::SetMember);
    CallOn(a, "c", "setMask", {"m"}).op(Action::Pop);
    const QImage image = RenderFrame(OneScriptMovie(a));
    const struct {
        int x, y;
        QColor color;
        const char* why;
    } spots[] = {
        {25, 25, QColor(255, 0, 0), "the mask moved up and left by the rectangle's corner"},
        {50, 50, QColor(255, 0, 0), "beyond the rectangle's size the mask still shows"},
        {70, 70, QColor(255, 255, 255), "where the mask stood before it moved"},
        {5, 5, QColor(255, 255, 255), "outside the moved mask"},
    };
    for (const auto& spot : spots) {
        SCOPED_TRACE(spot.why);
        EXPECT_PIXEL(image, spot.x, spot.y, spot.color);
    }
}

TEST(DrawingScript, AMaskCropsByItsAlphaWhenBothAreCachedAsBitmaps) {
    struct Case {
        bool clipCached, maskCached;
        QColor middle;
    };
    const QColor red(255, 0, 0), halfRed(255, 128, 128);
    const Case cases[] = {
        {true, true, halfRed}, // the half-transparent mask lets half the clip through
        {true, false, red},    // otherwise its outline crops
        {false, true, red},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        FilledClip(a, "c", 1, 0xff0000, 10, 10, 50, 60);
        FilledClip(a, "m", 2, 0x0000ff, 30, 0, 90, 100);
        SetMember(a, "m", "_alpha", 50);
        SetMember(a, "c", "cacheAsBitmap", c.clipCached);
        SetMember(a, "m", "cacheAsBitmap", c.maskCached);
        CallOn(a, "c", "setMask", {"m"}).op(Action::Pop);
        const QImage image = RenderFrame(OneScriptMovie(a));
        EXPECT_TRUE(PixelIs(image, 40, 30, c.middle, 2))
            << c.clipCached << c.maskCached << " " << Describe(image, 40, 30);
        EXPECT_PIXEL(image, 20, 30, QColor(255, 255, 255)); // outside the mask
        EXPECT_PIXEL(image, 70, 30, QColor(255, 255, 255)); // the mask is not drawn
    }
}
