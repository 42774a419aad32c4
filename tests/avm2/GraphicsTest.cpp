// Display objects that ActionScript 3 makes: drawn with Graphics, placed with addChild,
// measured and moved, seen through traces and pixels.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"
#include "support/MovieWriter.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;

// new <cls>() into a local.
void Make(AbcCode& code, std::uint32_t cls, std::uint32_t local) {
    code.nameOp(0x5d, cls).op(0x4a).u30(cls).u30(0).setLocal(local);
}

// local.graphics.<method>(numbers...)
void Draw(AbcCode& code, Names& n, std::uint32_t local, const std::string& method,
          std::initializer_list<double> args) {
    code.getLocal(local).nameOp(0x66, n("graphics"));
    for (double v : args) {
        code.pushDouble(v);
    }
    code.callProperty(0x4f, n(method), static_cast<std::uint32_t>(args.size()));
}

void SetNumber(AbcCode& code, Names& n, std::uint32_t local, const std::string& name, double v) {
    code.getLocal(local).pushDouble(v).nameOp(0x61, n(name));
}

void AddChild(AbcCode& code, Names& n, std::uint32_t parent, std::uint32_t child) {
    code.getLocal(parent).getLocal(child).callProperty(0x4f, n("addChild"), 1);
}

// What a movie traced and warned on its first frame, and that frame drawn.
struct Played : testing::ScriptRun {
    QImage image;
};

Played Play(const Bytes& movie) {
    return Played{{testing::RunMovie(movie)}, testing::RenderFrame(movie)};
}

// flash.text.TextField's name.
std::uint32_t TextFieldName(Names& n) {
    return n.abc.qname(n.abc.ns(0x16, "flash.text"), "TextField");
}

// s = new Shape() with a red 40 by 30 box at (10, 10) on its graphics.
void RedShape(AbcCode& code, Names& n, std::uint32_t local) {
    Make(code, n.display("Shape"), local);
    Draw(code, n, local, "beginFill", {0xff0000});
    Draw(code, n, local, "drawRect", {10, 10, 40, 30});
}

TEST(Avm2Graphics, AShapeAddedToTheStageIsDrawnWhereItsPropertiesSay) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1);
        SetNumber(code, n, 1, "x", 40); // set before it has a clip
        AddChild(code, n, 0, 1);
        code.getLocal(1).nameOp(0x66, n("width")).traceTop();
        code.getLocal(1).getLocal(0).callProperty(0x46, n("getBounds"), 1).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"40", "(x=50, y=10, w=40, h=30)"}));
    EXPECT_PIXEL(run.image, 60, 20, QColor(255, 0, 0));
    EXPECT_PIXEL(run.image, 20, 20, QColor(255, 255, 255));
}

// The root has a placement of its own: it moves what it holds, reads back in whole
// twips, and hitTestPoint takes points in its space; the stage measures it.
TEST(Avm2Graphics, TheRootIsPlacedOnTheStageLikeAnyObject) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1);
        AddChild(code, n, 0, 1);
        SetNumber(code, n, 0, "x", 30);
        SetNumber(code, n, 0, "y", 0.07);
        code.getLocal(0).nameOp(0x66, n("x")).traceTop();
        code.getLocal(0).nameOp(0x66, n("y")).traceTop();
        for (double x : {45, 75}) {
            code.getLocal(1).pushDouble(x).pushDouble(20).op(0x26); // pushtrue
            code.callProperty(0x46, n("hitTestPoint"), 3).traceTop();
        }
        code.getLocal(0).nameOp(0x66, n("stage")).nameOp(0x66, n("width")).traceTop();
    }));
    EXPECT_EQ(run.traces, (Lines{"30", "0.05", "true", "false", "40"}));
    EXPECT_PIXEL(run.image, 60, 25, QColor(255, 0, 0));
    EXPECT_PIXEL(run.image, 20, 25, QColor(255, 255, 255));
}

