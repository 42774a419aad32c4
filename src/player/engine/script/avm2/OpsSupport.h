#pragma once
// What the instruction handlers share.

#include "player/engine/script/avm2/AbcUnit.h"
#include "player/engine/script/avm2/Interpreter.h"
#include "player/engine/script/avm2/Opcodes.h"
#include "player/engine/script/avm2/Vm.h"

#include <span>

namespace quillon::avm2 {

struct OpEntry {
    std::uint8_t op;
    Handler handler;
    const char* name;
    Operands operands = Operands::None;
};

// The instructions of each Ops file, entered into the table by Ops().
extern const std::span<const OpEntry> StackOps, ArithmeticOps, PropertyOps, CallOps, MemoryOps;

// The name of an instruction with its run-time parts taken off the stack.
PropName ReadName(Frame& f, const Name& name);
// The scope chain a closure or class made here captures.
std::shared_ptr<const ScopeChain> CaptureScope(const Frame& f);
[[noreturn]] void VerifyFailure(Frame& f, const std::string& what);

} // namespace quillon::avm2
