// BitmapData's methods seen through the pixels they leave: each case makes small
// bitmaps, calls one method and traces pixels (as hexadecimal AARRGGBB) and results.
// Bitmap fills of the drawing methods are checked on the drawn frame.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

// What a case's body builds on: locals 1 to 7 hold its bitmaps and helpers.
struct Pixels {
    AbcCode& code;
    Names& n;

    // local = new BitmapData(w, h, transparent, fill)
    void bitmap(std::uint32_t local, int w, int h, bool transparent, std::uint32_t fill) {
        const std::uint32_t cls = n.display("BitmapData");
        code.nameOp(0x5d, cls).pushInt(w).pushInt(h).op(transparent ? 0x26 : 0x27);
        code.pushDouble(fill).op(0x4a).u30(cls).u30(4).setLocal(local);
    }
    // new <geom class>(numbers...) on the stack.
    void geom(const std::string& cls, std::initializer_list<double> args) {
        const std::uint32_t name = n.geom(cls);
        code.nameOp(0x5d, name);
        for (double v : args) {
            code.pushDouble(v);
        }
        code.op(0x4a).u30(name).u30(static_cast<std::uint32_t>(args.size()));
    }
    void rect(double x, double y, double w, double h) { geom("Rectangle", {x, y, w, h}); }
    void point(double x, double y) { geom("Point", {x, y}); }
    // local.method(...) with the arguments pushed by args; the result is dropped or traced.
    void call(std::uint32_t local, const std::string& method, std::uint32_t count,
              const std::function<void()>& args, bool traced = false) {
        code.getLocal(local);
        args();
        if (traced) {
            code.callProperty(0x46, n(method), count).traceTop();
        } else {
            code.callProperty(0x4f, n(method), count);
        }
    }
    // trace(local.getPixel32(x, y).toString(16))
    void pixel(std::uint32_t local, int x, int y) {
        code.getLocal(local).pushInt(x).pushInt(y).callProperty(0x46, n("getPixel32"), 2);
        code.pushInt(16).callProperty(0x46, n("toString"), 1).traceTop();
    }
};

struct PixelCase {
    const char* name;
    std::function<void(Pixels&)> body;
    Lines expected;
};

