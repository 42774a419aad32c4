// The loop: control flow, the stack, registers and blocks (With, Try) here; everything
// else is handed to the helpers by kind.

#include "player/engine/script/avm1/Frame.h"

namespace quillon::engine::avm1 {

namespace {

Outcome RunWith(Vm& vm, Frame& frame, std::uint32_t pc, std::uint32_t end) {
    const Value target = vm.pop();
    Object* object = vm.toObject(target);
    if (!object) {
        return RunRange(vm, frame, pc, end);
    }
    const ScopeRef saved = frame.scope;
    frame.scope = std::make_shared<const Scope>(Scope{object, saved});
    Outcome outcome;
    try {
        outcome = RunRange(vm, frame, pc, end);
    } catch (...) {
        frame.scope = saved;
        throw;
    }
    frame.scope = saved;
    return outcome;
}

Outcome RunTry(Vm& vm, Frame& frame, const Instr& in, std::uint32_t pc) {
    const Instr& catchVar = frame.block->code[pc];
    const std::uint32_t tryStart = pc + 1;
    const bool hasCatch = in.flags & 1;
    const bool hasFinally = in.flags & 2;
    const std::size_t depth = vm.stack.size();
    Outcome outcome;
    std::optional<ScriptThrow> pending;
    try {
        outcome = RunRange(vm, frame, tryStart, in.a);
    } catch (ScriptThrow& thrown) {
        vm.stack.resize(std::min(depth, vm.stack.size()));
        if (hasCatch) {
            if (in.flags & 4) {
                if (catchVar.a < frame.registers.size()) {
                    frame.registers[catchVar.a] = thrown.value;
                }
            } else {
                SetVariable(vm, frame, frame.block->literals[catchVar.a].str(), thrown.value);
            }
            try {
                outcome = RunRange(vm, frame, in.a, in.b);
            } catch (ScriptThrow& again) {
                if (!hasFinally) {
                    throw;
                }
                pending = again;
            }
        } else {
            pending = thrown;
        }
    }
    if (outcome.flow == Flow::Jumped && outcome.pc == in.b) {
        outcome.flow = Flow::Fell; // a jump to the finally block: it runs below, once
    }
    if (hasFinally) {
        const Outcome fin = RunRange(vm, frame, in.b, in.c);
        if (fin.flow != Flow::Fell) {
            return fin;
        }
    }
    if (pending) {
        throw *pending;
    }
    if (outcome.flow == Flow::Fell) {
        outcome.flow = Flow::Jumped;
        outcome.pc = in.c;
    }
    return outcome;
}

void StoreRegister(Vm& vm, Frame& frame, std::uint32_t index) {
    if (vm.stack.empty()) {
        return;
    }
    if (index < frame.registers.size()) {
        frame.registers[index] = vm.stack.back();
    }
}

// Pushes, pops and registers; false when the instruction is another kind.
bool StackAction(Vm& vm, Frame& frame, const Instr& in) {
    switch (in.op) {
    case PushLiteral:
        vm.stack.push_back(frame.block->literals[in.a]);
        return true;
    case PushRegister:
        vm.stack.push_back(in.a < frame.registers.size() ? frame.registers[in.a] : Value());
        return true;
    case PushPoolItem:
        vm.stack.push_back(frame.pool && in.a < frame.pool->size() ? Value((*frame.pool)[in.a])
                                                                   : Value());
        return true;
    case 0x17:
        vm.pop();
        return true;
    case 0x4c:
        vm.stack.push_back(vm.stack.empty() ? Value() : vm.stack.back());
        return true;
    case 0x4d:
        if (vm.stack.size() >= 2) {
            std::swap(vm.stack[vm.stack.size() - 1], vm.stack[vm.stack.size() - 2]);
        }
        return true;
    case 0x87:
        StoreRegister(vm, frame, in.a);
        return true;
    case 0x88:
        frame.pool = frame.block->pools[in.a];
        return true;
    case 0x8a:
        return true; // everything is loaded: never skip
    case 0x8d: {
        // everything is loaded, but an object naming the frame still gives its text
        const Value frameName = vm.pop();
        if (frameName.isObject()) {
            vm.toStr(frameName);
        }
        return true;
    }
    case 0:
        return true;
    default:
        return false;
    }
}

void OtherAction(Vm& vm, Frame& frame, const Instr& in) {
    if (!ExecArithmeticAction(vm, in) && !ExecStringAction(vm, frame, in) &&
        !ExecObjectAction(vm, frame, in)) {
        ExecTimelineAction(vm, frame, in);
    }
}

} // namespace

Value Vm::pop() {
    if (stack.empty()) {
        return Value();
    }
    Value v = std::move(stack.back());
    stack.pop_back();
    return v;
}

Outcome RunRange(Vm& vm, Frame& frame, std::uint32_t pc, std::uint32_t end) {
    const std::vector<Instr>& code = frame.block->code;
    end = std::min<std::uint32_t>(end, static_cast<std::uint32_t>(code.size()));
    const std::uint32_t begin = pc;
    auto jump = [&](std::uint32_t to, Outcome& out) {
        if (to < begin || to >= end) {
            out = Outcome{Flow::Jumped, to, Value()};
            return true;
        }
        pc = to;
        return false;
    };
    while (pc < end) {
        if (--vm.steps_ < 0) {
            throw ScriptAbort{"a script ran too long; it was stopped"};
        }
        const Instr& in = code[pc++];
        if (StackAction(vm, frame, in)) {
            continue;
        }
        Outcome out;
        switch (in.op) {
        case BadAction:
            return Outcome{Flow::Jumped, static_cast<std::uint32_t>(code.size()), {}};
        case 0x99:
            if (jump(in.a, out)) {
                return out;
            }
            break;
        case 0x9d:
            if (vm.toBool(vm.pop()) && jump(in.a, out)) {
                return out;
            }
            break;
        case 0x3e:
            return Outcome{Flow::Returned, pc, vm.pop()};
        case 0x2a:
            throw ScriptThrow{vm.pop()};
        case 0x94:
        case 0x8f:
            out = in.op == 0x94 ? RunWith(vm, frame, pc, in.a) : RunTry(vm, frame, in, pc);
            if (out.flow == Flow::Returned) {
                return out;
            }
            if (jump(out.flow == Flow::Jumped ? out.pc : in.a, out)) {
                return out;
            }
            break;
        default: {
            // a call (but not a method call on nothing) that removed the clip this code
            // runs for ends the code there
            const bool onSomething = vm.stack.size() >= 2 && !vm.stack.end()[-2].isNullish();
            const bool call = in.op == 0x3d || in.op == 0x40 || in.op == 0x9e ||
                              ((in.op == 0x52 || in.op == 0x53) && onSomething);
            OtherAction(vm, frame, in);
            if (call && frame.original && !vm.host().exists(frame.original)) {
                return Outcome{Flow::Returned, pc, Value()};
            }
            break;
        }
        }
    }
    return Outcome{Flow::Fell, pc, Value()};
}

Value Vm::execute(Frame& frame, bool keepStack) {
    frame.stackBase = stack.size();
    Outcome outcome =
        RunRange(*this, frame, 0, static_cast<std::uint32_t>(frame.block->code.size()));
    if (!keepStack) {
        stack.resize(std::min(stack.size(), frame.stackBase));
    }
    return outcome.flow == Flow::Returned ? outcome.value : Value();
}

} // namespace quillon::engine::avm1
