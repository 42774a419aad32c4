// Edge rules of the ActionScript 1/2 built-in objects: what they give for missing or
// odd arguments, and which properties they read.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// r = new flash.geom.Rectangle(1, 3, 5, 7); trace(r.<method>(new Rectangle(args)))
// (or with no argument), the rectangle's fields given last to first.
std::string RectCall(const std::string& method, const std::vector<PushValue>& otherLastFirst,
                     bool withArgument = true) {
    ActionAssembler a;
    a.push({"r"});
    New(a, "geom", "Rectangle", {7, 5, 3, 1}).op(Action::DefineLocal);
    if (withArgument) {
        for (const PushValue& v : otherLastFirst) {
            a.push({v});
        }
        a.push({static_cast<int>(otherLastFirst.size()), "flash"}).op(Action::GetVariable);
        a.push({"geom"}).op(Action::GetMember).push({"Rectangle"}).op(Action::NewMethod);
        a.push({1});
    } else {
        a.push({0});
    }
    a.push({"r"}).op(Action::GetVariable).push({method}).op(Action::CallMethod);
    a.op(Action::Trace);
    const ScriptRun run = RunMovie(OneScriptMovie(a, 8));
    return run.traces.empty() ? "<none>" : run.traces[0];
}

TEST(RectangleRules, AFieldThatIsNotANumberEndsTheTestsAsTheLanguageCompares) {
    // the edges are compared in turn: a false one gives false, a NaN one undefined
    EXPECT_EQ(RectCall("containsRectangle", {7, 5, 3, 1}), "true");
    EXPECT_EQ(RectCall("containsRectangle", {7, 5, 2.9, 0.9}), "false");
    EXPECT_EQ(RectCall("containsRectangle", {1, 1, Undefined{}, 2}), "undefined");
    EXPECT_EQ(RectCall("containsRectangle", {1, "x", 5, 5}), "undefined");
    EXPECT_EQ(RectCall("containsRectangle", {}, false), "undefined");
    // a NaN box meets nothing
    EXPECT_EQ(RectCall("intersects", {1, 1, Undefined{}, 2}), "false");
    EXPECT_EQ(RectCall("intersects", {}, false), "false");
    EXPECT_EQ(RectCall("intersects", {9, 7, 5, 3}), "true");
    EXPECT_EQ(RectCall("intersection", {Undefined{}, 2, 5, 3}), "(x=0, y=0, w=0, h=0)");
    EXPECT_EQ(RectCall("intersection", {}, false), "(x=0, y=0, w=0, h=0)");
    EXPECT_EQ(RectCall("intersection", {9, 7, 5, 3}), "(x=3, y=5, w=3, h=5)");
    // while a union carries NaN into the edges it touches
    EXPECT_EQ(RectCall("union", {Undefined{}, 2, 5, 3}), "(x=1, y=3, w=5, h=NaN)");
    EXPECT_EQ(RectCall("union", {}, false), "(x=NaN, y=NaN, w=NaN, h=NaN)");
    EXPECT_EQ(RectCall("union", {9, 7, 5, 3}), "(x=1, y=3, w=9, h=11)");
}

// flash.external.ExternalInterface.<method>(value on the stack), traced.
void TraceXml(ActionAssembler& a, const std::string& method) {
    a.push({1, "flash"}).op(Action::GetVariable).push({"external"}).op(Action::GetMember);
    a.push({"ExternalInterface"}).op(Action::GetMember).push({method}).op(Action::CallMethod);
    a.op(Action::Trace);
}

