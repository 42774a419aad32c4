// XML and XMLList: parsing under the settings, E4X access by name, attribute and
// descendants, printing, and the errors malformed or cyclic markup gives.

#include "Avm2TestSupport.h"
#include "player/engine/script/common/XmlEntities.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// new XML(markup) (or XMLList).
Emit XmlOf(AbcWriter& abc, const std::string& markup, const std::string& cls = "XML") {
    const Emit ctor = Lex(abc, cls);
    return [=](AbcCode& c) {
        ctor(c);
        c.pushString(markup);
        c.op(0x42).u30(1);
    };
}

// value..name
Emit Descendants(AbcWriter& abc, Emit value, const std::string& name) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) {
        value(c);
        c.nameOp(0x59, multiname);
    };
}

const std::string kDoc = "<a id=\"7\"><b>1</b><!-- note --><c><b>2</b></c></a>";

TEST(Avm2Xml, AccessByNameAttributeAndDescendants) {
    AbcWriter abc;
    const Emit doc = XmlOf(abc, kDoc);
    const std::vector<TraceCase> cases = {
        {Get(abc, doc, "b"), "1"},
        {Get(abc, Get(abc, doc, "c"), "b"), "2"},
        {Call(abc, doc, "attribute", {Str("id")}), "7"},
        {Get(abc, doc, "@id"), "7"},
        {Descendants(abc, doc, "b"), "<b>1</b>\n<b>2</b>"},
        {Call(abc, Descendants(abc, doc, "b"), "length"), "2"},
        {Call(abc, Call(abc, doc, "children"), "length"), "2"},
        {Call(abc, Get(abc, doc, "missing"), "length"), "0"},
        {Call(abc, doc, "name"), "a"},
        {Call(abc, doc, "nodeKind"), "element"},
        {Call(abc, doc, "hasSimpleContent"), "false"},
        {Call(abc, Get(abc, doc, "b"), "hasSimpleContent"), "true"},
        {Then(doc, 0x95), "xml"},
        {Then(Get(abc, doc, "b"), 0x95), "xml"},
        {Call(abc, Call(abc, doc, "elements"), "length"), "2"},
        {Call(abc, Get(abc, Get(abc, doc, "c"), "b"), "parent"), "<c>\n  <b>2</b>\n</c>"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Xml, PrintsAsThePlayerDoes) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Call(abc, XmlOf(abc, kDoc), "toXMLString"),
         "<a id=\"7\">\n  <b>1</b>\n  <c>\n    <b>2</b>\n  </c>\n</a>"},
        {XmlOf(abc, "<a>  text  </a>"), "text"},
        {Call(abc, XmlOf(abc, "<a/>"), "toXMLString"), "<a/>"},
        {Call(abc, XmlOf(abc, "<a x='&quot;&lt;'>&lt;&#65;&#x42;</a>"), "toXMLString"),
         "<a x=\"&quot;&lt;\">&lt;AB</a>"},
        {Call(abc, XmlOf(abc, "<a><![CDATA[<b>]]></a>"), "toXMLString"), "<a><![CDATA[<b>]]></a>"},
        {XmlOf(abc, "<a><![CDATA[<b>]]></a>"), "<b>"},
        {Call(abc, XmlOf(abc, "<?xml version=\"1.0\"?><p:a xmlns:p=\"u\"/>"), "toXMLString"),
         "<p:a xmlns:p=\"u\"/>"},
        {Call(abc, XmlOf(abc, "<p:a xmlns:p=\"u\"/>"), "namespace"), "u"},
        {XmlOf(abc, "<b>1</b><b>2</b>", "XMLList"), "<b>1</b>\n<b>2</b>"},
        {XmlOf(abc, "plain"), "plain"},
        {SetNamed(abc, XmlOf(abc, "<a><b>1</b></a>"), "b", Str("x&y")),
         "<a>\n  <b>x&amp;y</b>\n</a>"},
        {SetNamed(abc, XmlOf(abc, "<a/>"), "n", Int(5)), "<a>\n  <n>5</n>\n</a>"},
        {Call(abc, XmlOf(abc, "<a/>"), "appendChild", {XmlOf(abc, "<b/>")}), "<a>\n  <b/>\n</a>"},
        {Call(abc, XmlOf(abc, "<a><c/></a>"), "prependChild", {XmlOf(abc, "<b/>")}),
         "<a>\n  <b/>\n  <c/>\n</a>"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Xml, SettingsChangeParsingAndPrinting) {
    AbcWriter abc;
    const Emit xml = Lex(abc, "XML");
    const auto setting = [&](const std::string& name, bool on) {
        return SetNamed(abc, xml, name, [on](AbcCode& c) { c.op(on ? 0x26 : 0x27); });
    };
    const auto then = [](Emit first, Emit second) {
        return [=](AbcCode& c) {
            first(c);
            c.op(0x29); // pop
            second(c);
        };
    };
    const std::vector<TraceCase> cases = {
        {then(setting("prettyPrinting", false), Call(abc, XmlOf(abc, kDoc), "toXMLString")),
         "<a id=\"7\"><b>1</b><c><b>2</b></c></a>"},
        {then(setting("ignoreComments", false), Call(abc, XmlOf(abc, kDoc), "toXMLString")),
         "<a id=\"7\"><b>1</b><!-- note --><c><b>2</b></c></a>"},
        {then(setting("ignoreWhitespace", false),
              Call(abc, XmlOf(abc, "<a> <b/></a>"), "children")),
         " \n<b/>"},
        {then(Call(abc, xml, "setSettings"), Call(abc, XmlOf(abc, kDoc), "toXMLString")),
         "<a id=\"7\">\n  <b>1</b>\n  <c>\n    <b>2</b>\n  </c>\n</a>"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Xml, MalformedOrCyclicMarkupFailsCleanly) {
    const std::vector<ErrorCase> cases = {
        {[](AbcWriter& abc) { return XmlOf(abc, "<a><b></a>"); },
         "TypeError: Error #1085: The element type \"b\" must be terminated by the matching "
         "end-tag \"</b>\"."},
        {[](AbcWriter& abc) { return XmlOf(abc, "<a"); },
         "TypeError: Error #1090: XML parser failure: element is malformed."},
        {[](AbcWriter& abc) { return XmlOf(abc, "<a><!-- open</a>"); },
         "TypeError: Error #1094: XML parser failure: Unterminated comment."},
        {[](AbcWriter& abc) { return XmlOf(abc, "<a/><b/>"); },
         "TypeError: Error #1088: The markup in the document following the root element must "
         "be well-formed."},
        {[](AbcWriter& abc) {
             // a.appendChild(a)
             const Emit a = XmlOf(abc, "<a/>");
             const std::uint32_t append = abc.name("appendChild");
             return [=](AbcCode& c) {
                 a(c);
                 c.op(0x2a);
                 c.callProperty(0x46, append, 1);
             };
         },
         "TypeError: Error #1118: Illegal cyclical loop between nodes."},
    };
    for (const ErrorCase& e : cases) {
        EXPECT_EQ(ErrorOf(e.emit), e.error);
    }
    std::string deep;
    for (int i = 0; i < 5000; ++i) {
        deep += "<a>";
    }
    const std::string error = ErrorOf([&](AbcWriter& abc) { return XmlOf(abc, deep); });
    EXPECT_NE(error.find("limit"), std::string::npos) << error;
}

// The decoder both interpreters' XML parsers share: references that name a character
// become it in UTF-8, and anything else stays exactly as written.
TEST(XmlEntities, KnownReferencesDecodeAndTheRestStaysAsWritten) {
    const struct {
        const char* text;
        const char* decoded;
    } cases[] = {
        {"a &lt;b&gt; &amp; &quot;c&quot; &apos;", "a <b> & \"c\" '"},
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&#233;&#x20AC;&#x1F600;", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"&nbsp; &unknown; & alone", "&nbsp; &unknown; & alone"},
        {"&#0; &#x110000; &#xZZ; &#; &#12a;", "&#0; &#x110000; &#xZZ; &#; &#12a;"},
        {"&#99999999999;", "&#99999999999;"}, // longer than any reference
        {"tail &amp", "tail &amp"},
        {"", ""},
    };
    for (const auto& [text, decoded] : cases) {
        EXPECT_EQ(engine::DecodeXmlEntities(text), decoded) << text;
    }
}

// flash.xml's XMLDocument reads markup into XMLNode trees the way the older XML object does.
TEST(Avm2XmlDocument, ReadsNavigatesCopiesAndPrintsNodes) {
    AbcWriter abc;
    const std::uint32_t documentClass = abc.qname(abc.ns(0x16, "flash.xml"), "XMLDocument");
    const auto document = [=](const std::string& markup) -> Emit {
        return [=](AbcCode& c) {
            c.nameOp(0x5d, documentClass).pushString(markup).callProperty(0x4a, documentClass, 1);
        };
    };
    const Emit doc = document("<?xml v?><a x=\"1\" y='&lt;'>t<b/><![CDATA[<c>]]></a><d>e</d>");
    const Emit a = Get(abc, doc, "firstChild");
    const Emit yes = [](AbcCode& c) { c.op(0x26); };
    const Emit no = [](AbcCode& c) { c.op(0x27); };
    const std::uint32_t parse = abc.name("parseXML"), append = abc.name("appendChild");
    const Emit ignoring = SetNamed(abc, document(""), "ignoreWhite", yes);
    const Emit ignoredWhite = [=](AbcCode& c) {
        ignoring(c);
        c.op(0x2a)
            .pushString("<a> <b>\t</b> <c><![CDATA[ ]]></c></a>")
            .callProperty(0x4f, parse, 1);
    };
    const Emit element = Call(abc, document(""), "createElement", {Str("x")});
    const Emit intoItself = [=](AbcCode& c) {
        element(c);
        c.op(0x2a).op(0x2a).callProperty(0x4f, append, 1);
    };
    const std::vector<TraceCase> cases = {
        {doc, "<?xml v?><a x=\"1\" y=\"&lt;\">t<b />&lt;c&gt;</a><d>e</d>"},
        {Get(abc, doc, "nodeName"), "null"},
        {Get(abc, doc, "nodeType"), "1"},
        {Get(abc, Get(abc, doc, "childNodes"), "length"), "2"},
        {Get(abc, a, "nodeName"), "a"},
        {Get(abc, Get(abc, a, "attributes"), "y"), "<"},
        {Get(abc, Get(abc, a, "firstChild"), "nodeType"), "3"},
        {Get(abc, Get(abc, a, "firstChild"), "nodeValue"), "t"},
        {Get(abc, Get(abc, a, "nextSibling"), "nodeName"), "d"},
        {Get(abc, Get(abc, Get(abc, a, "lastChild"), "previousSibling"), "nodeName"), "b"},
        {Call(abc, a, "cloneNode", {no}), "<a x=\"1\" y=\"&lt;\" />"},
        {Get(abc, Call(abc, a, "cloneNode", {yes}), "parentNode"), "null"},
        {Get(abc, Get(abc, Call(abc, a, "cloneNode", {yes}), "childNodes"), "length"), "3"},
        {Get(abc, Get(abc, document("<r xmlns:p=\"urn:p\"><p:k/></r>"), "firstChild"),
             "firstChild"),
         "<p:k />"},
        {Get(abc,
             Get(abc, Get(abc, document("<r xmlns:p=\"urn:p\"><p:k/></r>"), "firstChild"),
                 "firstChild"),
             "namespaceURI"),
         "urn:p"},
        // Blank text goes, a blank CDATA section stays.
        {ignoredWhite, "<a><b /><c> </c></a>"},
        // A node put inside itself stays where it was.
        {intoItself, "<x />"},
    };
    ExpectTraces(abc, cases);
}

} // namespace
} // namespace quillon::test
