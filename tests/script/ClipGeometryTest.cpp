// Where clips stand as scripts see them: the main timeline's own placement, positions
// kept in whole twips, getBounds and hitTest with the targets they take.

#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"
#include "support/MovieWriter.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace quillon::testing;

namespace {

// c: a red 50 by 40 pixel box at (10, 10) that a script drew, without a line.
void RedClip(ActionAssembler& a) {
    CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    CallOn(a, "c", "beginFill", {100, 0xff0000}).op(Action::Pop);
    DrawBox(a, "c", 10, 10, 60, 50);
    CallOn(a, "c", "endFill", {}).op(Action::Pop);
}

void SetMember(ActionAssembler& a, const std::string& object, const std::string& member,
               const PushValue& value) {
    a.push({object}).op(Action::GetVariable).push({member, value}).op(Action::SetMember);
}

// trace(object.getBounds(args...).xMin), or trace of the answer itself when asked for.
void TraceBoundsLeft(ActionAssembler& a, const std::string& object,
                     std::initializer_list<PushValue> args, bool whole = false) {
    CallOn(a, object, "getBounds", args);
    if (!whole) {
        a.push({"xMin"}).op(Action::GetMember);
    }
    a.op(Action::Trace);
}

} // namespace

TEST(ClipGeometry, TheMainTimelineMovesScalesAndReadsBackItsPlacement) {
    ActionAssembler a;
    RedClip(a);
    SetMember(a, "_root", "_x", 30);
    SetMember(a, "_root", "_y", 5);
    SetMember(a, "_root", "_xscale", 50);
    SetMember(a, "_root", "_yscale", 200);
    for (const char* property : {"_x", "_y", "_xscale", "_yscale"}) {
        TraceMember(a, "_root", property);
    }
    // a child's point reaches the stage through the main timeline's placement
    a.push({"y", 20, "x", 20, 2}).op(Action::InitObject).storeRegister(1).op(Action::Pop);
    CallOn(a, "c", "localToGlobal", {Register{1}}).op(Action::Pop);
    a.push({Register{1}}).push({"x"}).op(Action::GetMember).op(Action::Trace);
    a.push({Register{1}}).push({"y"}).op(Action::GetMember).op(Action::Trace);
    // bounds in the main timeline's own space stay as they were, and so do hitTest points
    TraceBoundsLeft(a, "c", {"_root"});
    CallOn(a, "c", "hitTest", {true, 30, 20}).op(Action::Trace); // y, x: last first
    CallOn(a, "c", "hitTest", {true, 30, 70}).op(Action::Trace);
    const Bytes movie = OneScriptMovie(a);
    EXPECT_EQ(RunMovie(movie).joined(), "30\n5\n50\n200\n40\n45\n10\ntrue\nfalse\n");
    // the box now spans x 35..60 and y 25..105 on the stage
    const QImage image = RenderFrame(movie);
    EXPECT_PIXEL(image, 45, 60, QColor(255, 0, 0));
    EXPECT_PIXEL(image, 20, 60, QColor(255, 255, 255));
    EXPECT_PIXEL(image, 45, 15, QColor(255, 255, 255));
}

// Each look property of the main timeline reaches the drawing.
TEST(ClipGeometry, TheMainTimelinesAlphaAndVisibilityReachTheDrawing) {
    struct Case {
        const char* property;
        PushValue value;
        QColor inside;
    };
    const Case cases[] = {
        {"_alpha", 50, QColor(255, 127, 127)},
        {"_visible", false, QColor(255, 255, 255)},
        {"_rotation", 90, QColor(255, 255, 255)}, // turned off the stage to the left
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        RedClip(a);
        SetMember(a, "_root", c.property, c.value);
        const QImage image = RenderFrame(OneScriptMovie(a));
        EXPECT_TRUE(PixelIs(image, 30, 30, c.inside, 10)) << c.property;
    }
}