const std::vector<PixelCase>& PixelCases() {
    static const std::vector<PixelCase> cases = {
        {"fillRect fills the rectangle cut to the bitmap",
         [](Pixels& p) {
             p.bitmap(1, 4, 4, true, 0);
             p.call(1, "fillRect", 2, [&] {
                 p.rect(1, 1, 2, 2);
                 p.code.pushDouble(0xff00ff00);
             });
             p.call(1, "fillRect", 2, [&] {
                 p.rect(-5, 3, 6, 9); // reaches past the left and bottom edges
                 p.code.pushDouble(0x800000ff);
             });
             p.pixel(1, 0, 0);
             p.pixel(1, 1, 1);
             p.pixel(1, 2, 2);
             p.pixel(1, 3, 2);
             p.pixel(1, 0, 3);
             p.pixel(1, 1, 3);
         },
         {"0", "ff00ff00", "ff00ff00", "0", "800000ff", "0"}},
        {"copyPixels copies an area to a point, merging alpha when asked",
         [](Pixels& p) {
             p.bitmap(1, 4, 4, false, 0xffff0000);
             p.bitmap(2, 4, 4, true, 0);
             p.call(2, "copyPixels", 3, [&] {
                 p.code.getLocal(1);
                 p.rect(0, 0, 2, 2);
                 p.point(2, 1);
             });
             p.pixel(2, 2, 1);
             p.pixel(2, 3, 2);
             p.pixel(2, 1, 1);
             p.pixel(2, 2, 3);
             // half-transparent green merged over blue keeps the blue beneath
             p.bitmap(3, 2, 2, true, 0x8000ff00);
             p.bitmap(4, 2, 2, true, 0xff0000ff);
             p.call(4, "copyPixels", 6, [&] {
                 p.code.getLocal(3);
                 p.rect(0, 0, 1, 1);
                 p.point(0, 0);
                 p.code.op(0x20).op(0x20).op(0x26); // null, null, true
             });
             p.pixel(4, 0, 0);
             p.pixel(4, 1, 1);
         },
         {"ffff0000", "ffff0000", "0", "0", "ff00807f", "ff0000ff"}},
        {"colorTransform multiplies then adds, inside the rectangle only",
         [](Pixels& p) {
             p.bitmap(1, 2, 1, false, 0xff808080);
             p.call(1, "colorTransform", 2, [&] {
                 p.rect(0, 0, 1, 1);
                 p.geom("ColorTransform", {0.5, 1, 1, 1, 0, 0, 64, 0});
             });
             p.pixel(1, 0, 0);
             p.pixel(1, 1, 0);
         },
         {"ff4080c0", "ff808080"}},
        {"copyChannel moves one channel into another",
         [](Pixels& p) {
             p.bitmap(1, 2, 2, false, 0xff123456);
             p.bitmap(2, 2, 2, false, 0xff000000);
             p.call(2, "copyChannel", 5, [&] {
                 p.code.getLocal(1);
                 p.rect(0, 0, 1, 2);
                 p.point(1, 0);
                 p.code.pushInt(1).pushInt(4); // red into blue
             });
             p.pixel(2, 1, 1);
             p.pixel(2, 0, 0);
         },
         {"ff000012", "ff000000"}},
        {"copyChannel takes the channels BitmapDataChannel names",
         [](Pixels& p) {
             p.bitmap(1, 1, 1, true, 0xff123456);
             p.bitmap(2, 1, 1, true, 0xff000000);
             const auto channel = [&](const char* name) {
                 p.code.nameOp(0x60, p.n.display("BitmapDataChannel")).nameOp(0x66, p.n(name));
             };
             for (const auto& [from, to] : {std::pair{"GREEN", "RED"}, {"ALPHA", "BLUE"}}) {
                 p.call(2, "copyChannel", 5, [&] {
                     p.code.getLocal(1);
                     p.rect(0, 0, 1, 1);
                     p.point(0, 0);
                     channel(from);
                     channel(to);
                 });
             }
             p.pixel(2, 0, 0);
             channel("ALPHA");
             p.code.traceTop();
             p.code.nameOp(0x60, p.n.display("BlendMode")).nameOp(0x66, p.n("HARDLIGHT"));
             p.code.traceTop();
             const auto filters = [&](const char* cls, const char* name) {
                 const std::uint32_t qname = p.n.abc.qname(p.n.abc.ns(0x16, "flash.filters"), cls);
                 p.code.nameOp(0x60, qname).nameOp(0x66, p.n(name)).traceTop();
             };
             filters("DisplacementMapFilterMode", "COLOR");
             filters("BitmapFilterQuality", "HIGH");
             filters("BitmapFilterType", "OUTER");
         },
         {"ff3400ff", "8", "hardlight", "color", "3", "outer"}},
        {"scroll moves the pixels and leaves what they uncover",
         [](Pixels& p) {
             p.bitmap(1, 4, 4, true, 0);
             p.code.getLocal(1).pushInt(0).pushInt(0).pushDouble(0xffff0000);
             p.code.callProperty(0x4f, p.n("setPixel32"), 3);
             p.call(1, "scroll", 2, [&] { p.code.pushInt(2).pushInt(1); });
             p.pixel(1, 2, 1);
             p.pixel(1, 0, 0);
             p.pixel(1, 1, 1);
         },
         {"ffff0000", "ffff0000", "0"}},
        {"floodFill stops at other colours",
         [](Pixels& p) {
             p.bitmap(1, 4, 4, false, 0xffffffff);
             p.call(1, "fillRect", 2, [&] {
                 p.rect(2, 0, 1, 4);
                 p.code.pushDouble(0xff000000);
             });
             p.call(1, "floodFill", 3,
                    [&] { p.code.pushInt(0).pushInt(0).pushDouble(0xffff0000); });
             p.pixel(1, 1, 3);
             p.pixel(1, 2, 1);
             p.pixel(1, 3, 3);
         },
         {"ffff0000", "ff000000", "ffffffff"}},
        {"threshold counts and paints the pixels that pass",
         [](Pixels& p) {
             p.bitmap(1, 3, 1, false, 0xff102030);
             p.code.getLocal(1).pushInt(1).pushInt(0).pushDouble(0xffa0b0c0);
             p.code.callProperty(0x4f, p.n("setPixel32"), 3);
             p.bitmap(2, 3, 1, true, 0);
             p.call(
                 2, "threshold", 8,
                 [&] {
                     p.code.getLocal(1);
                     p.rect(0, 0, 3, 1);
                     p.point(0, 0);
                     p.code.pushString(">").pushDouble(0x00800000).pushDouble(0xff0000ff);
                     p.code.pushDouble(0x00ff0000).op(0x26); // red channel only, copy source
                 },
                 true);
             p.pixel(2, 0, 0);
             p.pixel(2, 1, 0);
         },
         {"1", "ff102030", "ff0000ff"}},
        {"merge mixes each channel by its multiplier",
         [](Pixels& p) {
             p.bitmap(1, 1, 1, false, 0xffffffff);
             p.bitmap(2, 1, 1, false, 0xff000000);
             p.call(2, "merge", 7, [&] {
                 p.code.getLocal(1);
                 p.rect(0, 0, 1, 1);
                 p.point(0, 0);
                 p.code.pushInt(256).pushInt(0).pushInt(128).pushInt(256);
             });
             p.pixel(2, 0, 0);
         },
         {"ffff007f"}},
        {"getColorBoundsRect finds the pixels of a colour or the others",
         [](Pixels& p) {
             p.bitmap(1, 8, 8, true, 0);
             p.call(1, "fillRect", 2, [&] {
                 p.rect(2, 3, 3, 1);
                 p.code.pushDouble(0xffff0000);
             });
             p.call(
                 1, "getColorBoundsRect", 2,
                 [&] { p.code.pushDouble(0xffffffff).pushDouble(0xffff0000); }, true);
             p.call(
                 1, "getColorBoundsRect", 3,
                 [&] { p.code.pushDouble(0xff000000).pushDouble(0).op(0x27); }, true);
             p.call(
                 1, "getColorBoundsRect", 2,
                 [&] { p.code.pushDouble(0xffffffff).pushDouble(0xff00ff00); }, true);
         },
         {"(x=2, y=3, w=3, h=1)", "(x=2, y=3, w=3, h=1)", "(x=0, y=0, w=0, h=0)"}},
        {"draw places a bitmap or a shape under a matrix",
         [](Pixels& p) {
             p.bitmap(1, 2, 2, false, 0xffff0000);
             p.bitmap(2, 4, 4, true, 0);
             p.call(2, "draw", 2, [&] {
                 p.code.getLocal(1);
                 p.geom("Matrix", {1, 0, 0, 1, 1, 1});
             });
             p.pixel(2, 1, 1);
             p.pixel(2, 2, 2);
             p.pixel(2, 0, 0);
             p.pixel(2, 3, 3);
             // a shape off the display list, a blue box from (4, 0) to (8, 8)
             const std::uint32_t shape = p.n.display("Shape");
             p.code.nameOp(0x5d, shape).op(0x4a).u30(shape).u30(0).setLocal(3);
             p.code.getLocal(3).nameOp(0x66, p.n("graphics")).setLocal(4);
             p.call(4, "beginFill", 1, [&] { p.code.pushDouble(0x0000ff); });
             p.call(4, "drawRect", 4, [&] { p.code.pushInt(4).pushInt(0).pushInt(4).pushInt(8); });
             p.bitmap(5, 8, 8, false, 0xffffffff);
             p.call(5, "draw", 1, [&] { p.code.getLocal(3); });
             p.pixel(5, 6, 4);
             p.pixel(5, 1, 4);
         },
         {"ffff0000", "ffff0000", "0", "0", "ff0000ff", "ffffffff"}},
        {"draw puts a bitmap on with its blend mode",
         [](Pixels& p) {
             p.bitmap(1, 2, 2, false, 0xff8ccccc);
             p.bitmap(2, 2, 2, false, 0xffff2222);
             p.bitmap(3, 2, 2, false, 0xff102030);
             p.bitmap(4, 2, 2, false, 0xffaaaaaa);
             const auto draw = [&](std::uint32_t onto, std::uint32_t source, const char* mode) {
                 p.call(onto, "draw", 4,
                        [&] { p.code.getLocal(source).op(0x20).op(0x20).pushString(mode); });
             };
             draw(2, 1, "difference");
             draw(4, 3, "subtract");
             p.pixel(2, 1, 1);
             p.pixel(4, 0, 0);
             // alpha and erase work through a display object's layer: a bare bitmap
             // leaves the target as it was
             p.bitmap(5, 2, 2, true, 0xff224466);
             p.bitmap(6, 2, 2, true, 0x44000000);
             draw(5, 6, "alpha");
             draw(5, 6, "erase");
             p.pixel(5, 0, 0);
         },
         {"ff73aaaa", "ff9a8a7a", "ff224466"}},
    };
    return cases;
}

