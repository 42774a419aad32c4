#pragma once
// Method bodies decoded once into instructions with their operands resolved: names
// point at their multinames, branches at instruction indexes.

#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillon::avm2 {

struct Frame;
struct Instr;
struct AbcUnit;
struct AbcBody;
using Handler = void (*)(Frame& frame, const Instr& in);

struct Instr {
    Handler exec = nullptr;
    std::int32_t a = 0; // index, register, count or branch target
    std::int32_t b = 0; // second operand (argument count, index register)
    const Name* name = nullptr;
    std::uint8_t op = 0;
};

struct ExceptionHandler {
    std::int32_t from = 0, to = 0, target = 0; // instruction indexes, to is exclusive
    const Name* type = nullptr;                // nullptr catches everything
    const Name* var = nullptr;
};

struct MethodCode {
    std::vector<Instr> instrs;
    std::vector<ExceptionHandler> handlers;
    std::vector<std::vector<std::int32_t>> switches;          // default first, then the cases
    mutable std::vector<std::shared_ptr<Traits>> catchScopes; // newcatch, made on first use
};

// The class a parameter or return type names, found on first use.
struct TypedClass {
    const Name* name = nullptr; // null: not a class type
    mutable ClassObject* found = nullptr;
};

struct MethodInfo {
    AbcUnit* unit = nullptr;
    std::uint32_t index = 0;
    const AbcBody* body = nullptr;
    std::string name;
    std::uint8_t flags = 0;
    std::vector<Coercion> params;
    Coercion returns = Coercion::Any; // what returnvalue converts its value to
    std::vector<TypedClass> paramClasses; // beside params, for Coercion::Object
    TypedClass returnClass;
    std::vector<Value> defaults;      // for the last params
    std::shared_ptr<Traits> activation;
    // Decoded on first call; a body that does not decode keeps its error.
    mutable std::unique_ptr<MethodCode> code;
    mutable std::string invalid;
    ClassObject* home = nullptr;             // the class whose method this is, for super
    std::string traceName; // how a stack trace names it; empty: "MethodInfo-<index>"
    std::shared_ptr<const ScopeChain> scope; // where a method (not a closure) runs
};

// Fuses common runs into one dispatch; entered marks the instructions that must stay
// reachable on their own (branch targets, exception range edges).
void FuseInstructions(const AbcUnit& unit, MethodCode& code, const std::vector<bool>& entered);

// Decodes a body; throws AbcError with the reason when the code is not valid.
std::unique_ptr<MethodCode> DecodeBody(const AbcUnit& unit, const AbcBody& body);

} // namespace quillon::avm2
