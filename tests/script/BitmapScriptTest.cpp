// BitmapData in ActionScript 2: what its methods answer (the player's numbers for
// refused calls included), seeded noise, comparing and hit-testing bitmaps.

#include "script/ScriptTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// name = new flash.display.BitmapData(width, height, transparent, fill)
void Bitmap(ActionAssembler& a, const std::string& name, int width, int height, bool transparent,
            double fill) {
    a.push({name});
    New(a, "display", "BitmapData", {fill, transparent, height, width}).op(Action::SetVariable);
}

// name = new flash.geom.<cls>(args)
void Geom(ActionAssembler& a, const std::string& name, const std::string& cls,
          std::initializer_list<PushValue> argsLastFirst) {
    a.push({name});
    New(a, "geom", cls, argsLastFirst).op(Action::SetVariable);
}

// trace(object.method(args)), the arguments last to first; a text starting with "$"
// passes the variable of that name.
void TraceCall(ActionAssembler& a, const std::string& object, const std::string& method,
               std::initializer_list<PushValue> argsLastFirst) {
    for (const PushValue& v : argsLastFirst) {
        const std::string* text = std::get_if<std::string>(&v);
        const char* const* literal = std::get_if<const char*>(&v);
        const std::string name = text ? *text : literal ? *literal : "";
        if (!name.empty() && name[0] == '$') {
            a.push({name.substr(1)}).op(Action::GetVariable);
        } else {
            a.push({v});
        }
    }
    a.push({static_cast<int>(argsLastFirst.size()), object})
        .op(Action::GetVariable)
        .push({method})
        .op(Action::CallMethod)
        .op(Action::Trace);
}

struct BitmapCase {
    const char* name;
    std::function<void(ActionAssembler&)> body;
    const char* expected;
};

void RunCases(std::initializer_list<BitmapCase> cases) {
    for (const BitmapCase& c : cases) {
        ActionAssembler a;
        c.body(a);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), c.expected) << c.name;
    }
}

constexpr double Blue = 0xff0000ff;

} // namespace

TEST(BitmapScript, UndrawnMethodsWarnOnceEach) {
    ActionAssembler a;
    Bitmap(a, "b", 3, 3, false, 0);
    for (const char* method : {"perlinNoise", "perlinNoise", "paletteMap", "perlinNoise"}) {
        TraceCall(a, "b", method, {});
    }
    const auto run = RunMovie(OneScriptMovie(a, 8));
    EXPECT_EQ(run.joined(), "undefined\nundefined\nundefined\nundefined\n");
    ASSERT_EQ(run.warnings.size(), 2u);
    EXPECT_NE(run.warnings[0].find("perlinNoise"), std::string::npos) << run.warnings[0];
    EXPECT_NE(run.warnings[1].find("paletteMap"), std::string::npos) << run.warnings[1];
}