// A colour transform holds whenever it was set: before the object is on the stage, once
// it is, and across leaving the stage and coming back.
TEST(Avm2Graphics, ColorTransformsHoldOnAndOffTheStage) {
    enum class When { BeforeAdding, AfterAdding, BeforeReadding };
    for (const When when : {When::BeforeAdding, When::AfterAdding, When::BeforeReadding}) {
        const Played run = Play(DocumentMovie([when](AbcCode& code, Names& n) {
            RedShape(code, n, 1);
            // s.transform.colorTransform = new ColorTransform(0, 1, 1, 1, 0, 255, 0, 0)
            const auto setColor = [&] {
                const std::uint32_t cls = n.geom("ColorTransform");
                code.getLocal(1).nameOp(0x66, n("transform")).nameOp(0x5d, cls);
                for (const double v : {0, 1, 1, 1, 0, 255, 0, 0}) {
                    code.pushDouble(v);
                }
                code.op(0x4a).u30(cls).u30(8).nameOp(0x61, n("colorTransform"));
            };
            if (when != When::AfterAdding) {
                setColor();
            }
            AddChild(code, n, 0, 1);
            if (when == When::AfterAdding) {
                setColor();
            }
            if (when == When::BeforeReadding) {
                code.getLocal(0).getLocal(1).callProperty(0x4f, n("removeChild"), 1);
                AddChild(code, n, 0, 1);
            }
            code.getLocal(1).nameOp(0x66, n("transform")).nameOp(0x66, n("colorTransform"));
            code.nameOp(0x66, n("greenOffset")).traceTop();
        }));
        EXPECT_EQ(run.warnings, Lines{});
        EXPECT_EQ(run.traces, Lines{"255"});
        EXPECT_PIXEL(run.image, 20, 20, QColor(0, 255, 0));
        EXPECT_PIXEL(run.image, 5, 5, QColor(255, 255, 255));
    }
}

// blendMode takes the names BlendMode has and keeps them; anything else is refused.
TEST(Avm2Graphics, BlendModeTakesOnlyItsNames) {
    const struct {
        std::function<void(AbcCode&)> push;
        const char* error;
    } cases[] = {
        {[](AbcCode& c) { c.op(0x20); },
         "TypeError: Error #2007: Parameter blendMode must be non-null."},
        {[](AbcCode& c) { c.pushString("bogus"); },
         "ArgumentError: Error #2008: Parameter blendMode must be one of the accepted values."},
    };
    for (const auto& [push, error] : cases) {
        const Played run = Play(DocumentMovie([&push](AbcCode& code, Names& n) {
            for (const char* name : {"difference", "shader"}) {
                code.getLocal(0).pushString(name).nameOp(0x61, n("blendMode"));
                code.getLocal(0).nameOp(0x66, n("blendMode")).traceTop();
            }
            code.getLocal(0);
            push(code);
            code.nameOp(0x61, n("blendMode"));
            code.trace("not reached");
        }));
        EXPECT_EQ(run.traces, (Lines{"difference", "shader"}));
        ASSERT_EQ(run.warnings.size(), 1u);
        EXPECT_NE(run.warnings[0].find(error), std::string::npos) << run.warnings[0];
    }
}

// A matrix set before the object is on the stage keeps its flips and skew.
TEST(Avm2Graphics, MatricesSetOffTheStageKeepFlipsAndSkew) {
    struct Case {
        double a, b, c, d, tx;
        int redX, whiteX; // along the row y = 20
        const char* traced;
    };
    const Case cases[] = {
        {-1, 0, 0, 1, 100, 70, 20, "(a=-1, b=0, c=0, d=1, tx=100, ty=0)"},
        {1, 0, 1, 1, 0, 60, 25, "(a=1, b=0, c=1, d=1, tx=0, ty=0)"},
    };
    for (const Case& k : cases) {
        const Played run = Play(DocumentMovie([&k](AbcCode& code, Names& n) {
            RedShape(code, n, 1);
            const std::uint32_t cls = n.geom("Matrix");
            code.getLocal(1).nameOp(0x66, n("transform")).nameOp(0x5d, cls);
            for (const double v : {k.a, k.b, k.c, k.d, k.tx, 0.0}) {
                code.pushDouble(v);
            }
            code.op(0x4a).u30(cls).u30(6).nameOp(0x61, n("matrix"));
            AddChild(code, n, 0, 1);
            code.getLocal(1).nameOp(0x66, n("transform")).nameOp(0x66, n("matrix")).traceTop();
        }));
        EXPECT_EQ(run.traces, Lines{k.traced});
        EXPECT_PIXEL(run.image, k.redX, 20, QColor(255, 0, 0));
        EXPECT_PIXEL(run.image, k.whiteX, 20, QColor(255, 255, 255));
    }
}