TEST(Avm2BitmapData, MethodsLeaveThePixelsTheyPromise) {
    for (const PixelCase& c : PixelCases()) {
        const testing::ScriptRun run =
            testing::RunMovie(DocumentMovie([&](AbcCode& code, Names& n) {
                Pixels p{code, n};
                c.body(p);
            }));
        EXPECT_EQ(run.warnings, Lines{}) << c.name;
        EXPECT_EQ(run.traces, c.expected) << c.name;
    }
}

TEST(Avm2BitmapData, NoiseStaysInItsRangeAndGreyNoiseIsGrey) {
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([](AbcCode& code, Names& n) {
        Pixels p{code, n};
        p.bitmap(1, 4, 4, true, 0);
        p.call(1, "noise", 5, [&] { code.pushInt(7).pushInt(16).pushInt(32).pushInt(7).op(0x26); });
        for (int i = 0; i < 4; ++i) {
            p.pixel(1, i, i);
        }
    }));
    ASSERT_EQ(run.traces.size(), 4u);
    for (const std::string& line : run.traces) {
        const std::uint32_t argb = static_cast<std::uint32_t>(std::stoul(line, nullptr, 16));
        const std::uint32_t r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
        EXPECT_EQ(argb >> 24, 0xffu) << line; // the alpha channel was not asked for
        EXPECT_EQ(r, g) << line;
        EXPECT_EQ(g, b) << line;
        EXPECT_GE(r, 16u) << line;
        EXPECT_LE(r, 32u) << line;
    }
}