// Positions and looks read back as the player keeps them: positions in whole twips cut
// toward zero (endless ones the lowest there is), alpha in 256ths, scales and turns as
// given (signs kept, turns within half a turn); no number changes nothing.
TEST(ClipGeometry, PropertiesReadBackAsThePlayerKeepsThem) {
    const double endless = std::numeric_limits<double>::infinity();
    struct Case {
        const char* property;
        PushValue before, value;
        const char* reads;
    };
    const Case cases[] = {
        {"_x", 3, 0.07, "0.05"},
        {"_y", 3, -12.34, "-12.3"},
        {"_x", 3, -endless, "-107374182.4"},
        {"_y", 3, 1e12, "-107374182.4"},
        {"_x", 3, std::nan(""), "3"},
        {"_alpha", 100, 2, "1.953125"},
        {"_alpha", 100, endless, "0"},
        {"_xscale", 100, -5, "-5"},
        {"_yscale", 100, endless, "Infinity"},
        {"_rotation", 0, 370, "10"},
        {"_rotation", 0, endless, "NaN"},
        {"_visible", false, "abc", "false"},
        {"_x", 3, Undefined{}, "3"},
        {"_xscale", 50, Null{}, "50"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        RedClip(a);
        SetMember(a, "c", c.property, c.before);
        SetMember(a, "c", c.property, c.value);
        TraceMember(a, "c", c.property);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 6)).joined(), std::string(c.reads) + "\n")
            << c.property << " then " << c.reads;
    }
}

// getBounds takes a clip or a target path for its space; anything naming no clip gets
// no answer, and a clip that covers nothing answers the far corner of twips.
TEST(ClipGeometry, GetBoundsTakesTargetsAndReportsEmptyClips) {
    ActionAssembler a;
    RedClip(a);
    SetMember(a, "c", "_x", 7);
    TraceBoundsLeft(a, "c", {});
    TraceBoundsLeft(a, "c", {"/"});
    TraceBoundsLeft(a, "c", {"../c"});
    TraceBoundsLeft(a, "c", {Undefined{}}, true);
    TraceBoundsLeft(a, "c", {""}, true);
    TraceBoundsLeft(a, "c", {"nowhere"}, true);
    CallOn(a, "_root", "createEmptyMovieClip", {2, "e"}).op(Action::Pop);
    TraceBoundsLeft(a, "e", {});
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 7)).joined(),
              "10\n17\n10\nundefined\nundefined\nundefined\n6710886.35\n");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).traces.back(), "6710886.4");
}

// hitTest with a clip compares bounds; a path is read from the clip asked, and the
// empty path names nothing.
TEST(ClipGeometry, HitTestWithATargetReadsPathsFromTheClip) {
    ActionAssembler a;
    RedClip(a);
    CallOn(a, "c", "duplicateMovieClip", {2, "d"}).op(Action::Pop);
    CallOn(a, "c", "hitTest", {"../d"}).op(Action::Trace);
    CallOn(a, "c", "hitTest", {"_root.d"}).op(Action::Trace);
    CallOn(a, "c", "hitTest", {""}).op(Action::Trace);
    SetMember(a, "d", "_x", 60);
    CallOn(a, "c", "hitTest", {"../d"}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "true\ntrue\nfalse\nfalse\n");
}

// With shapeFlag a shape's lines count as well as its fills.
TEST(ClipGeometry, ShapeHitTestsCountLines) {
    MovieWriter movie(100, 100, 12, 8);
    ShapeBuilder line;
    line.setLine(line.addLineStyle(200, {0, 0, 0}));
    line.moveTo(200, 1000);
    line.lineTo(1800, 1000);
    const std::uint16_t shape = movie.defineShape(line);
    TagStream sprite;
    sprite.place(Place{1, shape});
    sprite.showFrame();
    const std::uint16_t clip = movie.defineSprite(sprite);
    Place placed{1, clip};
    placed.name = "s";
    movie.place(placed);
    ActionAssembler a;
    CallOn(a, "s", "hitTest", {true, 50, 50}).op(Action::Trace);
    CallOn(a, "s", "hitTest", {true, 54, 50}).op(Action::Trace); // y, x: last first
    CallOn(a, "s", "hitTest", {true, 60, 50}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "true\ntrue\nfalse\n");
}

