// Stack, locals, constants, branches, scopes and enumeration.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/OpsSupport.h"
#include "player/engine/script/avm2/Properties.h"

#include <limits>

namespace quillon::avm2 {

PropName ReadName(Frame& f, const Name& name) {
    PropName p;
    if (name.runtimeName) {
        const Value v = f.pop();
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
    f.result = f.pop();
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
        index = NextIndex(o, index);
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
    f.push(Value::integer(o && index >= 0 ? NextIndex(o, index) : 0));
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
    {0x00, EndOfCode, Operands::Invalid, "end"}, {0x01, Nop, Operands::None, "bkpt"},
    {0x02, Nop, Operands::None, "nop"}, {0x03, Throw, Operands::None, "throw"},
    {0x06, Nop, Operands::String, "dxns"}, {0x08, Kill, Operands::Local, "kill"},
    {0x09, Nop, Operands::None, "label"},
    {0x0c, IfCompare<false, 1, true>, Operands::Branch, "ifnlt"},
    {0x0d, IfCompare<true, 0, true>, Operands::Branch, "ifnle"},
    {0x0e, IfCompare<true, 1, true>, Operands::Branch, "ifngt"},
    {0x0f, IfCompare<false, 0, true>, Operands::Branch, "ifnge"},
    {0x10, Jump, Operands::Branch, "jump"}, {0x11, IfTrue, Operands::Branch, "iftrue"},
    {0x12, IfFalse, Operands::Branch, "iffalse"},
    {0x13, IfEquals<false, true>, Operands::Branch, "ifeq"},
    {0x14, IfEquals<false, false>, Operands::Branch, "ifne"},
    {0x15, IfCompare<false, 1, false>, Operands::Branch, "iflt"},
    {0x16, IfCompare<true, 0, false>, Operands::Branch, "ifle"},
    {0x17, IfCompare<true, 1, false>, Operands::Branch, "ifgt"},
    {0x18, IfCompare<false, 0, false>, Operands::Branch, "ifge"},
    {0x19, IfEquals<true, true>, Operands::Branch, "ifstricteq"},
    {0x1a, IfEquals<true, false>, Operands::Branch, "ifstrictne"},
    {0x1b, LookupSwitch, Operands::Switch, "lookupswitch"},
    {0x1c, PushWith, Operands::None, "pushwith"}, {0x1d, PopScope, Operands::None, "popscope"},
    {0x1e, Next<true>, Operands::None, "nextname"}, {0x1f, HasNext, Operands::None, "hasnext"},
    {0x20, PushNull, Operands::None, "pushnull"},
    {0x21, PushUndefined, Operands::None, "pushundefined"},
    {0x23, Next<false>, Operands::None, "nextvalue"}, {0x24, PushInt, Operands::S8, "pushbyte"},
    {0x25, PushInt, Operands::Short, "pushshort"}, {0x26, PushTrue, Operands::None, "pushtrue"},
    {0x27, PushFalse, Operands::None, "pushfalse"}, {0x28, PushNaN, Operands::None, "pushnan"},
    {0x29, Pop, Operands::None, "pop"}, {0x2a, Dup, Operands::None, "dup"},
    {0x2b, Swap, Operands::None, "swap"}, {0x2c, PushString, Operands::String, "pushstring"},
    {0x2d, PushIntConst, Operands::Int, "pushint"},
    {0x2e, PushUintConst, Operands::Uint, "pushuint"},
    {0x2f, PushDouble, Operands::Double, "pushdouble"},
    {0x30, PushScope, Operands::None, "pushscope"},
    {0x31, PushNamespace, Operands::Namespace, "pushnamespace"},
    {0x32, HasNext2, Operands::Hasnext2, "hasnext2"},
    {0x47, ReturnVoid, Operands::None, "returnvoid"},
    {0x48, ReturnValue, Operands::None, "returnvalue"},
    {0x62, GetLocal, Operands::Local, "getlocal"}, {0x63, SetLocal, Operands::Local, "setlocal"},
    {0x64, GetGlobalScope, Operands::None, "getglobalscope"},
    {0x65, GetScopeObject, Operands::U8, "getscopeobject"},
    {0x67, GetOuterScope, Operands::U30, "getouterscope"},
    {0xd0, GetLocalN<0>, Operands::None, "getlocal0"},
    {0xd1, GetLocalN<1>, Operands::None, "getlocal1"},
    {0xd2, GetLocalN<2>, Operands::None, "getlocal2"},
    {0xd3, GetLocalN<3>, Operands::None, "getlocal3"},
    {0xd4, SetLocalN<0>, Operands::None, "setlocal0"},
    {0xd5, SetLocalN<1>, Operands::None, "setlocal1"},
    {0xd6, SetLocalN<2>, Operands::None, "setlocal2"},
    {0xd7, SetLocalN<3>, Operands::None, "setlocal3"}, {0xef, Nop, Operands::Debug, "debug"},
    {0xf0, Nop, Operands::U30, "debugline"}, {0xf1, Nop, Operands::String, "debugfile"},
    {0xf2, Nop, Operands::U30, "bkptline"}, {0xf3, Nop, Operands::None, "timestamp"},
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