// A 2 by 1 BitmapData (red, blue) spread by ten over a shape's 40 by 20 box at (10, 10).
testing::Bytes BitmapFillMovie(bool repeat, bool line) {
    return DocumentMovie([=](AbcCode& code, Names& n) {
        Pixels p{code, n};
        p.bitmap(1, 2, 1, false, 0xffff0000);
        code.getLocal(1).pushInt(1).pushInt(0).pushDouble(0xff0000ff);
        code.callProperty(0x4f, n("setPixel32"), 3);
        const std::uint32_t shape = n.display("Shape");
        code.nameOp(0x5d, shape).op(0x4a).u30(shape).u30(0).setLocal(2);
        code.getLocal(2).nameOp(0x66, n("graphics")).setLocal(3);
        if (line) {
            p.call(3, "lineStyle", 1, [&] { code.pushInt(6); });
            p.call(3, "lineBitmapStyle", 2, [&] {
                code.getLocal(1);
                p.geom("Matrix", {10, 0, 0, 10, 10, 10});
            });
        } else {
            p.call(3, "beginBitmapFill", 3, [&] {
                code.getLocal(1);
                p.geom("Matrix", {10, 0, 0, 10, 10, 10});
                code.op(repeat ? 0x26 : 0x27);
            });
        }
        p.call(3, "drawRect", 4, [&] { code.pushInt(10).pushInt(10).pushInt(40).pushInt(20); });
        code.getLocal(0).getLocal(2).callProperty(0x4f, n("addChild"), 1);
        // changed after the fill: the fill shows the pixels as they are when drawn
        code.getLocal(1).pushInt(0).pushInt(0).pushDouble(0xff00ff00);
        code.callProperty(0x4f, n("setPixel32"), 3);
    });
}

TEST(Avm2BitmapData, BitmapFillsPaintTheBitmapsPixels) {
    const QImage repeated = testing::RenderFrame(BitmapFillMovie(true, false));
    EXPECT_PIXEL(repeated, 15, 15, QColor(0, 255, 0));
    EXPECT_PIXEL(repeated, 25, 15, QColor(0, 0, 255));
    EXPECT_PIXEL(repeated, 35, 25, QColor(0, 255, 0)); // the bitmap again
    EXPECT_PIXEL(repeated, 45, 25, QColor(0, 0, 255));
    EXPECT_PIXEL(repeated, 55, 15, QColor(255, 255, 255)); // outside the shape
    const QImage once = testing::RenderFrame(BitmapFillMovie(false, false));
    EXPECT_PIXEL(once, 15, 15, QColor(0, 255, 0));
    EXPECT_PIXEL(once, 25, 15, QColor(0, 0, 255));
    EXPECT_PIXEL(once, 35, 15, QColor(0, 0, 255)); // the last column drawn on
    const QImage stroked = testing::RenderFrame(BitmapFillMovie(true, true));
    // a stroke's brush is sampled a little off the pixel centres
    EXPECT_TRUE(testing::PixelIs(stroked, 15, 10, QColor(0, 255, 0), 16));
    EXPECT_TRUE(testing::PixelIs(stroked, 25, 10, QColor(0, 0, 255), 16));
    EXPECT_PIXEL(stroked, 30, 20, QColor(255, 255, 255)); // inside, not filled
}

} // namespace
} // namespace quillon::test