// A Bitmap masking an object that is not cached as a bitmap masks with its rectangle,
// even where its pixels are transparent.
TEST(Avm2Graphics, ABitmapMaskCropsToItsRectangle) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1);
        const std::uint32_t data = n.display("BitmapData"), bitmap = n.display("Bitmap");
        code.nameOp(0x5d, bitmap).nameOp(0x5d, data).pushInt(20).pushInt(20).op(0x26);
        code.pushInt(0).op(0x4a).u30(data).u30(4).op(0x4a).u30(bitmap).u30(1).setLocal(2);
        AddChild(code, n, 0, 1);
        AddChild(code, n, 0, 2);
        code.getLocal(1).getLocal(2).nameOp(0x61, n("mask"));
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_PIXEL(run.image, 15, 15, QColor(255, 0, 0));
    EXPECT_PIXEL(run.image, 30, 20, QColor(255, 255, 255));
    EXPECT_PIXEL(run.image, 15, 25, QColor(255, 255, 255));
}

// drawPath's winding rule: where two contours running the same way overlap, the non-zero
// rule fills and the even-odd rule leaves a hole.
TEST(Avm2Graphics, DrawPathFillsByItsWindingRule) {
    for (const char* winding : {"nonZero", "evenOdd"}) {
        const Played run = Play(DocumentMovie([winding](AbcCode& code, Names& n) {
            Make(code, n.display("Shape"), 1);
            Draw(code, n, 1, "beginFill", {0xff0000});
            code.getLocal(1).nameOp(0x66, n("graphics"));
            for (int square = 0; square < 2; ++square) {
                code.pushInt(1).pushInt(2).pushInt(2).pushInt(2).pushInt(2);
            }
            code.op(0x56).u30(10);
            for (const int side : {10, 20}) { // two squares, both drawn clockwise
                const int far = 60 - side;
                for (const int v : {side, side, far, side, far, far, side, far, side, side}) {
                    code.pushInt(v);
                }
            }
            code.op(0x56).u30(20).pushString(winding);
            code.callProperty(0x4f, n("drawPath"), 3);
            AddChild(code, n, 0, 1);
        }));
        EXPECT_EQ(run.warnings, Lines{}) << winding;
        EXPECT_PIXEL(run.image, 15, 15, QColor(255, 0, 0));
        EXPECT_PIXEL(run.image, 30, 30,
                     std::string(winding) == "nonZero" ? QColor(255, 0, 0) : QColor(255, 255, 255));
    }
}

// A MovieClip made by a script from no symbol stands on no frame, on the stage or off
// it; the root stands on its first.
TEST(Avm2Graphics, AScriptMadeMovieClipStandsOnFrameZero) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        Make(code, n.display("MovieClip"), 1);
        code.getLocal(1).nameOp(0x66, n("currentFrame")).traceTop();
        AddChild(code, n, 0, 1);
        code.getLocal(1).nameOp(0x66, n("currentFrame")).traceTop();
        code.getLocal(0).nameOp(0x66, n("currentFrame")).traceTop();
    }));
    EXPECT_EQ(run.traces, (Lines{"0", "0", "1"}));
}

// The pointer settings start as the player's and read back as set, booleans as booleans;
// an object-typed setting reads undefined back as null.
TEST(Avm2Graphics, PointerSettingsReadBackAsSet) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        Make(code, n.display("Sprite"), 1);
        const char* names[] = {"mouseEnabled", "doubleClickEnabled", "mouseChildren", "buttonMode",
                               "useHandCursor"};
        for (const char* name : names) {
            code.getLocal(1).nameOp(0x66, n(name)).traceTop();
        }
        for (const char* name : names) {
            code.getLocal(1).pushInt(1).nameOp(0x61, n(name)); // 1 is stored as true
            code.getLocal(1).nameOp(0x66, n(name)).traceTop();
        }
        code.getLocal(1).op(0x21).nameOp(0x61, n("opaqueBackground"));
        code.getLocal(1).nameOp(0x66, n("opaqueBackground")).traceTop();
    }));
    EXPECT_EQ(run.traces, (Lines{"true", "false", "true", "false", "true", "true", "true", "true",
                                 "true", "true", "null"}));
}

