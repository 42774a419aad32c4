// XML and XMLNode: markup read into trees, trees changed by scripts and written back.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// var = new XML(text)
void NewXml(ActionAssembler& a, const std::string& var, const std::string& text) {
    a.push({var, text, 1, "XML"}).op(Action::NewObject).op(Action::SetVariable);
}

// trace(var.member1.member2...)
void TraceMembers(ActionAssembler& a, const std::string& var,
                  std::initializer_list<const char*> members) {
    a.push({var}).op(Action::GetVariable);
    for (const char* m : members) {
        a.push({m}).op(Action::GetMember);
    }
    a.op(Action::Trace);
}

std::string ParseAndWrite(const std::string& markup, int version = 8) {
    ActionAssembler a;
    NewXml(a, "x", markup);
    TraceMembers(a, "x", {"status"});
    CallOn(a, "x", "toString", {}).op(Action::Trace);
    return RunMovie(OneScriptMovie(a, version)).joined();
}

TEST(ScriptXml, MarkupReadsAndWritesBack) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<a><b x=\"1\">t</b><c/></a>", "0\n<a><b x=\"1\">t</b><c /></a>\n"},
        {"<a>&lt;&amp;&#65;&#x42;&apos;</a>", "0\n<a>&lt;&amp;AB&apos;</a>\n"},
        {"<a><![CDATA[<raw>]]>!</a>", "0\n<a>&lt;raw&gt;!</a>\n"},
        {"<a><!-- gone --></a>", "0\n<a />\n"},
        {"<?xml version=\"1.0\"?><!DOCTYPE d><d/>",
         "0\n<?xml version=\"1.0\"?><!DOCTYPE d><d />\n"},
        {"<a y='q\"'/>", "0\n<a y=\"q&quot;\" />\n"},
    };
    for (const auto& [markup, expected] : cases) {
        EXPECT_EQ(ParseAndWrite(markup), expected) << markup;
    }
}

TEST(ScriptXml, FaultsStopReadingWithTheirStatus) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<a><![CDATA[x", "-2"}, {"<?xml", "-3"},    {"<!DOCTYPE", "-4"},
        {"<!-- x", "-5"},        {"<a b=1/>", "-6"}, {"<a b=\"1/>", "-8"},
        {"<a><b>", "-9"},        {"</a>", "-10"},    {"<a></b>", "-10"},
    };
    for (const auto& [markup, status] : cases) {
        const std::string out = ParseAndWrite(markup);
        EXPECT_EQ(out.substr(0, out.find('\n')), status) << markup;
    }
}

TEST(ScriptXml, DeepNestingIsMalformedNotACrash) {
    std::string markup;
    for (int i = 0; i < 2000; ++i) {
        markup += "<a>";
    }
    const std::string out = ParseAndWrite(markup);
    EXPECT_EQ(out.substr(0, out.find('\n')), "-6");
}

TEST(ScriptXml, LinksAreNullWhereThereIsNoNode) {
    ActionAssembler a;
    NewXml(a, "x", "<a><b/><c/></a>");
    TraceMembers(a, "x", {"firstChild", "firstChild", "nodeName"});
    TraceMembers(a, "x", {"firstChild", "lastChild", "previousSibling", "nodeName"});
    TraceMembers(a, "x", {"firstChild", "firstChild", "previousSibling"});
    TraceMembers(a, "x", {"firstChild", "firstChild", "firstChild"});
    TraceMembers(a, "x", {"parentNode"});
    TraceMembers(a, "x", {"firstChild", "childNodes", "length"});
    TraceMembers(a, "x", {"firstChild", "nodeType"});
    TraceMembers(a, "x", {"nodeName"});
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "b\nb\nnull\nnull\nnull\n2\n1\nnull\n");
}

// n = x.firstChild; n.appendChild(x) (a cycle, refused); t = x.createTextNode("t");
// n.insertBefore(t, n.firstChild); n.lastChild.removeNode(); c = n.cloneNode(true)
TEST(ScriptXml, ScriptsMoveAndCopyNodes) {
    ActionAssembler a;
    NewXml(a, "x", "<a><b/><c/></a>");
    a.push({"n", "x"}).op(Action::GetVariable).push({"firstChild"}).op(Action::GetMember);
    a.op(Action::SetVariable);
    a.push({"x"}).op(Action::GetVariable).push({1, "n"}).op(Action::GetVariable);
    a.push({"appendChild"}).op(Action::CallMethod).op(Action::Pop);
    a.push({"t", "t", 1, "x"}).op(Action::GetVariable).push({"createTextNode"});
    a.op(Action::CallMethod).op(Action::SetVariable);
    a.push({"n"}).op(Action::GetVariable).push({"firstChild"}).op(Action::GetMember);
    a.push({"t"}).op(Action::GetVariable).push({2, "n"}).op(Action::GetVariable);
    a.push({"insertBefore"}).op(Action::CallMethod).op(Action::Pop);
    a.push({0, "n"}).op(Action::GetVariable).push({"lastChild"}).op(Action::GetMember);
    a.push({"removeNode"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "x", "toString", {}).op(Action::Trace);
    a.push({"c", true, 1, "n"}).op(Action::GetVariable).push({"cloneNode"});
    a.op(Action::CallMethod).op(Action::SetVariable);
    CallOn(a, "c", "toString", {}).op(Action::Trace);
    TraceMembers(a, "c", {"parentNode"});
    a.push({"c", false, 1, "n"}).op(Action::GetVariable).push({"cloneNode"});
    a.op(Action::CallMethod).op(Action::SetVariable);
    CallOn(a, "c", "toString", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), "<a>t<b /></a>\n<a>t<b /></a>\nnull\n<a />\n");
}

// x.ignoreWhite = true before parseXML drops the blank text between elements.
TEST(ScriptXml, IgnoreWhiteDropsBlankText) {
    for (const bool ignore : {false, true}) {
        ActionAssembler a;
        NewXml(a, "x", "");
        a.push({"x"}).op(Action::GetVariable).push({"ignoreWhite", ignore}).op(Action::SetMember);
        CallOn(a, "x", "parseXML", {"<a> <b/> </a>"}).op(Action::Pop);
        TraceMembers(a, "x", {"firstChild", "childNodes", "length"});
        EXPECT_EQ(RunMovie(OneScriptMovie(a)).joined(), ignore ? "1\n" : "3\n");
    }
}

TEST(ScriptXml, IdMapListsElementsByIdFromVersion8) {
    for (const int version : {7, 8}) {
        ActionAssembler a;
        NewXml(a, "x", "<a id=\"one\"><b id=\"two\"/></a>");
        TraceMembers(a, "x", {"idMap", "two", "nodeName"});
        EXPECT_EQ(RunMovie(OneScriptMovie(a, version)).joined(),
                  version >= 8 ? "b\n" : "undefined\n");
    }
}

} // namespace
