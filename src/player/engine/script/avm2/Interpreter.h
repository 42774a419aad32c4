#pragma once
// The instruction loop and the state of one running method.

#include "player/engine/script/avm2/Code.h"

#include <memory>
#include <span>

namespace quillon::avm2 {

class Vm;

struct Frame {
    Frame(Vm& vm, const MethodInfo& method, const MethodCode& code)
        : vm(vm), method(method), code(code) {}
    Vm& vm;
    const MethodInfo& method;
    const MethodCode& code;
    Value* locals = nullptr;
    std::uint32_t localCount = 0;
    Value* stack = nullptr; // the operand stack's bottom
    Value* sp = nullptr;    // the next free entry
    Value* stackEnd = nullptr;
    ScopeEntry* scopes = nullptr;
    int scopeTop = 0, scopeCap = 0;
    std::shared_ptr<const ScopeChain> outer;
    int pc = 0;
    bool done = false;
    const Frame* caller = nullptr; // the frame that was running when this one began
    Value result;

    void push(Value v) {
        if (sp == stackEnd) {
            overflow();
        }
        *sp++ = std::move(v);
    }
    Value pop() {
        if (sp == stack) {
            underflow();
        }
        return std::move(*--sp);
    }
    Value& top() {
        if (sp == stack) {
            underflow();
        }
        return sp[-1];
    }
    // The count values on top of the stack, bottom first, checked.
    std::span<Value> popArgs(std::int32_t count);
    [[noreturn]] void overflow();
    [[noreturn]] void underflow();
};

Value RunMethod(Vm& vm, const MethodInfo& method, const Value& thisv, std::span<const Value> args,
                const std::shared_ptr<const ScopeChain>& scope);

} // namespace quillon::avm2
