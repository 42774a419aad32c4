// flash.utils.describeType on classes a movie defines: members with their types, what
// is inherited and overridden, what stays hidden, and a class object's own side.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// Base (package geo) and Sub extending it, made in Main's constructor, which traces
// describeType of a Sub, of the class Base and of null.
testing::ScriptRun DescribeBaseAndSub() {
    return testing::RunMovie(DocumentMovie([](AbcCode& code, Names& n) {
        AbcWriter& abc = n.abc;
        const std::uint32_t geo = abc.ns(0x16, "geo");
        const std::uint32_t number = abc.name("Number"), text = abc.name("String");
        const std::uint32_t whole = abc.name("int"), none = abc.name("void");
        const auto method = [&](std::vector<std::uint32_t> types, std::uint32_t returns,
                                const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional,
                                bool returnsValue = false) {
            AbcCode body(abc);
            if (returnsValue) {
                body.pushInt(1).op(0x48);
            } else {
                body.op(0x47);
            }
            const auto count = static_cast<std::uint32_t>(types.size());
            const std::uint32_t m = abc.method(count, optional.empty() ? 0 : 0x08, optional, "",
                                               std::move(types), returns);
            abc.body(m, body, count + 1);
            return m;
        };
        const auto constructor =
            [&](std::vector<std::uint32_t> types,
                const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional) {
                AbcCode body(abc);
                body.getLocal(0).op(0x49).u30(0).op(0x47);
                const auto count = static_cast<std::uint32_t>(types.size());
                const std::uint32_t m =
                    abc.method(count, optional.empty() ? 0 : 0x08, optional, "", std::move(types));
                abc.body(m, body, count + 1);
                return m;
            };
        const std::uint32_t cinit = method({}, 0, {});
        AbcClassSpec base;
        base.name = abc.qname(geo, "Base");
        base.superName = abc.name("Object");
        base.iinit = constructor({text}, {{abc.string("none"), 0x01}});
        base.cinit = cinit;
        base.instanceTraits = {
            {abc.name("x"), 0, 0, number},
            {abc.name("id"), 6, 0, text},
            {abc.qname(abc.ns(0x05, "geo:Base"), "secret"), 0, 0, text},
            {abc.name("size"), 2, 0, 0, 0, 0, method({}, whole, {}, true)},
            {abc.name("label"), 3, 0, 0, 0, 0, method({text}, none, {})},
            {abc.name("move"), 1, 0, 0, 0, 0,
             method({number, number}, none, {{abc.integer(0), 0x03}})},
            {abc.qname(abc.ns(0x08, "http://adobe.com/AS3/2006/builtin"), "each"), 1, 0, 0, 0, 0,
             method({}, 0, {})},
        };
        base.classTraits = {{abc.name("make"), 1, 0, 0, 0, 0, method({}, 0, {})}};
        AbcClassSpec sub;
        sub.name = abc.qname(geo, "Sub");
        sub.superName = base.name;
        sub.iinit = constructor({}, {});
        sub.cinit = cinit;
        sub.instanceTraits = {
            {abc.name("move"), 1, 0, 0, 0, 0, method({number, number}, whole, {}), 0x2},
            {abc.name("extra"), 0, 0,
             abc.typeName(abc.qname(abc.ns(0x16, "__AS3__.vec"), "Vector"), {whole})},
        };
        const std::uint32_t baseIndex = abc.addClass(base);
        const std::uint32_t subIndex = abc.addClass(sub);
        code.nameOp(0x60, abc.name("Object")).op(0x58).u30(baseIndex).setLocal(1);
        code.getLocal(1).op(0x58).u30(subIndex).setLocal(2);
        const std::uint32_t describe = abc.qname(abc.ns(0x16, "flash.utils"), "describeType");
        code.nameOp(0x5d, describe).getLocal(2).op(0x42).u30(0);
        code.callProperty(0x46, describe, 1).traceTop();
        code.nameOp(0x5d, describe).getLocal(1).callProperty(0x46, describe, 1).traceTop();
        // an element without children traces as its text: null's is read whole
        code.nameOp(0x5d, describe).op(0x20).callProperty(0x46, describe, 1);
        code.callProperty(0x46, abc.name("toXMLString"), 0).traceTop();
    }));
}

TEST(Avm2DescribeType, AnInstanceShowsItsPublicMembersWhoDeclaresThemAndTheirTypes) {
    const testing::ScriptRun run = DescribeBaseAndSub();
    ASSERT_EQ(run.traces.size(), 3u) << (run.warnings.empty() ? "" : run.warnings[0]);
    const std::string& sub = run.traces[0];
    EXPECT_EQ(sub.rfind("<type name=\"geo::Sub\" base=\"geo::Base\" isDynamic=\"false\" "
                        "isFinal=\"false\" isStatic=\"false\">",
                        0),
              0u)
        << sub;
    for (const char* part : {
             "<extendsClass type=\"geo::Base\"/>",
             "<extendsClass type=\"Object\"/>",
             "<variable name=\"x\" type=\"Number\"/>",
             "<variable name=\"extra\" type=\"__AS3__.vec::Vector.",
             "<constant name=\"id\" type=\"String\"/>",
             "<accessor name=\"size\" access=\"readonly\" type=\"int\" declaredBy=\"geo::Base\"/>",
             "<accessor name=\"label\" access=\"writeonly\" type=\"String\" "
             "declaredBy=\"geo::Base\"/>",
             // the override is declared by Sub, with its own return type
             "<method name=\"move\" declaredBy=\"geo::Sub\" returnType=\"int\">",
             "<method name=\"each\" declaredBy=\"geo::Base\" returnType=\"*\" "
             "uri=\"http://adobe.com/AS3/2006/builtin\"/>",
             "<parameter index=\"1\" type=\"Number\" optional=\"false\"/>",
         }) {
        EXPECT_NE(sub.find(part), std::string::npos) << part << "\n" << sub;
    }
    // private members and the statics stay out of an instance's description; Sub's own
    // constructor takes nothing
    for (const char* absent : {"secret", "make", "<constructor>", "<factory"}) {
        EXPECT_EQ(sub.find(absent), std::string::npos) << absent << "\n" << sub;
    }
}

TEST(Avm2DescribeType, AClassShowsItsStaticsAndItsInstancesInAFactory) {
    const testing::ScriptRun run = DescribeBaseAndSub();
    ASSERT_EQ(run.traces.size(), 3u);
    const std::string& base = run.traces[1];
    EXPECT_EQ(base.rfind("<type name=\"geo::Base\" base=\"Class\" isDynamic=\"true\" "
                         "isFinal=\"true\" isStatic=\"true\">",
                         0),
              0u)
        << base;
    const std::size_t factory = base.find("<factory type=\"geo::Base\">");
    ASSERT_NE(factory, std::string::npos) << base;
    const std::size_t make = base.find("<method name=\"make\" declaredBy=\"geo::Base\"");
    EXPECT_LT(make, factory) << base;
    EXPECT_NE(base.find("<accessor name=\"prototype\" access=\"readonly\" type=\"*\" "
                        "declaredBy=\"Class\"/>"),
              std::string::npos)
        << base;
    // the constructor's optional parameter, inside the factory
    const std::size_t parameter =
        base.find("<parameter index=\"1\" type=\"String\" optional=\"true\"/>");
    EXPECT_GT(parameter, factory) << base;
    EXPECT_NE(parameter, std::string::npos) << base;
    EXPECT_EQ(run.traces[2], "<type name=\"null\" isDynamic=\"false\" isFinal=\"true\" "
                             "isStatic=\"false\"/>");
}

} // namespace
} // namespace quillon::test
