// flash.system as a preview shows it to a movie: a local sandbox, fixed capabilities,
// load settings kept as given, and a clipboard that is never written.

#include "Avm2TestSupport.h"
#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;

// Traces ClassName.property of a flash.system class.
void TraceStatic(AbcCode& code, AbcWriter& abc, const char* cls, const char* property) {
    code.nameOp(0x60, abc.qname(abc.ns(0x16, "flash.system"), cls));
    code.nameOp(0x66, abc.name(property)).traceTop();
}

TEST(Avm2System, AMovieSeesALocalSandboxFixedCapabilitiesAndItsLoadSettings) {
    const testing::ScriptRun run = testing::RunMovie(DocumentMovie([](AbcCode& code, Names& n) {
        TraceStatic(code, n.abc, "Security", "sandboxType");
        TraceStatic(code, n.abc, "Capabilities", "os");
        TraceStatic(code, n.abc, "Capabilities", "hasPrinting");
        const std::uint32_t context = n.abc.qname(n.abc.ns(0x16, "flash.system"), "LoaderContext");
        code.nameOp(0x5d, context).op(0x26).callProperty(0x4a, context, 1).setLocal(1);
        code.getLocal(1).nameOp(0x66, n("checkPolicyFile")).traceTop();
        code.getLocal(1).nameOp(0x66, n("applicationDomain")).traceTop();
        code.getLocal(1).nameOp(0x66, n("allowCodeImport")).traceTop();
        const std::uint32_t system = n.abc.qname(n.abc.ns(0x16, "flash.system"), "System");
        code.nameOp(0x60, system).pushString("kept to itself");
        code.callProperty(0x4f, n("setClipboard"), 1);
        code.nameOp(0x60, system).op(0x20).callProperty(0x4f, n("setClipboard"), 1);
        code.trace("not reached");
    }));
    EXPECT_EQ(run.traces, (Lines{"localWithFile", "Linux", "false", "true", "null", "true"}));
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("TypeError: Error #2007: Parameter text must be non-null."),
              std::string::npos)
        << run.warnings[0];
}

} // namespace
} // namespace quillon::test
