#pragma once
// The instruction set's operand layouts and the table that maps each opcode to its
// handler, filled by the Ops*.cpp files.

#include "player/engine/script/avm2/Code.h"

#include <array>
#include <cstdint>

namespace quillon::avm2 {

enum class Operands : std::uint8_t {
    None,
    U30,       // a
    U30U30,    // a, b
    U8,        // a
    S8,        // a, sign-extended
    Short,     // a: a u30 holding a sign-extended 16-bit value
    Local,     // a: a register
    Branch,    // a: target instruction
    Switch,    // a: switch table
    Debug,     // skipped
    Name,      // name
    NameArgs,  // name, b: argument count
    Hasnext2,  // a, b: registers
    String,    // a: constant
    Int,       // a: constant
    Uint,      // a: constant
    Double,    // a: constant
    Namespace, // a: namespace index
    Method,    // a: method index
    Class,     // a: class index
    Catch,     // a: exception index
    Invalid,
};

struct OpInfo {
    Handler handler = nullptr;
    Operands operands = Operands::Invalid;
    const char* name = "";
};

using OpTable = std::array<OpInfo, 256>;

const OpTable& Ops();

// Local register count of a body: what it declares, enough for its arguments.
std::uint32_t LocalCount(const AbcUnit& unit, const AbcBody& body);

} // namespace quillon::avm2
