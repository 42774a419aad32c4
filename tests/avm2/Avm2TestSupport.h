#pragma once
// Runs assembled ABC scripts and collects what they trace.

#include "player/engine/script/avm2/Vm.h"
#include "support/AbcWriter.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon::testing {
class MovieWriter;
}

namespace quillon::test {

// Tags of the ActionScript 3 movies tests write.
inline constexpr int FileAttributesTag = 69;
inline constexpr int DoAbc2Tag = 82;
inline constexpr int SymbolClassTag = 76;

struct ScriptRun {
    std::vector<std::string> lines; // trace output
    std::string error;              // the error that ended the run, if any
};

// Makes code the initialiser of the file's entry script and runs the file.
ScriptRun RunMain(AbcWriter& abc, const AbcCode& code, const avm2::Limits& limits = {},
                  const std::vector<AbcExceptionSpec>& exceptions = {},
                  const std::vector<AbcTraitSpec>& scriptTraits = {});
ScriptRun RunBytes(const std::vector<std::uint8_t>& bytes, const avm2::Limits& limits = {});

// A method with a body in one call: returns the method index.
std::uint32_t AddMethod(AbcWriter& abc, const AbcCode& code, std::uint32_t params = 0,
                        std::uint8_t flags = 0,
                        const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional = {},
                        const std::vector<AbcTraitSpec>& traits = {},
                        const std::vector<AbcExceptionSpec>& exceptions = {});

// Table-driven trace checks: each case leaves one value on the stack, which is traced.
using Emit = std::function<void(AbcCode&)>;
struct TraceCase {
    Emit emit;
    std::string expected;
};
void ExpectTraces(AbcWriter& abc, const std::vector<TraceCase>& cases);
Emit Double(double d);
Emit Str(const std::string& s);
Emit Int(std::int32_t i);
Emit Then(Emit value, std::uint8_t op);
Emit Lex(AbcWriter& abc, const std::string& name);
// value.name(args...)
Emit Call(AbcWriter& abc, Emit value, const std::string& name, std::vector<Emit> args = {});
Emit Get(AbcWriter& abc, Emit value, const std::string& name);
// value.name = item, leaving value on the stack.
Emit SetNamed(AbcWriter& abc, Emit value, const std::string& name, Emit item);
struct ErrorCase {
    std::function<Emit(AbcWriter&)> emit;
    std::string error;
};
// The error that ends a script made of the emitted value, traced ("" when none).
std::string ErrorOf(const std::function<Emit(AbcWriter&)>& emit);
// name(args...) through the scope chain with op (callproperty 0x46, constructprop 0x4a).
Emit Global(AbcWriter& abc, const std::string& name, std::vector<Emit> args, std::uint8_t op);
// new Array(items...) built with newarray.
Emit ArrayOf(std::vector<Emit> items);
// new cls(args...)
Emit New(AbcWriter& abc, const std::string& cls, std::vector<Emit> args = {});

// The names a constructor body uses.
struct Names {
    AbcWriter& abc;
    std::uint32_t display(const std::string& name) {
        return abc.qname(abc.ns(0x16, "flash.display"), name);
    }
    std::uint32_t geom(const std::string& name) {
        return abc.qname(abc.ns(0x16, "flash.geom"), name);
    }
    std::uint32_t operator()(const std::string& name) { return abc.name(name); }
};

// A movie whose document class Main (a MovieClip) runs body in its constructor, with
// `this` in local 0 and locals 1 to 7 free; timeline writes the first frame's
// definitions and placements.
std::vector<std::uint8_t>
DocumentMovie(const std::function<void(AbcCode&, Names&)>& body,
              const std::function<void(testing::MovieWriter&)>& timeline = {});

} // namespace quillon::test