// _xmouse and _ymouse: the pointer in a clip's own space, through the main timeline's
// placement; nothing moves them while the pointer is away.
TEST(ClipGeometry, ThePointerIsReadInEachClipsSpace) {
    MovieWriter movie(100, 100, 12, 8);
    ActionAssembler first, second;
    SetMember(first, "_root", "_x", 40);
    CallOn(first, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    SetMember(first, "c", "_xscale", 200);
    TraceMember(first, "_root", "_xmouse");
    for (const char* clip : {"_root", "c"}) {
        TraceMember(second, clip, "_xmouse");
        TraceMember(second, clip, "_ymouse");
    }
    movie.doAction(first.block());
    movie.showFrame();
    movie.doAction(second.block());
    movie.showFrame();
    ScriptRun run;
    quillon::engine::MovieEngine engine;
    quillon::engine::ScriptOptions options;
    options.trace = [&run](const std::string& line) { run.traces.push_back(line); };
    engine.setScriptOptions(options);
    engine.loadBytes(movie.bytes());
    engine.pointerMoved(QPointF(1000, 600)); // (50, 30) on the stage
    engine.advance();
    EXPECT_EQ(run.joined(), "0\n10\n30\n5\n30\n");
}

// With shapeFlag, what a mask layer inside a clip crops away is not hit.
TEST(ClipGeometry, ShapeHitTestsKeepToMaskLayers) {
    MovieWriter movie(100, 100, 12, 8);
    const std::uint16_t mask = movie.defineRectangle(0, 0, 400, 400, {0, 0, 0});
    const std::uint16_t box = movie.defineRectangle(0, 0, 1600, 1600, {255, 0, 0});
    TagStream sprite;
    Place layer{1, mask};
    layer.clipDepth = 2;
    sprite.place(layer);
    sprite.place(Place{2, box});
    sprite.showFrame();
    Place placed{1, movie.defineSprite(sprite)};
    placed.name = "s";
    movie.place(placed);
    ActionAssembler a;
    CallOn(a, "s", "hitTest", {true, 10, 10}).op(Action::Trace);
    CallOn(a, "s", "hitTest", {true, 50, 50}).op(Action::Trace);
    CallOn(a, "s", "hitTest", {false, 50, 50}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "true\nfalse\ntrue\n");
}

// A field's border is a one-pixel frame on whole pixels: turning the field a hair (itself or
// through its parent) neither breaks its corners nor moves a side by a pixel.
TEST(ClipGeometry, FieldBordersStayOnWholePixelsWhenTurnedAHair) {
    const QColor magenta(255, 0, 255), white(255, 255, 255);
    const double rotations[] = {0, 0.0001, 0.01, 0.2, 0.3};
    for (const double rotation : rotations) {
        for (const bool turnParent : {false, true}) {
            ActionAssembler a;
            CallOn(a, "_root", "createEmptyMovieClip", {1, "m"}).op(Action::Pop);
            CallOn(a, "m", "createTextField", {10, 10, 30, 30, 1, "f"}).op(Action::Pop);
            a.push({"m"}).op(Action::GetVariable).push({"f"}).op(Action::GetMember);
            a.storeRegister(1).op(Action::Pop);
            a.push({Register{1}, "border", true}).op(Action::SetMember);
            a.push({Register{1}, "borderColor", 0xff00ff}).op(Action::SetMember);
            if (turnParent) {
                SetMember(a, "m", "_rotation", rotation);
            } else {
                a.push({Register{1}, "_rotation", rotation}).op(Action::SetMember);
            }
            const QImage image = RenderFrame(OneScriptMovie(a));
            SCOPED_TRACE("rotation " + std::to_string(rotation) + (turnParent ? " of parent" : ""));
            for (const int along : {30, 35, 40}) {
                EXPECT_PIXEL(image, 30, along, magenta); // left side
                EXPECT_PIXEL(image, 40, along, magenta); // right side
                EXPECT_PIXEL(image, along, 30, magenta); // top
                EXPECT_PIXEL(image, along, 40, magenta); // bottom
            }
            EXPECT_PIXEL(image, 29, 35, white);
            EXPECT_PIXEL(image, 31, 35, white);
            EXPECT_PIXEL(image, 35, 29, white);
            EXPECT_PIXEL(image, 35, 41, white);
        }
    }
}

// Between pixels, a border keeps to the pixel its corner lies in, unless the corner is
// within a quarter pixel of the next one.
TEST(ClipGeometry, FieldBordersBetweenPixelsKeepToThePixelTheyLieIn) {
    const QColor magenta(255, 0, 255), white(255, 255, 255);
    for (const double x : {30.0, 30.6, 29.85}) {
        ActionAssembler a;
        CallOn(a, "_root", "createTextField", {10, 10, 30, 0, 1, "f"}).op(Action::Pop);
        a.push({"f"}).op(Action::GetVariable).storeRegister(1).op(Action::Pop);
        a.push({Register{1}, "_x", x}).op(Action::SetMember);
        a.push({Register{1}, "border", true}).op(Action::SetMember);
        a.push({Register{1}, "borderColor", 0xff00ff}).op(Action::SetMember);
        const QImage image = RenderFrame(OneScriptMovie(a));
        SCOPED_TRACE("x " + std::to_string(x));
        EXPECT_PIXEL(image, 30, 35, magenta);
        EXPECT_PIXEL(image, 40, 35, magenta);
        EXPECT_PIXEL(image, 29, 35, white);
        EXPECT_PIXEL(image, 31, 35, white);
        EXPECT_PIXEL(image, 41, 35, white);
    }
}

// Matrices keep their shift in whole twips, an inverted one and each step of a chain
// alike, so points carried through a turned, shrunk parent land a twip off from exact.
TEST(ClipGeometry, ChainedAndInvertedMatricesShiftByWholeTwips) {
    MovieWriter movie(400, 400);
    TagStream empty;
    empty.showFrame();
    TagStream holder;
    Place innerPlace(1, movie.defineSprite(empty));
    innerPlace.name = "inner";
    holder.place(innerPlace.at(4000, 4000));
    holder.showFrame();
    Place outerPlace(1, movie.defineSprite(holder));
    outerPlace.name = "outer";
    // about a quarter size, turned by some 25 degrees
    outerPlace.matrix =
        Matrix{14849 / 65536.0, 6924 / 65536.0, -6924 / 65536.0, 14849 / 65536.0, 4000, 4000};
    movie.place(outerPlace);
    ActionAssembler a;
    const auto tracePoint = [&a] {
        a.push({"p"}).op(Action::GetVariable).push({"x"}).op(Action::GetMember).op(Action::Trace);
        a.push({"p"}).op(Action::GetVariable).push({"y"}).op(Action::GetMember).op(Action::Trace);
    };
    a.push({"p", "x", 225.4, "y", 269.75, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"p"}).op(Action::GetVariable).push({1, "outer"}).op(Action::GetVariable);
    a.push({"globalToLocal"}).op(Action::CallMethod).op(Action::Pop);
    tracePoint();
    a.push({"_root"}).op(Action::GetVariable).push({"_x", -10}).op(Action::SetMember);
    a.push({"_root"}).op(Action::GetVariable).push({"_rotation", 5}).op(Action::SetMember);
    a.push({"p", "x", -10, "y", -10, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"p"}).op(Action::GetVariable).push({1, "outer"}).op(Action::GetVariable);
    a.push({"inner"}).op(Action::GetMember).push({"localToGlobal"}).op(Action::CallMethod);
    a.op(Action::Pop);
    tracePoint();
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "210\n209.95\n189.2\n281.6\n");
}

// pixelBounds is on the stage: the main timeline's own placement moves it too.
TEST(ClipGeometry, PixelBoundsTakeTheMainTimelinesPlacement) {
    ActionAssembler a;
    RedClip(a);
    SetMember(a, "_root", "_x", 30);
    a.push({"c"}).op(Action::GetVariable).push({"transform"}).op(Action::GetMember);
    a.push({"pixelBounds"}).op(Action::GetMember).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "(x=40, y=10, w=50, h=40)\n");
}
