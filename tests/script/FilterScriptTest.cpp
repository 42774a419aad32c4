// ActionScript 1/2 filters, geometry and transforms seen through what scripts trace and
// the pixels of clips they filter.

#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// name = new flash.<package>.<cls>(args)
void Make(ActionAssembler& a, const std::string& name, const std::string& package,
          const std::string& cls, std::initializer_list<PushValue> argsLastFirst) {
    a.push({name});
    New(a, package, cls, argsLastFirst).op(Action::SetVariable);
}

void Trace(ActionAssembler& a, const std::string& object, const std::string& member) {
    a.push({object}).op(Action::GetVariable).push({member}).op(Action::GetMember).op(Action::Trace);
}

void SetMember(ActionAssembler& a, const std::string& object, const std::string& member,
               PushValue value) {
    a.push({object}).op(Action::GetVariable).push({member, value}).op(Action::SetMember);
}

void TraceVariable(ActionAssembler& a, const std::string& name) {
    a.push({name}).op(Action::GetVariable).op(Action::Trace);
}

// c = a clip with a red 20 by 20 pixel box at (40, 40).
void RedBoxClip(ActionAssembler& a) {
    CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    CallOn(a, "c", "beginFill", {100, 0xff0000}).op(Action::Pop);
    DrawBox(a, "c", 40, 40, 60, 60);
    CallOn(a, "c", "endFill", {}).op(Action::Pop);
}

// c.filters = [the object in variable f]
void SetFilters(ActionAssembler& a, const std::string& filter) {
    a.push({"c"}).op(Action::GetVariable).push({"filters", filter}).op(Action::GetVariable);
    a.push({1}).op(Action::InitArray).op(Action::SetMember);
}

} // namespace

TEST(FilterScript, FilterPropertiesAreHeldAsThePlayerHoldsThem) {
    ActionAssembler a;
    Make(a, "f", "filters", "BevelFilter", {});
    Trace(a, "f", "distance");
    Trace(a, "f", "type");
    SetMember(a, "f", "angle", 366);
    Trace(a, "f", "angle");
    SetMember(a, "f", "shadowAlpha", 0.5);
    Trace(a, "f", "shadowAlpha");
    SetMember(a, "f", "quality", 100);
    Trace(a, "f", "quality");
    SetMember(a, "f", "type", "sideways");
    Trace(a, "f", "type");
    Make(a, "g", "filters", "GlowFilter", {300, 0.25, 0x123456});
    Trace(a, "g", "color");
    Trace(a, "g", "alpha");
    Trace(a, "g", "blurX");
    Trace(a, "g", "blurY");
    // clones are new objects with the same settings
    CallOn(a, "g", "clone", {}).push({"color"}).op(Action::GetMember).op(Action::Trace);
    CallOn(a, "g", "clone", {}).push({"g"}).op(Action::GetVariable).op(Action::Equals2);
    a.op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "4\ninner\n6\n0.498039215686275\n15\nfull\n1193046\n0.247058823529412\n255\n6\n"
              "1193046\nfalse\n");
}

// A for-in lists a filter's properties in the player's own order (not the constructor's),
// clone at the end; the names are joined last to first as the loop finds them.
TEST(FilterScript, ForInListsThePropertiesInThePlayersOrder) {
    ActionAssembler a;
    Make(a, "g", "filters", "GlowFilter", {});
    a.set("names", "");
    a.push({"g"}).op(Action::GetVariable).op(Action::Enumerate2).label("loop");
    a.storeRegister(0).push({Null{}}).op(Action::Equals2).ifTrue("end");
    a.push({"names", Register{0}, " "}).op(Action::Add2);
    a.push({"names"}).op(Action::GetVariable).op(Action::Add2).op(Action::SetVariable);
    a.jump("loop").label("end");
    a.traceVariable("names");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "color alpha quality inner knockout blurX blurY strength clone \n");
}

// Constructing a filter again converts the arguments but keeps the first settings.
TEST(FilterScript, ASecondConstructionKeepsTheFirstSettings) {
    ActionAssembler a;
    Make(a, "f", "filters", "BlurFilter", {2, 20, 10});
    a.push({2, 30, 40, 3, "f"}).op(Action::GetVariable).push({"flash"}).op(Action::GetVariable);
    a.push({"filters"}).op(Action::GetMember).push({"BlurFilter"}).op(Action::GetMember);
    a.push({"call"}).op(Action::CallMethod).op(Action::Pop);
    Trace(a, "f", "blurX");
    Trace(a, "f", "quality");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "10\n2\n");
}