TEST(ExternalInterfaceXml, ValuesArraysAndObjectsAsACallCarriesThem) {
    ActionAssembler a;
    // a = [true, "", [null]]; a.x = "<&>"
    a.push({"a", Null{}, 1}).op(Action::InitArray).push({"", true, 3}).op(Action::InitArray);
    a.op(Action::DefineLocal).push({"a"}).op(Action::GetVariable).push({"x", "<&>"});
    a.op(Action::SetMember);
    a.push({"a"}).op(Action::GetVariable);
    TraceXml(a, "_toXML");
    a.push({"a"}).op(Action::GetVariable);
    TraceXml(a, "_argumentsToXML");
    a.push({"a"}).op(Action::GetVariable);
    TraceXml(a, "_objectToXML");
    // an object with a numeric length is an array; text has no elements of its own
    a.push({"length", 2, 1}).op(Action::InitObject);
    TraceXml(a, "_toXML");
    a.push({"ab"});
    TraceXml(a, "_arrayToXML");
    a.push({-2.5});
    TraceXml(a, "_toXML");
    a.push({0});
    TraceXml(a, "_objectToXML");
    // a structure holding itself stops at the nesting cap instead of recursing for ever
    a.push({"o", 0}).op(Action::InitObject).op(Action::DefineLocal);
    a.push({"o"}).op(Action::GetVariable).push({"self", "o"}).op(Action::GetVariable);
    a.op(Action::SetMember).push({"o"}).op(Action::GetVariable);
    TraceXml(a, "_toXML");
    const ScriptRun run = RunMovie(OneScriptMovie(a, 8));
    ASSERT_EQ(run.traces.size(), 8u);
    EXPECT_EQ(run.traces[0], "<array><property id=\"0\"><true/></property><property "
                             "id=\"1\"><string>null</string></property><property "
                             "id=\"2\"><array><property "
                             "id=\"0\"><null/></property></array></property></array>");
    EXPECT_EQ(run.traces[1], "<arguments><string>null</string><array><property "
                             "id=\"0\"><null/></property></array></arguments>");
    // the names in enumeration order, written as they are
    EXPECT_EQ(run.traces[2], "<object><property id=\"2\"><array><property "
                             "id=\"0\"><null/></property></array></property><property "
                             "id=\"1\"><string>null</string></property><property "
                             "id=\"0\"><true/></property><property "
                             "id=\"x\"><string>&lt;&amp;&gt;</string></property></object>");
    EXPECT_EQ(run.traces[3], "<array><property id=\"0\"><undefined/></property><property "
                             "id=\"1\"><undefined/></property></array>");
    EXPECT_EQ(run.traces[4], "<array><property id=\"0\"><undefined/></property><property "
                             "id=\"1\"><undefined/></property></array>");
    EXPECT_EQ(run.traces[5], "<number>-2.5</number>");
    EXPECT_EQ(run.traces[6], "<object></object>");
    EXPECT_NE(run.traces[7].find("<null/>"), std::string::npos);
    EXPECT_LT(run.traces[7].size(), 10000u);
}

// A menu holds its handler, the built-in entries (all on) and its custom items; a copy is
// a menu of its own, with copies of the items.
TEST(ContextMenuObjects, MenusAndItemsKeepTheirFieldsAndCopyThem) {
    ActionAssembler a;
    a.push({"m", 0, "ContextMenu"}).op(Action::NewObject).op(Action::DefineLocal);
    TraceNamesOf(a, "m");
    a.push({"item", "go", 1, "ContextMenuItem"}).op(Action::NewObject).op(Action::DefineLocal);
    TraceNamesOf(a, "item");
    a.push({"m"}).op(Action::GetVariable).push({"builtInItems"}).op(Action::GetMember);
    a.push({"zoom", false}).op(Action::SetMember);
    a.push({"item"}).op(Action::GetVariable).push({1, "m"}).op(Action::GetVariable);
    a.push({"customItems"}).op(Action::GetMember);
    a.push({"push"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"c"});
    CallOn(a, "m", "copy", {}).op(Action::DefineLocal);
    CallOn(a, "m", "hideBuiltInItems", {}).op(Action::Pop);
    a.traceVariable("c.builtInItems.zoom").traceVariable("c.builtInItems.play");
    a.traceVariable("m.builtInItems.play");
    a.push({"c"}).op(Action::GetVariable).push({"customItems"}).op(Action::GetMember);
    a.push({"0"}).op(Action::GetMember).push({"caption"}).op(Action::GetMember).op(Action::Trace);
    // the copied item is another object
    a.push({"c"}).op(Action::GetVariable).push({"customItems"}).op(Action::GetMember);
    a.push({"0"}).op(Action::GetMember).push({"item"}).op(Action::GetVariable);
    a.op(Action::StrictEquals).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(),
              "customItems\nbuiltInItems\nonSelect\n"
              "visible\nenabled\nseparatorBefore\nonSelect\ncaption\n"
              "false\ntrue\nfalse\ngo\nfalse\n");
    // version 5 has neither class
    ActionAssembler old;
    old.push({"ContextMenu"}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(old, 5)).joined(), "undefined\n");
}

// With no file dialog to show, browse is accepted and answered as cancelled after the frame:
// the listeners hear onCancel with the object, and no file is chosen.
TEST(FileReferenceObjects, ADialogIsAnsweredAsCancelled) {
    ActionAssembler a;
    a.push({"f"});
    New(a, "net", "FileReference", {}).op(Action::DefineLocal);
    a.push({"l", 0}).op(Action::InitObject).op(Action::DefineLocal);
    a.push({"l"}).op(Action::GetVariable).push({"onCancel"});
    ActionAssembler handler;
    handler.push({"cancelled "}).push({"file"}).op(Action::GetVariable);
    handler.push({"name"}).op(Action::GetMember).op(Action::Add2).op(Action::Trace);
    a.function(FunctionSpec("", {{0, "file"}}), handler).op(Action::SetMember);
    a.push({"l"}).op(Action::GetVariable);
    a.push({1, "f"}).op(Action::GetVariable).push({"addListener"}).op(Action::CallMethod);
    a.op(Action::Pop);
    CallOn(a, "f", "browse", {}).op(Action::Trace);
    CallOn(a, "f", "upload", {"x.php"}).op(Action::Trace);
    a.trace("frame done");
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8), 2).joined(),
              "true\nfalse\nframe done\ncancelled undefined\n");
}

} // namespace