TEST(Avm2Graphics, RemovedObjectsKeepTheirStateAndChildOrderIsDepthOrder) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1);
        Make(code, n.display("Sprite"), 2); // a blue box over the red one
        Draw(code, n, 2, "beginFill", {0x0000ff});
        Draw(code, n, 2, "drawRect", {30, 10, 40, 30});
        AddChild(code, n, 0, 1);
        AddChild(code, n, 0, 2);
        SetNumber(code, n, 2, "y", 20);
        code.getLocal(0).getLocal(2).callProperty(0x4f, n("removeChild"), 1);
        code.getLocal(2).nameOp(0x66, n("y")).traceTop();
        code.getLocal(0).getLocal(2).pushInt(0).callProperty(0x4f, n("addChildAt"), 2);
        code.getLocal(2).nameOp(0x66, n("y")).traceTop();
    }));
    EXPECT_EQ(run.traces, (Lines{"20", "20"}));
    // the blue box went under the red one, 20 pixels lower
    EXPECT_PIXEL(run.image, 40, 35, QColor(255, 0, 0));
    EXPECT_PIXEL(run.image, 60, 45, QColor(0, 0, 255));
}

TEST(Avm2Graphics, MatricesAndPointsFollowTheGeometryClasses) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        const std::uint32_t matrix = n.geom("Matrix");
        Make(code, matrix, 1);
        code.getLocal(1).pushDouble(100).pushDouble(50).pushDouble(0).pushDouble(10).pushDouble(20);
        code.callProperty(0x4f, n("createGradientBox"), 5);
        code.getLocal(1).nameOp(0x66, n("tx")).traceTop();
        code.getLocal(1).callProperty(0x4f, n("identity"), 0);
        code.getLocal(1).pushDouble(2).pushDouble(4).callProperty(0x4f, n("scale"), 2);
        code.getLocal(1).pushDouble(10).pushDouble(20).callProperty(0x4f, n("translate"), 2);
        code.getLocal(1).callProperty(0x4f, n("invert"), 0);
        code.getLocal(1).nameOp(0x66, n("ty")).traceTop();
        RedShape(code, n, 2);
        SetNumber(code, n, 2, "x", 5);
        AddChild(code, n, 0, 2);
        code.getLocal(2).nameOp(0x5d, n.geom("Point")).pushDouble(1).pushDouble(2);
        code.op(0x4a).u30(n.geom("Point")).u30(2);
        code.callProperty(0x46, n("localToGlobal"), 1).traceTop();
        code.getLocal(2).pushDouble(20).pushDouble(20).op(0x26); // true
        code.callProperty(0x46, n("hitTestPoint"), 3).traceTop();
        code.getLocal(2).pushDouble(80).pushDouble(20).op(0x26); // true
        code.callProperty(0x46, n("hitTestPoint"), 3).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"60", "-5", "(x=6, y=2)", "true", "false"}));
}

// new <geom class>(numbers...) on the stack.
void NewGeom(AbcCode& code, Names& n, const std::string& cls, std::initializer_list<double> args) {
    code.nameOp(0x5d, n.geom(cls));
    for (double v : args) {
        code.pushDouble(v);
    }
    code.op(0x4a).u30(n.geom(cls)).u30(static_cast<std::uint32_t>(args.size()));
}

TEST(Avm2Graphics, RectanglesCombineAndObjectsOffTheListMeasureTheirDrawing) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        NewGeom(code, n, "Rectangle", {10, 20, 30, 40});
        code.setLocal(1);
        code.getLocal(1);
        NewGeom(code, n, "Rectangle", {0, 0, 5, 5});
        code.callProperty(0x46, n("union"), 1).traceTop();
        code.getLocal(1);
        NewGeom(code, n, "Rectangle", {20, 30, 100, 100});
        code.callProperty(0x46, n("intersection"), 1).traceTop();
        code.getLocal(1).nameOp(0x66, n("right")).traceTop();
        code.getLocal(1).pushDouble(15).pushDouble(25).callProperty(0x46, n("contains"), 2);
        code.traceTop();
        // a circle never added: its size still counts, scaled by its own scale
        Make(code, n.display("Shape"), 2);
        Draw(code, n, 2, "beginFill", {0});
        Draw(code, n, 2, "drawCircle", {0, 0, 10});
        code.getLocal(2).nameOp(0x66, n("width")).traceTop();
        SetNumber(code, n, 2, "scaleX", 2);
        code.getLocal(2).nameOp(0x66, n("width")).traceTop();
        code.getLocal(2).pushDouble(15).pushDouble(0).op(0x26);
        code.callProperty(0x46, n("hitTestPoint"), 3).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"(x=0, y=0, w=40, h=60)", "(x=20, y=30, w=20, h=30)", "40", "true",
                                 "20", "40", "true"}));
}

