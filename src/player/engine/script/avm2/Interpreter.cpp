#include "player/engine/script/avm2/Interpreter.h"

#include "player/engine/script/avm2/AbcUnit.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Opcodes.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
namespace {

const MethodCode& CodeOf(Vm& vm, const MethodInfo& method) {
    if (!method.code && method.invalid.empty()) {
        if (!method.body) {
            method.invalid = "method " + method.name + " has no body";
        } else {
            try {
                method.code = DecodeBody(*method.unit, *method.body);
            } catch (const AbcError& e) {
                method.invalid = e.what();
            }
        }
    }
    if (!method.code) {
        vm.throwError(ErrorKind::VerifyError, 1011, method.invalid);
    }
    return *method.code;
}

[[noreturn]] void ArgumentMismatch(Vm& vm, const MethodInfo& m, std::size_t expected,
                                   std::size_t got) {
    vm.throwError(ErrorKind::ArgumentError, 1063,
                  "Argument count mismatch on " +
                      (m.name.empty() ? "Function/<anonymous>()" : m.name) + ". Expected " +
                      std::to_string(expected) + ", got " + std::to_string(got) + ".");
}

void BindArguments(Frame& f, const Value& thisv, std::span<const Value> args) {
    const MethodInfo& m = f.method;
    const std::size_t count = m.params.size();
    const std::size_t required = count - m.defaults.size();
    const bool takesMore = m.flags & (NeedRest | NeedArguments);
    // Only class methods check their argument count; a free function takes what it is
    // given, missing ones undefined, as ES3-style code calls its helpers.
    const bool checked = m.home != nullptr;
    if (args.size() < required && checked) {
        ArgumentMismatch(f.vm, m, required, args.size());
    }
    if (args.size() > count && !takesMore && checked) {
        ArgumentMismatch(f.vm, m, count, args.size());
    }
    f.locals[0] = thisv;
    for (std::size_t i = 0; i < count; ++i) {
        static const Value undefined;
        const Value& v = i < args.size() ? args[i]
                         : i < required  ? undefined
                                         : m.defaults[i - required];
        f.locals[i + 1] = CoerceTyped(f.vm, v, m.params[i], m.paramClasses[i]);
    }
    if (m.flags & NeedRest) {
        std::vector<Value> rest;
        if (args.size() > count) {
            rest.assign(args.begin() + count, args.end());
        }
        f.locals[count + 1] = Value::object(f.vm.newArray(std::move(rest)));
    } else if (m.flags & NeedArguments) {
        f.locals[count + 1] =
            Value::object(f.vm.newArray(std::vector<Value>(args.begin(), args.end())));
    }
}

// Finds the handler for an exception thrown by the instruction before pc.
bool Catch(Frame& f, const Value& thrown) {
    const int at = f.pc - 1;
    for (const ExceptionHandler& h : f.code.handlers) {
        if (at < h.from || at >= h.to) {
            continue;
        }
        if (h.type) {
            const Value type = FindDefinition(f.vm, *h.type);
            if (!type.isObject() || type.asObject()->kind != ObjectKind::Class ||
                !IsType(f.vm, thrown, static_cast<ClassObject*>(type.asObject()))) {
                continue;
            }
        }
        while (f.sp != f.stack) {
            *--f.sp = Value();
        }
        f.scopeTop = 0;
        f.push(thrown);
        f.pc = h.target;
        return true;
    }
    return false;
}

Value Execute(Frame& f) {
    const Instr* instrs = f.code.instrs.data();
    std::int64_t& steps = f.vm.stepsLeft();
    for (;;) {
        try {
            while (!f.done) {
                if (--steps < 0) {
                    f.vm.limitReached("the step budget of " + std::to_string(f.vm.limits().steps) +
                                      " steps");
                }
                const Instr& in = instrs[f.pc++];
                in.exec(f, in);
            }
            return std::move(f.result);
        } catch (ScriptException& e) {
            if (!Catch(f, e.value)) {
                throw;
            }
        }
    }
}

} // namespace

std::span<Value> Frame::popArgs(std::int32_t count) {
    if (count < 0 || count > sp - stack) {
        underflow();
    }
    sp -= count;
    return std::span<Value>(sp, static_cast<std::size_t>(count));
}

void Frame::overflow() {
    vm.throwError(ErrorKind::VerifyError, 1023, "Operand stack overflow in " + method.name + ".");
}

void Frame::underflow() {
    vm.throwError(ErrorKind::VerifyError, 1024, "Operand stack underflow in " + method.name + ".");
}

Value RunMethod(Vm& vm, const MethodInfo& method, const Value& thisv, std::span<const Value> args,
                const std::shared_ptr<const ScopeChain>& scope) {
    const MethodCode& code = CodeOf(vm, method);
    const AbcBody& body = *method.body;
    const std::uint32_t locals = LocalCount(*method.unit, body);
    const std::uint64_t scopeCap =
        body.maxScopeDepth > body.initScopeDepth ? body.maxScopeDepth - body.initScopeDepth : 0;
    const std::uint64_t total = std::uint64_t(locals) + body.maxStack + 1 + scopeCap;
    if (total > vm.limits().maxFrameValues) {
        vm.throwError(ErrorKind::VerifyError, 1107,
                      "Method " + method.name + " asks for too large a frame.");
    }
    std::vector<Value> storage(locals + body.maxStack + 1);
    std::vector<ScopeEntry> scopes(scopeCap + 1);
    Frame f(vm, method, code);
    f.locals = storage.data();
    f.localCount = locals;
    f.stack = f.sp = storage.data() + locals;
    f.stackEnd = storage.data() + storage.size();
    f.scopes = scopes.data();
    f.scopeCap = static_cast<int>(scopeCap);
    f.outer = scope;
    Value self = thisv;
    if (self.isNullish() && scope && !scope->entries.empty()) {
        self = scope->entries.front().value; // a plain function call's this is the global
    }
    BindArguments(f, self, args);
    // The frame joins the chain stack traces walk, for as long as it runs.
    struct Running {
        Vm& vm;
        ~Running() { vm.runningFrame = vm.runningFrame->caller; }
    };
    f.caller = vm.runningFrame;
    vm.runningFrame = &f;
    const Running running{vm};
    return Execute(f);
}

} // namespace quillon::avm2