TEST(BitmapScript, MethodsAnswerWithThePlayersNumbers) {
    RunCases({
        {"setPixel answers 0, or -1 when short of arguments",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 3, 3, true, 0);
             TraceCall(a, "b", "setPixel32", {Blue, 1, 1});
             TraceCall(a, "b", "setPixel", {1, 1});
         },
         "0\n-1\n"},
        {"floodFill answers whether it painted",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 3, 3, false, 0xffffff);
             TraceCall(a, "b", "floodFill", {Blue, 0, 0});
             TraceCall(a, "b", "floodFill", {Blue, 0, 0});
             TraceCall(a, "b", "floodFill", {Blue, 0, 5});
             TraceCall(a, "b", "floodFill", {0, 0});
         },
         "1\n0\n0\n-1\n"},
        {"scroll needs both distances",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 3, 3, false, 0);
             TraceCall(a, "b", "scroll", {1});
             TraceCall(a, "b", "scroll", {1, 1});
         },
         "-1\n0\n"},
        {"a disposed bitmap refuses",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 3, 3, false, 0);
             TraceCall(a, "b", "dispose", {});
             TraceCall(a, "b", "noise", {1});
             TraceCall(a, "b", "setPixel", {0, 1, 1});
             for (const char* method : {"dispose", "clone", "fillRect", "colorTransform",
                                        "copyPixels", "draw", "perlinNoise", "pixelDissolve"}) {
                 TraceCall(a, "b", method, {});
             }
         },
         "undefined\n-1\n-1\n-1\n-1\n-1\n-1\n-1\n-1\n-1\n-1\n"},
        {"new gives undefined for a size left out, not a number or out of the limits",
         [](ActionAssembler& a) {
             a.push({"undefined"});
             New(a, "display", "BitmapData", {5}).op(Action::Trace);
             New(a, "display", "BitmapData", {6, Null{}}).op(Action::Trace);
             New(a, "display", "BitmapData", {0, 6}).op(Action::Trace);
             New(a, "display", "BitmapData", {1, 100000}).op(Action::Trace);
             a.push({"flash"}).op(Action::GetVariable).push({"display"}).op(Action::GetMember);
             a.push({"BitmapData"}).op(Action::GetMember).push({"x"}).op(Action::GetMember);
             a.op(Action::Trace);
             Bitmap(a, "b", 5, 6, true, 0);
             a.push({"b"}).op(Action::GetVariable).push({"width"}).op(Action::GetMember);
             a.op(Action::Trace);
         },
         "undefined\nundefined\nundefined\nundefined\nundefined\n5\n"},
        {"only a ColorTransform transforms the colours",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 1, 1, false, 0xffffff);
             Geom(a, "r", "Rectangle", {1, 1, 0, 0});
             a.push({"plain", "redMultiplier", 0, "greenMultiplier", 0, "blueMultiplier", 0, 3});
             a.op(Action::InitObject).op(Action::SetVariable);
             TraceCall(a, "b", "colorTransform", {"$plain", "$r"});
             TraceCall(a, "b", "getPixel", {0, 0});
             Geom(a, "ct", "ColorTransform", {0, 0, 0, 0, 1, 0, 0, 0});
             TraceCall(a, "b", "colorTransform", {"$ct", "$r"});
             TraceCall(a, "b", "getPixel", {0, 0});
         },
         "undefined\n16777215\nundefined\n0\n"},
        {"threshold names the argument it rejects, else counts",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 2, 2, false, 0x808080);
             Bitmap(a, "gone", 2, 2, false, 0);
             TraceCall(a, "gone", "dispose", {});
             Geom(a, "r", "Rectangle", {2, 2, 0, 0});
             Geom(a, "p", "Point", {0, 0});
             TraceCall(a, "b", "threshold", {"==", "$p", "$r", "$b"});
             TraceCall(a, "b", "threshold", {0, "==", "$p", "$r", Null{}});
             TraceCall(a, "b", "threshold", {0, "==", "$p", "$r", "$gone"});
             TraceCall(a, "b", "threshold", {0, "==", "$p", "$p", "$b"});
             TraceCall(a, "b", "threshold", {0xff0000, 0xff, 0x800000, ">=", "$p", "$r", "$b"});
             TraceCall(a, "b", "getPixel", {1, 1});
         },
         "undefined\n-1\n-2\n-3\n-4\n4\n255\n"},
        {"merge answers -1 even when it merges",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 1, 1, false, 0);
             Bitmap(a, "s", 1, 1, false, 0xffffff);
             Geom(a, "r", "Rectangle", {1, 1, 0, 0});
             Geom(a, "p", "Point", {0, 0});
             TraceCall(a, "b", "merge", {256, 256, 256, 256, "$p", "$r", "$s"});
             TraceCall(a, "b", "getPixel", {0, 0});
             TraceCall(a, "b", "merge", {256, 256, 256, "$p", "$r", "$s"});
         },
         "-1\n16777215\n-1\n"},
        {"merge without an alpha multiplier still merges",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 1, 1, false, 0);
             Bitmap(a, "s", 1, 1, false, 0xffffff);
             Geom(a, "r", "Rectangle", {1, 1, 0, 0});
             Geom(a, "p", "Point", {0, 0});
             TraceCall(a, "b", "merge", {128, 128, 128, "$p", "$r", "$s"});
             TraceCall(a, "b", "getPixel", {0, 0});
         },
         "-1\n8355711\n"},
        {"threshold tests premultiplied pixels, an unknown operation as <",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 1, 1, true, 0x12395571);
             Geom(a, "r", "Rectangle", {1, 1, 0, 0});
             Geom(a, "p", "Point", {0, 0});
             TraceCall(a, "b", "threshold", {0xff0000, 0, 0x330000, "<", "$p", "$r", "$b"});
             TraceCall(a, "b", "threshold", {0xff0000, 0, 0x330000, "?", "$p", "$r", "$b"});
         },
         "1\n1\n"},
        {"the channel numbers are plain properties of the class",
         [](ActionAssembler& a) {
             for (const char* name :
                  {"RED_CHANNEL", "GREEN_CHANNEL", "BLUE_CHANNEL", "ALPHA_CHANNEL"}) {
                 a.push({"flash"}).op(Action::GetVariable).push({"display"}).op(Action::GetMember);
                 a.push({"BitmapData"}).op(Action::GetMember).push({name}).op(Action::GetMember);
                 a.op(Action::Trace);
             }
         },
         "1\n2\n4\n8\n"},
    });
}

