// Stack, locals, constants, branches, scopes and enumeration.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/OpsSupport.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/QName.h"

#include <limits>

namespace quillon::avm2 {

PropName ReadName(Frame& f, const Name& name) {
    PropName p;
    if (name.runtimeName) {
        const Value v = f.pop();
        if (const QNameObject* q = AsQName(v); q && !name.runtimeNs) {
            // A QName brings its own namespace.
            p = QNamePropName(f.vm, *q);
            p.attribute = name.attribute;
            return p;
        }
        p = NameFromValue(f.vm, v);
    } else {
        p.atom = name.atom;
        p.index = name.index;
    }
    p.set = &name.ns;
    p.hasPublic = name.hasPublic;
    p.attribute = name.attribute;
    if (name.runtimeNs) {
        const Value ns = f.pop();
        p.set = nullptr;
        p.single = ns.isObject() && ns.asObject()->kind == ObjectKind::Namespace
                       ? static_cast<NamespaceObject*>(ns.asObject())->ns
                       : kPublicNs;
        p.hasPublic = p.single == kPublicNs;
    }
    return p;
}

std::shared_ptr<const ScopeChain> CaptureScope(const Frame& f) {
    auto chain = std::make_shared<ScopeChain>();
    if (f.outer) {
        chain->entries = f.outer->entries;
    }
    for (int i = 0; i < f.scopeTop; ++i) {
        chain->entries.push_back(f.scopes[i]);
    }
    return chain;
}

void VerifyFailure(Frame& f, const std::string& what) {
    f.vm.throwError(ErrorKind::VerifyError, 1030, what + " in " + f.method.name + ".");
}

namespace {

void Nop(Frame&, const Instr&) {}
void EndOfCode(Frame& f, const Instr&) {
    VerifyFailure(f, "Code runs off the end");
}
void Throw(Frame& f, const Instr&) {
    throw ScriptException{f.pop()};
}
void Kill(Frame& f, const Instr& in) {
    f.locals[in.a] = Value();
}
void Jump(Frame& f, const Instr& in) {
    f.pc = in.a;
}
void IfTrue(Frame& f, const Instr& in) {
    if (ToBoolean(f.pop())) {
        f.pc = in.a;
    }
}
void IfFalse(Frame& f, const Instr& in) {
    if (!ToBoolean(f.pop())) {
        f.pc = in.a;
    }
}

// The comparison branches: swap picks b < a, want is the result that jumps, negate
// the "not" forms (which jump on undefined too).
template <bool Swap, int Want, bool Negate> void IfCompare(Frame& f, const Instr& in) {
    const Value b = f.pop();
    const Value a = f.pop();
    int r;
    if (a.isInt() && b.isInt()) {
        r = Swap ? b.asInt() < a.asInt() : a.asInt() < b.asInt();
    } else {
        r = Swap ? LessThan(f.vm, b, a) : LessThan(f.vm, a, b);
    }
    if ((r == Want) != Negate) {
        f.pc = in.a;
    }
}

template <bool Strict, bool Want> void IfEquals(Frame& f, const Instr& in) {
    const Value b = f.pop();
    const Value a = f.pop();
    const bool eq = Strict ? StrictEquals(a, b) : LooseEquals(f.vm, a, b);
    if (eq == Want) {
        f.pc = in.a;
    }
}

void LookupSwitch(Frame& f, const Instr& in) {
    const std::int32_t index = ToInt32(f.vm, f.pop());
    const auto& table = f.code.switches[in.a];
    f.pc = (index >= 0 && static_cast<std::size_t>(index) + 1 < table.size()) ? table[index + 1]
                                                                              : table[0];
}

void PushNull(Frame& f, const Instr&) {
    f.push(Value::null());
}
void PushUndefined(Frame& f, const Instr&) {
    f.push(Value());
}
void PushInt(Frame& f, const Instr& in) {
    f.push(Value::integer(in.a));
}
void PushTrue(Frame& f, const Instr&) {
    f.push(Value::boolean(true));
}
void PushFalse(Frame& f, const Instr&) {
    f.push(Value::boolean(false));
}
void PushNaN(Frame& f, const Instr&) {
    f.push(Value::number(std::numeric_limits<double>::quiet_NaN()));
}
void PushString(Frame& f, const Instr& in) {
    f.push(f.method.unit->strings[in.a]);
}
void PushIntConst(Frame& f, const Instr& in) {
    f.push(Value::integer(f.method.unit->file.ints[in.a]));
}
void PushUintConst(Frame& f, const Instr& in) {
    f.push(Value::unsignedInt(f.method.unit->file.uints[in.a]));
}
void PushDouble(Frame& f, const Instr& in) {
    f.push(Value::number(f.method.unit->file.doubles[in.a]));
}
void PushNamespace(Frame& f, const Instr& in) {
    auto* ns = f.vm.make<NamespaceObject>();
    ns->ns = f.method.unit->namespaces[in.a];
    ns->uri = f.vm.nsUri(ns->ns);
    ns->cls = f.vm.core.ns;
    ns->traits = f.vm.core.ns->instanceTraits.get();
    f.push(Value::object(ns));
}
void Pop(Frame& f, const Instr&) {
    f.pop();
}
void Dup(Frame& f, const Instr&) {
    f.push(Value(f.top()));
}
void Swap(Frame& f, const Instr&) {
    Value b = f.pop();
    Value a = f.pop();
    f.push(std::move(b));
    f.push(std::move(a));
}
void GetLocal(Frame& f, const Instr& in) {
    f.push(f.locals[in.a]);
}
void SetLocal(Frame& f, const Instr& in) {
    f.locals[in.a] = f.pop();
}
template <int N> void GetLocalN(Frame& f, const Instr&) {
    f.push(f.locals[N]);
}
template <int N> void SetLocalN(Frame& f, const Instr&) {
    f.locals[N] = f.pop();
}
void ReturnVoid(Frame& f, const Instr&) {
    f.result = Value();
    f.done = true;
}
void ReturnValue(Frame& f, const Instr&) {
    f.result = CoerceTyped(f.vm, f.pop(), f.method.returns, f.method.returnClass);
    f.done = true;
}

void PushScopeEntry(Frame& f, bool isWith) {
    Value v = f.pop();
    if (v.isNullish()) {
        ThrowNullAccess(f.vm, v);
    }
    if (f.scopeTop >= f.scopeCap) {
        VerifyFailure(f, "Scope stack overflow");
    }
    f.scopes[f.scopeTop++] = ScopeEntry{std::move(v), isWith};
}
void PushScope(Frame& f, const Instr&) {
    PushScopeEntry(f, false);
}
void PushWith(Frame& f, const Instr&) {
    PushScopeEntry(f, true);
}
void PopScope(Frame& f, const Instr&) {
    if (f.scopeTop == 0) {
        VerifyFailure(f, "Scope stack underflow");
    }
    f.scopes[--f.scopeTop] = ScopeEntry{};
}
void GetScopeObject(Frame& f, const Instr& in) {
    if (in.a >= f.scopeTop) {
        VerifyFailure(f, "Scope index out of range");
    }
    f.push(f.scopes[in.a].value);
}
void GetOuterScope(Frame& f, const Instr& in) {
    if (!f.outer || static_cast<std::size_t>(in.a) >= f.outer->entries.size()) {
        VerifyFailure(f, "Outer scope index out of range");
    }
    f.push(f.outer->entries[in.a].value);
}
void GetGlobalScope(Frame& f, const Instr&) {
    if (f.outer && !f.outer->entries.empty()) {
        f.push(f.outer->entries.front().value);
    } else if (f.scopeTop > 0) {
        f.push(f.scopes[0].value);
    } else {
        f.push(Value::object(f.vm.builtins));
    }
}

Object* Enumerable(Vm& vm, const Value& v) {
    if (v.isObject()) {
        return v.asObject();
    }
    (void)vm;
    return nullptr;
}

void HasNext2(Frame& f, const Instr& in) {
    Object* o = Enumerable(f.vm, f.locals[in.a]);
    int index = ToInt32(f.vm, f.locals[in.b]);
    while (o) {
        index = NextIndex(f.vm, o, index);
        if (index > 0) {
            break;
        }
        o = o->proto;
    }
    f.locals[in.a] = o ? Value::object(o) : Value::null();
    f.locals[in.b] = Value::integer(o ? index : 0);
    f.push(Value::boolean(o != nullptr));
}
void HasNext(Frame& f, const Instr&) {
    const std::int32_t index = ToInt32(f.vm, f.pop());
    Object* o = Enumerable(f.vm, f.pop());
    f.push(Value::integer(o && index >= 0 ? NextIndex(f.vm, o, index) : 0));
}
template <bool Names> void Next(Frame& f, const Instr&) {
    const std::int32_t index = ToInt32(f.vm, f.pop());
    Object* o = Enumerable(f.vm, f.pop());
    if (!o) {
        f.push(Value());
        return;
    }
    f.push(Names ? NameAt(f.vm, o, index) : ValueAt(f.vm, o, index));
}

// clang-format off
const OpEntry kEntries[] = {
    {0x00, EndOfCode, "end", Operands::Invalid}, {0x01, Nop, "bkpt"}, {0x02, Nop, "nop"},
    {0x03, Throw, "throw"}, {0x06, Nop, "dxns", Operands::String},
    {0x08, Kill, "kill", Operands::Local}, {0x09, Nop, "label"},
    {0x0c, IfCompare<false, 1, true>, "ifnlt", Operands::Branch},
    {0x0d, IfCompare<true, 0, true>, "ifnle", Operands::Branch},
    {0x0e, IfCompare<true, 1, true>, "ifngt", Operands::Branch},
    {0x0f, IfCompare<false, 0, true>, "ifnge", Operands::Branch},
    {0x10, Jump, "jump", Operands::Branch}, {0x11, IfTrue, "iftrue", Operands::Branch},
    {0x12, IfFalse, "iffalse", Operands::Branch},
    {0x13, IfEquals<false, true>, "ifeq", Operands::Branch},
    {0x14, IfEquals<false, false>, "ifne", Operands::Branch},
    {0x15, IfCompare<false, 1, false>, "iflt", Operands::Branch},
    {0x16, IfCompare<true, 0, false>, "ifle", Operands::Branch},
    {0x17, IfCompare<true, 1, false>, "ifgt", Operands::Branch},
    {0x18, IfCompare<false, 0, false>, "ifge", Operands::Branch},
    {0x19, IfEquals<true, true>, "ifstricteq", Operands::Branch},
    {0x1a, IfEquals<true, false>, "ifstrictne", Operands::Branch},
    {0x1b, LookupSwitch, "lookupswitch", Operands::Switch}, {0x1c, PushWith, "pushwith"},
    {0x1d, PopScope, "popscope"}, {0x1e, Next<true>, "nextname"}, {0x1f, HasNext, "hasnext"},
    {0x20, PushNull, "pushnull"}, {0x21, PushUndefined, "pushundefined"},
    {0x23, Next<false>, "nextvalue"}, {0x24, PushInt, "pushbyte", Operands::S8},
    {0x25, PushInt, "pushshort", Operands::Short}, {0x26, PushTrue, "pushtrue"},
    {0x27, PushFalse, "pushfalse"}, {0x28, PushNaN, "pushnan"}, {0x29, Pop, "pop"},
    {0x2a, Dup, "dup"}, {0x2b, Swap, "swap"}, {0x2c, PushString, "pushstring", Operands::String},
    {0x2d, PushIntConst, "pushint", Operands::Int},
    {0x2e, PushUintConst, "pushuint", Operands::Uint},
    {0x2f, PushDouble, "pushdouble", Operands::Double}, {0x30, PushScope, "pushscope"},
    {0x31, PushNamespace, "pushnamespace", Operands::Namespace},
    {0x32, HasNext2, "hasnext2", Operands::Hasnext2}, {0x47, ReturnVoid, "returnvoid"},
    {0x48, ReturnValue, "returnvalue"}, {0x62, GetLocal, "getlocal", Operands::Local},
    {0x63, SetLocal, "setlocal", Operands::Local}, {0x64, GetGlobalScope, "getglobalscope"},
    {0x65, GetScopeObject, "getscopeobject", Operands::U8},
    {0x67, GetOuterScope, "getouterscope", Operands::U30}, {0xd0, GetLocalN<0>, "getlocal0"},
    {0xd1, GetLocalN<1>, "getlocal1"}, {0xd2, GetLocalN<2>, "getlocal2"},
    {0xd3, GetLocalN<3>, "getlocal3"}, {0xd4, SetLocalN<0>, "setlocal0"},
    {0xd5, SetLocalN<1>, "setlocal1"}, {0xd6, SetLocalN<2>, "setlocal2"},
    {0xd7, SetLocalN<3>, "setlocal3"}, {0xef, Nop, "debug", Operands::Debug},
    {0xf0, Nop, "debugline", Operands::U30}, {0xf1, Nop, "debugfile", Operands::String},
    {0xf2, Nop, "bkptline", Operands::U30}, {0xf3, Nop, "timestamp"},
};
// clang-format on

} // namespace

extern const std::span<const OpEntry> StackOps = kEntries;

const OpTable& Ops() {
    static const OpTable table = [] {
        OpTable t{};
        for (const auto& entries : {StackOps, ArithmeticOps, PropertyOps, CallOps, MemoryOps}) {
            for (const OpEntry& e : entries) {
                t[e.op] = OpInfo{e.handler, e.operands, e.name};
            }
        }
        return t;
    }();
    return table;
}

} // namespace quillon::avm2
