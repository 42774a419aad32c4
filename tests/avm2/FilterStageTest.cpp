// ActionScript 3 filters on display objects: copies read back held to the player's
// limits, and the filtered object's pixels.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

std::uint32_t FilterName(Names& n, const std::string& cls) {
    return n.abc.qname(n.abc.ns(0x16, "flash.filters"), cls);
}

// local = new flash.filters.<cls>(numbers...)
void MakeFilter(AbcCode& code, Names& n, const std::string& cls, std::initializer_list<double> args,
                std::uint32_t local) {
    const std::uint32_t name = FilterName(n, cls);
    code.nameOp(0x5d, name);
    for (double v : args) {
        code.pushDouble(v);
    }
    code.op(0x4a).u30(name).u30(static_cast<std::uint32_t>(args.size())).setLocal(local);
}

// Local 1: a shape on the stage with a red 20 by 20 box at (40, 40); its filters are
// [local 2], and local 3 is the first filter read back.
void FilteredShape(AbcCode& code, Names& n) {
    code.nameOp(0x5d, n.display("Shape")).op(0x4a).u30(n.display("Shape")).u30(0).setLocal(1);
    code.getLocal(1).nameOp(0x66, n("graphics")).pushDouble(0xff0000);
    code.callProperty(0x4f, n("beginFill"), 1);
    code.getLocal(1).nameOp(0x66, n("graphics"));
    code.pushDouble(40).pushDouble(40).pushDouble(20).pushDouble(20);
    code.callProperty(0x4f, n("drawRect"), 4);
    code.getLocal(0).getLocal(1).callProperty(0x4f, n("addChild"), 1);
    code.getLocal(1).getLocal(2).op(0x56).u30(1).nameOp(0x61, n("filters"));
    code.getLocal(1).nameOp(0x66, n("filters")).callProperty(0x46, n("pop"), 0).setLocal(3);
}

void TraceField(AbcCode& code, Names& n, std::uint32_t local, const std::string& field) {
    code.getLocal(local).nameOp(0x66, n(field)).traceTop();
}

TEST(Avm2Filters, FiltersReadBackAreHeldToThePlayersLimits) {
    const std::vector<std::uint8_t> movie = DocumentMovie([](AbcCode& code, Names& n) {
        MakeFilter(code, n, "DropShadowFilter", {-3.2, 51.23, 0xabcdef, 0.2, -1, 2.5, 1.2, 2}, 2);
        FilteredShape(code, n);
        for (const char* field : {"distance", "angle", "color", "alpha", "blurX", "blurY",
                                  "strength", "quality", "inner", "hideObject"}) {
            TraceField(code, n, 3, field);
        }
        // the object keeps its own copy
        code.getLocal(2).pushDouble(9).nameOp(0x61, n("blurY"));
        code.getLocal(1).nameOp(0x66, n("filters")).callProperty(0x46, n("pop"), 0);
        code.nameOp(0x66, n("blurY")).traceTop();
    });
    const testing::ScriptRun run = testing::RunMovie(movie);
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"-3.2", "51.23", "11259375", "0.2", "0", "2.5", "1.19921875", "2",
                                 "false", "false", "2.5"}));
}

TEST(Avm2Filters, AGlowSetFromAScriptIsDrawn) {
    const std::vector<std::uint8_t> movie = DocumentMovie([](AbcCode& code, Names& n) {
        MakeFilter(code, n, "GlowFilter", {0x00ff00, 1, 16, 16, 4, 3}, 2);
        FilteredShape(code, n);
        code.getLocal(3).callProperty(0x46, n("clone"), 0).nameOp(0x66, n("strength")).traceTop();
    });
    EXPECT_EQ(testing::RunMovie(movie).traces, Lines{"4"});
    const QImage image = testing::RenderFrame(movie);
    EXPECT_PIXEL(image, 50, 50, QColor(255, 0, 0));
    const QColor beside = image.pixelColor(62, 50);
    EXPECT_GT(beside.green(), 200);
    EXPECT_LT(beside.red(), 100);
    EXPECT_PIXEL(image, 5, 5, QColor(255, 255, 255));
}

} // namespace
} // namespace quillon::test
