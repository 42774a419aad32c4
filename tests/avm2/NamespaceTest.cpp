// Namespace's prefixes, isXMLName, the XML methods about namespaces, the printing of a
// node taken out of its tree, and case mapping beyond Latin-1.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

Emit Undefined() {
    return [](AbcCode& c) { c.op(0x21); };
}
Emit Null() {
    return [](AbcCode& c) { c.op(0x20); };
}

// "prefix|uri" of new Namespace(args...)
Emit Described(AbcWriter& abc, std::vector<Emit> args) {
    const Emit ns = New(abc, "Namespace", std::move(args));
    const std::uint32_t prefix = abc.name("prefix"), uri = abc.name("uri");
    return [=](AbcCode& c) {
        ns(c);
        c.op(0x2a).nameOp(0x66, prefix).pushString("|").op(0xa0).op(0x2b); // dup, +, swap
        c.nameOp(0x66, uri).op(0xa0);
    };
}

TEST(Avm2Namespace, PrefixesAreKeptOnlyWhenTheyAreNames) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Described(abc, {}), "|"},
        {Described(abc, {Str("u")}), "undefined|u"},
        {Described(abc, {Null()}), "undefined|null"},
        {Described(abc, {Str("")}), "|"},
        {Described(abc, {Str("p"), Str("u")}), "p|u"},
        {Described(abc, {Str(""), Str("u")}), "|u"},
        {Described(abc, {Str("not a name"), Str("u")}), "undefined|u"},
        {Described(abc, {Undefined(), Str("u")}), "undefined|u"},
        {Described(abc, {Str("p"), New(abc, "Namespace", {Str("q"), Str("v")})}), "p|v"},
        {Described(abc, {New(abc, "Namespace", {Str("q"), Str("v")})}), "q|v"},
        {Described(abc, {New(abc, "QName", {Str("w"), Str("n")})}), "undefined|w"},
        {Global(abc, "isXMLName", {Str("a1-b.c")}, 0x46), "true"},
        {Global(abc, "isXMLName", {Str("1a")}, 0x46), "false"},
        {Global(abc, "isXMLName", {Str("a:b")}, 0x46), "false"},
        {Global(abc, "isXMLName", {Str("\xc3\xa9t\xc3\xa9")}, 0x46), "true"},
        {Global(abc, "isXMLName", {}, 0x46), "false"},
    };
    ExpectTraces(abc, cases);
    EXPECT_NE(ErrorOf([](AbcWriter& a) {
                  return New(a, "Namespace", {Str("p"), Str("")});
              }).find("#1098"),
              std::string::npos);
}

Emit XmlOf(AbcWriter& abc, const std::string& markup) {
    return New(abc, "XML", {Str(markup)});
}

// The "prefix=uri" of each namespace in the array, joined by commas.
Emit Listed(AbcWriter& abc, Emit array) {
    const std::uint32_t length = abc.name("length"), prefix = abc.name("prefix"),
                        uri = abc.name("uri"), index = abc.multinameL(abc.nsSet({abc.publicNs()}));
    return [=](AbcCode& c) {
        array(c);
        c.setLocal(2);
        c.pushString("").setLocal(3);
        for (int i = 0; i < 4; ++i) { // at most four namespaces in these cases
            c.getLocal(2).nameOp(0x66, length).pushInt(i).op(0xaf); // length > i
            const AbcCode::Label skip = c.label();
            c.branch(0x12, skip); // iffalse
            c.getLocal(3).getLocal(2).pushInt(i).nameOp(0x66, index);
            c.op(0x2a).nameOp(0x66, prefix).pushString("=").op(0xa0).op(0x2b);
            c.nameOp(0x66, uri).op(0xa0).pushString(",").op(0xa0).op(0xa0).setLocal(3);
            c.place(skip);
        }
        c.getLocal(3);
    };
}

TEST(Avm2Namespace, XmlNamespacesInScopeDeclaredAndSet) {
    AbcWriter abc;
    const std::string markup =
        "<r xmlns:a=\"ua\"><m xmlns:b=\"ub\"><b:leaf x=\"1\">t</b:leaf></m></r>";
    const Emit leaf = Call(abc, Get(abc, XmlOf(abc, markup), "m"), "children");
    const std::vector<TraceCase> cases = {
        {Listed(abc, Call(abc, leaf, "inScopeNamespaces")), "b=ub,a=ua,"},
        {Listed(abc, Call(abc, leaf, "namespaceDeclarations")), ""},
        {Listed(abc, Call(abc, XmlOf(abc, "<r/>"), "inScopeNamespaces")), "=,"},
        {Get(abc, Call(abc, leaf, "namespace"), "prefix"), "b"},
        {Get(abc, Call(abc, leaf, "namespace", {Str("a")}), "uri"), "ua"},
        {Call(abc, leaf, "namespace", {Str("zz")}), "undefined"},
        {Call(abc, leaf, "toXMLString"),
         "<b:leaf x=\"1\" xmlns:b=\"ub\" xmlns:a=\"ua\">t</b:leaf>"},
        {Call(abc,
              Call(abc, XmlOf(abc, "<r xmlns:a=\"ua\"/>"), "addNamespace",
                   {New(abc, "Namespace", {Str("c"), Str("uc")})}),
              "toXMLString"),
         "<r xmlns:a=\"ua\" xmlns:c=\"uc\"/>"},
        {Call(abc,
              Call(abc, XmlOf(abc, "<r xmlns:a=\"ua\"/>"), "removeNamespace",
                   {New(abc, "Namespace", {Str("a"), Str("ua")})}),
              "toXMLString"),
         "<r/>"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Namespace, ListMethodsNameThemselvesInTheirError) {
    const std::string error = ErrorOf([](AbcWriter& a) {
        return Call(a, New(a, "XMLList", {Str("<a/><b/>")}), "inScopeNamespaces");
    });
    EXPECT_NE(error.find("The inScopeNamespaces method only works on lists containing one item"),
              std::string::npos)
        << error;
    EXPECT_NE(ErrorOf([](AbcWriter& a) {
                  return Call(a, New(a, "XML", {Str("<a/>")}), "setLocalName", {Str("1x")});
              }).find("#1117"),
              std::string::npos);
}

TEST(Avm2Namespace, GlobalObjectsPrintAsGlobal) {
    AbcWriter abc;
    ExpectTraces(abc, {{[](AbcCode& c) { c.op(0x64); }, "[object global]"}}); // getglobalscope
}

TEST(Avm2String, CaseMappingCoversAllOfUnicode) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Call(abc, Str("\xc3\xa9\xc3\x9f\xce\xb1"), "toUpperCase"), "\xc3\x89\xc3\x9f\xce\x91"},
        {Call(abc, Str("\xd0\x96\xc4\xb0"), "toLowerCase"), "\xd0\xb6i"},
        // Deseret, outside the basic plane: U+10400 <-> U+10428
        {Call(abc, Str("\xf0\x90\x90\x80"), "toLowerCase"), "\xf0\x90\x90\xa8"},
        {Call(abc, Str("\xf0\x90\x90\xa8"), "toUpperCase"), "\xf0\x90\x90\x80"},
        {Get(abc, Call(abc, Str("\xf0\x90\x90\xa8"), "toUpperCase"), "length"), "2"},
    };
    ExpectTraces(abc, cases);
}

} // namespace
} // namespace quillon::test
