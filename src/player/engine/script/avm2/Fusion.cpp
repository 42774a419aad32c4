// Fuses the commonest instruction runs of loops into one dispatch: "getlocal r;
// increment_i; setlocal r" and "getlocal r; push int; if<compare>". The fused handler
// replaces the first instruction only; the rest stay in place and are stepped over,
// or run one by one when the values are not the ints the fast path expects.

#include "player/engine/script/avm2/AbcUnit.h"
#include "player/engine/script/avm2/Interpreter.h"
#include "player/engine/script/avm2/Opcodes.h"

namespace quillon::avm2 {
namespace {

int LocalRead(const Instr& in) {
    if (in.op >= 0xd0 && in.op <= 0xd3) {
        return in.op - 0xd0;
    }
    return in.op == 0x62 ? in.a : -1;
}

int LocalWrite(const Instr& in) {
    if (in.op >= 0xd4 && in.op <= 0xd7) {
        return in.op - 0xd4;
    }
    return in.op == 0x63 ? in.a : -1;
}

bool IsIntCompare(std::uint8_t op) {
    return (op >= 0x0c && op <= 0x0f) || (op >= 0x13 && op <= 0x1a);
}

// Runs the original instructions from the fused one on.
void RunPlain(Frame& f, const Instr& first) {
    Ops()[first.op].handler(f, first);
}

void IncLocalInt(Frame& f, const Instr& in) {
    Value& local = f.locals[in.a];
    if (!local.isInt()) {
        RunPlain(f, in);
        return;
    }
    local =
        Value::integer(static_cast<std::int32_t>(static_cast<std::uint32_t>(local.asInt()) + 1u));
    f.pc += 2;
}

bool Compare(std::uint8_t op, std::int32_t x, std::int32_t k) {
    switch (op) {
    case 0x15:
        return x < k;
    case 0x0c:
        return !(x < k);
    case 0x16:
        return x <= k;
    case 0x0d:
        return !(x <= k);
    case 0x17:
        return x > k;
    case 0x0e:
        return !(x > k);
    case 0x18:
        return x >= k;
    case 0x0f:
        return !(x >= k);
    case 0x13:
    case 0x19:
        return x == k;
    default:
        return x != k;
    }
}

void LocalCompareBranch(Frame& f, const Instr& in) {
    const Value& local = f.locals[in.a];
    if (!local.isInt()) {
        RunPlain(f, in);
        return;
    }
    const Instr& branch = (&in)[2];
    f.pc = Compare(branch.op, local.asInt(), in.b) ? branch.a : f.pc + 2;
}

std::int64_t IntConstant(const AbcUnit& unit, const Instr& in) {
    switch (in.op) {
    case 0x24:
    case 0x25:
        return in.a;
    case 0x2d:
        return unit.file.ints[in.a];
    default:
        return INT64_MIN;
    }
}

} // namespace

void FuseInstructions(const AbcUnit& unit, MethodCode& code, const std::vector<bool>& entered) {
    auto& instrs = code.instrs;
    for (std::size_t i = 0; i + 2 < instrs.size(); ++i) {
        if (entered[i + 1] || entered[i + 2]) {
            continue;
        }
        Instr& first = instrs[i];
        const int reg = LocalRead(first);
        if (reg < 0) {
            continue;
        }
        if (instrs[i + 1].op == 0xc0 && LocalWrite(instrs[i + 2]) == reg) {
            first.exec = IncLocalInt;
            first.a = reg;
            continue;
        }
        const std::int64_t k = IntConstant(unit, instrs[i + 1]);
        if (k != INT64_MIN && IsIntCompare(instrs[i + 2].op)) {
            first.exec = LocalCompareBranch;
            first.a = reg;
            first.b = static_cast<std::int32_t>(k);
        }
    }
}

} // namespace quillon::avm2