// Point.distance and interpolate (f = 1 gives the first point); concat applies the other
// transform first; setting color keeps only offsets.
TEST(Avm2Graphics, PointsAndColorTransformsFollowTheirClasses) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        code.nameOp(0x60, n.geom("Point"));
        NewGeom(code, n, "Point", {0, 0});
        NewGeom(code, n, "Point", {3, 4});
        code.callProperty(0x46, n("distance"), 2).traceTop();
        code.nameOp(0x60, n.geom("Point"));
        NewGeom(code, n, "Point", {10, 0});
        NewGeom(code, n, "Point", {0, 0});
        code.pushDouble(0.25).callProperty(0x46, n("interpolate"), 3).traceTop();
        NewGeom(code, n, "ColorTransform", {0.5, 1, 1, 1, 10, 0, 0, 0});
        code.setLocal(1);
        code.getLocal(1);
        NewGeom(code, n, "ColorTransform", {1, 1, 1, 1, 20, 0, 0, 0});
        code.callProperty(0x4f, n("concat"), 1);
        code.getLocal(1).nameOp(0x66, n("redOffset")).traceTop();
        code.getLocal(1).pushDouble(0xff8000).nameOp(0x61, n("color"));
        code.getLocal(1).nameOp(0x66, n("color")).traceTop();
        code.getLocal(1).nameOp(0x66, n("redMultiplier")).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"5", "(x=2.5, y=0)", "20", "16744448", "0"}));
}

TEST(Avm2Graphics, ChildrenOfTheStageAreDrawnOverTheTimeline) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1);
        AddChild(code, n, 0, 1);
        Make(code, n.display("Shape"), 2); // green, on the stage itself
        Draw(code, n, 2, "beginFill", {0x00ff00});
        Draw(code, n, 2, "drawRect", {0, 0, 30, 30});
        code.getLocal(0).nameOp(0x66, n("stage")).getLocal(2);
        code.callProperty(0x4f, n("addChild"), 1);
    }));
    EXPECT_PIXEL(run.image, 20, 20, QColor(0, 255, 0));
    EXPECT_PIXEL(run.image, 40, 30, QColor(255, 0, 0));
}

TEST(Avm2Graphics, ATextFieldsWidthAndHeightResizeItsBoxNotItsText) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        const std::uint32_t field = TextFieldName(n);
        code.nameOp(0x5d, field).op(0x4a).u30(field).u30(0).setLocal(1);
        code.getLocal(1).pushString("Hi").nameOp(0x61, n("text"));
        AddChild(code, n, 0, 1);
        SetNumber(code, n, 1, "width", 50);
        SetNumber(code, n, 1, "height", 300);
        for (const char* name : {"width", "height", "scaleX", "scaleY"}) {
            code.getLocal(1).nameOp(0x66, n(name)).traceTop();
        }
        // a field that fits its text takes its own height again
        code.getLocal(1).pushString("left").nameOp(0x61, n("autoSize"));
        code.getLocal(1).nameOp(0x66, n("height")).pushDouble(100).op(0xad).traceTop(); // <
        code.getLocal(1).nameOp(0x66, n("scaleY")).traceTop();
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"50", "300", "1", "1", "true", "1"}));
}

TEST(Avm2Graphics, SizingAnObjectOffTheListScalesIt) {
    const Played run = Play(DocumentMovie([](AbcCode& code, Names& n) {
        RedShape(code, n, 1); // 40 by 30 at (10, 10)
        SetNumber(code, n, 1, "width", 80);
        SetNumber(code, n, 1, "height", 15);
        code.getLocal(1).nameOp(0x66, n("scaleX")).traceTop();
        code.getLocal(1).nameOp(0x66, n("scaleY")).traceTop();
        code.getLocal(1).nameOp(0x66, n("width")).traceTop();
        AddChild(code, n, 0, 1);
    }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"2", "0.5", "80"}));
    EXPECT_PIXEL(run.image, 85, 7, QColor(255, 0, 0)); // from (20, 5) to (100, 20)
    EXPECT_PIXEL(run.image, 85, 25, QColor(255, 255, 255));
}

} // namespace
} // namespace quillon::test