TEST(FilterScript, GeometryPrintsAsThePlayerPrintsIt) {
    ActionAssembler a;
    New(a, "geom", "Rectangle", {4, 3, 2, 1}).op(Action::Trace);
    Make(a, "m", "geom", "Matrix", {});
    CallOn(a, "m", "translate", {6, 5}).op(Action::Pop);
    CallOn(a, "m", "scale", {3, 2}).op(Action::Pop);
    TraceVariable(a, "m");
    New(a, "geom", "ColorTransform", {}).op(Action::Trace);
    Make(a, "p", "geom", "Point", {2, 1});
    New(a, "geom", "Point", {20, 10});
    a.push({1, "p"}).op(Action::GetVariable).push({"add"}).op(Action::CallMethod).op(Action::Trace);
    // the fields hold what scripts store, and edges add as the language adds
    Make(a, "r", "geom", "Rectangle", {"h", "w", "y", "x"});
    Trace(a, "r", "right");
    Trace(a, "r", "bottomRight");
    Make(a, "e", "geom", "Rectangle", {});
    CallOn(a, "e", "isEmpty", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(),
              "(x=1, y=2, w=3, h=4)\n(a=2, b=0, c=0, d=3, tx=10, ty=18)\n"
              "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
              "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)\n"
              "(x=11, y=22)\nxw\n(x=xw, y=yh)\ntrue\n");
}

TEST(FilterScript, PackagesAreHiddenFromOlderMovies) {
    ActionAssembler a;
    a.push({"flash"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 7)).joined(), "undefined\n");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "object\n");
}

TEST(FilterScript, AClipsFiltersAreCopiesBothWays) {
    ActionAssembler a;
    RedBoxClip(a);
    Make(a, "f", "filters", "BlurFilter", {1, 300, 2});
    SetFilters(a, "f");
    SetMember(a, "f", "blurX", 9); // the clip keeps its own copy
    a.push({"got"}).push({"c"}).op(Action::GetVariable).push({"filters"}).op(Action::GetMember);
    a.op(Action::SetVariable);
    Trace(a, "got", "length");
    a.push({"got"}).op(Action::GetVariable).push({0}).op(Action::GetMember).push({"blurX"});
    a.op(Action::GetMember).op(Action::Trace);
    a.push({"got"}).op(Action::GetVariable).push({0}).op(Action::GetMember).push({"blurY"});
    a.op(Action::GetMember).op(Action::Trace);
    SetMember(a, "c", "blendMode", "multiply");
    Trace(a, "c", "blendMode");
    SetMember(a, "c", "blendMode", "nonsense");
    Trace(a, "c", "blendMode");
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "1\n2\n255\nmultiply\nmultiply\n");
}

TEST(FilterScript, FiltersSetFromScriptsAreDrawn) {
    // a colour matrix that swaps red and blue
    ActionAssembler swap;
    RedBoxClip(swap);
    swap.push({"f"});
    swap.push({0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 20})
        .op(Action::InitArray);
    swap.push({1, "flash"}).op(Action::GetVariable).push({"filters"}).op(Action::GetMember);
    swap.push({"ColorMatrixFilter"}).op(Action::NewMethod).op(Action::SetVariable);
    SetFilters(swap, "f");
    const QImage swapped = RenderFrame(OneScriptMovie(swap));
    EXPECT_PIXEL(swapped, 50, 50, QColor(0, 0, 255));
    EXPECT_PIXEL(swapped, 20, 20, QColor(255, 255, 255));

    // a green glow reaches past the box
    ActionAssembler glow;
    RedBoxClip(glow);
    Make(glow, "f", "filters", "GlowFilter", {3, 4, 16, 16, 1, 0x00ff00});
    SetFilters(glow, "f");
    const QImage glowing = RenderFrame(OneScriptMovie(glow));
    EXPECT_PIXEL(glowing, 50, 50, QColor(255, 0, 0));
    const QColor beside = glowing.pixelColor(62, 50);
    EXPECT_GT(beside.green(), 200);
    EXPECT_LT(beside.red(), 100);
    EXPECT_PIXEL(glowing, 5, 5, QColor(255, 255, 255));
}

TEST(FilterScript, TransformMovesAndColoursTheClip) {
    ActionAssembler a;
    RedBoxClip(a);
    a.push({"t"}).push({"c"}).op(Action::GetVariable).push({"transform"}).op(Action::GetMember);
    a.op(Action::SetVariable);
    a.push({"t"}).op(Action::GetVariable).push({"matrix"});
    New(a, "geom", "Matrix", {10, 5, 1, 0, 0, 2}).op(Action::SetMember);
    Trace(a, "c", "_xscale");
    Trace(a, "c", "_x");
    a.push({"t"}).op(Action::GetVariable).push({"colorTransform"});
    New(a, "geom", "ColorTransform", {0, 0, 255, 0, 1, 0, 0, 0}).op(Action::SetMember);
    a.push({"t"}).op(Action::GetVariable).push({"colorTransform"}).op(Action::GetMember);
    a.op(Action::Trace);
    a.push({"t"}).op(Action::GetVariable).push({"concatenatedMatrix"}).op(Action::GetMember);
    a.op(Action::Trace);
    const Bytes movie = OneScriptMovie(a);
    EXPECT_EQ(RunMovie(movie).joined(),
              "200\n5\n(redMultiplier=0, greenMultiplier=0, blueMultiplier=0, alphaMultiplier=1, "
              "redOffset=0, greenOffset=255, blueOffset=0, alphaOffset=0)\n"
              "(a=2, b=0, c=0, d=1, tx=5, ty=10)\n");
    const QImage image = RenderFrame(movie);
    EXPECT_PIXEL(image, 90, 60, QColor(0, 255, 0)); // the box scaled twice across, moved
    EXPECT_PIXEL(image, 60, 45, QColor(255, 255, 255));
}