TEST(BitmapScript, NoiseFollowsTheSeededSequence) {
    RunCases({
        {"grey noise of seed 1",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 3, 1, false, 0);
             TraceCall(a, "b", "noise", {true, 7, 255, 0, 1});
             for (int x = 0; x < 3; ++x) {
                 TraceCall(a, "b", "getPixel", {0, x});
             }
         },
         "0\n10987431\n15856113\n14277081\n"},
        {"red only, seed 0 as seed 1",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 2, 1, false, 0);
             TraceCall(a, "b", "noise", {1, 255, 0, 0});
             TraceCall(a, "b", "getPixel", {0, 0});
             TraceCall(a, "b", "getPixel", {0, 1});
         },
         "0\n10944512\n15794176\n"},
    });
}

TEST(BitmapScript, LibraryBitmapsWithoutAlphaAreOpaque) {
    MovieWriter movie(100, 100, 12, 8);
    movie.exportAsset(movie.defineJpeg(EncodeJpeg(4, 4, std::vector<std::uint32_t>(16, 0x808080))),
                      "photo");
    movie.exportAsset(movie.defineBitmap(1, 1, {0x80ff0000u}), "icon");
    // export names are found whatever their case
    movie.exportAsset(movie.defineBitmap(1, 1, {0x80ff0000u}), "MixedCase");
    ActionAssembler a;
    for (const char* name : {"photo", "icon", "MixedCase"}) {
        // trace(flash.display.BitmapData.loadBitmap(name).transparent)
        a.push({name, 1, "flash"})
            .op(Action::GetVariable)
            .push({"display"})
            .op(Action::GetMember)
            .push({"BitmapData"})
            .op(Action::GetMember)
            .push({"loadBitmap"})
            .op(Action::CallMethod)
            .push({"transparent"})
            .op(Action::GetMember)
            .op(Action::Trace);
    }
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "false\ntrue\ntrue\n");
}

TEST(BitmapScript, CompareAndHitTest) {
    RunCases({
        {"compare: alike, other sizes, a difference bitmap",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 2, 1, false, 0x102030);
             Bitmap(a, "c", 2, 1, false, 0x102030);
             Bitmap(a, "wide", 3, 1, false, 0x102030);
             Bitmap(a, "tall", 2, 2, false, 0x102030);
             TraceCall(a, "b", "compare", {"$c"});
             TraceCall(a, "b", "compare", {"$wide"});
             TraceCall(a, "b", "compare", {"$tall"});
             TraceCall(a, "b", "compare", {"text"});
             TraceCall(a, "c", "setPixel", {0x0f2031, 0, 1});
             a.push({"d", "c"}).op(Action::GetVariable);
             a.push({1, "b"}).op(Action::GetVariable).push({"compare"}).op(Action::CallMethod);
             a.op(Action::SetVariable);
             TraceCall(a, "d", "getPixel32", {0, 0});
             TraceCall(a, "d", "getPixel32", {0, 1});
         },
         "0\n-3\n-4\n-2\n0\n0\n-16711425\n"},
        {"hitTest against points, rectangles and bitmaps",
         [](ActionAssembler& a) {
             Bitmap(a, "b", 4, 4, true, 0);
             Geom(a, "r", "Rectangle", {2, 2, 2, 2});
             a.push({0xff000000u * 1.0, "r"}).op(Action::GetVariable);
             a.push({2, "b"}).op(Action::GetVariable).push({"fillRect"});
             a.op(Action::CallMethod).op(Action::Pop);
             Geom(a, "at", "Point", {10, 10});
             Geom(a, "in", "Point", {13, 13});
             Geom(a, "out", "Point", {11, 11});
             TraceCall(a, "b", "hitTest", {"$in", 255, "$at"});
             TraceCall(a, "b", "hitTest", {"$out", 255, "$at"});
             TraceCall(a, "b", "hitTest", {Null{}, 1, "$at"});
             TraceCall(a, "b", "hitTest", {"$in", 1, Null{}});
             Bitmap(a, "solid", 1, 1, false, 0);
             Geom(a, "corner", "Rectangle", {1, 1, 12, 12});
             TraceCall(a, "b", "hitTest", {"$corner", 1, "$at"});
             TraceCall(a, "b", "hitTest", {"$out", "$solid", 1, "$at"});
             TraceCall(a, "b", "hitTest", {"$in", "$solid", 1, "$at"});
         },
         "true\nfalse\n-3\n-2\ntrue\nfalse\ntrue\n"},
    });
}
