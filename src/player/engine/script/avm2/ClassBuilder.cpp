#include "player/engine/script/avm2/ClassBuilder.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/Vm.h"

#include <cmath>
#include <limits>

namespace quillon::avm2 {
namespace {

Value DefaultFor(Coercion coercion, std::uint32_t typeName) {
    switch (coercion) {
    case Coercion::Int:
    case Coercion::Uint:
        return Value::integer(0);
    case Coercion::Number:
        return Value::number(std::numeric_limits<double>::quiet_NaN());
    case Coercion::Boolean:
        return Value::boolean(false);
    case Coercion::String:
    case Coercion::Object:
        return Value::null();
    case Coercion::Any:
        return typeName == 0 ? Value() : Value::null();
    }
    return Value();
}

std::uint32_t SlotIndex(Traits& traits, std::uint32_t slotId, std::size_t baseSlots,
                        std::size_t traitCount) {
    // Ids name a place among this class's own slots; zero, a clash or a wild id takes
    // the next free one.
    std::size_t index = slotId ? baseSlots + slotId - 1 : traits.slots.size();
    if (index < traits.slots.size() || index >= baseSlots + traitCount) {
        index = traits.slots.size();
        for (const auto& [key, b] : traits.bindings) {
            if (b.kind == Binding::Kind::Slot && b.slot >= index) {
                index = b.slot + 1;
            }
        }
    }
    if (index >= traits.slots.size()) {
        traits.slots.resize(index + 1);
    }
    return static_cast<std::uint32_t>(index);
}

// A trait's name in a stack trace: a method in a namespace of the script's own shows
// the namespace's URI ("uri::f"); any other shows its local name.
std::string TraceLocalName(const AbcUnit& unit, std::uint32_t multiname) {
    const AbcFile& file = unit.file;
    const AbcMultiname& m = file.multinames[multiname];
    const std::string& local = file.strings[m.name];
    if (m.kind != MultinameKind::QName || m.ns >= file.namespaces.size()) {
        return local;
    }
    const AbcNamespace& ns = file.namespaces[m.ns];
    return ns.kind == NsKind::Namespace && ns.name ? file.strings[ns.name] + "::" + local : local;
}

void AddMethodTrait(AbcUnit& unit, Traits& traits, std::uint64_t key, const AbcTrait& trait,
                    const TraitsContext& context) {
    MethodInfo* method = unit.methods[trait.index].get();
    method->home = context.home;
    method->scope = context.scope;
    if (!context.owner.empty()) {
        const char* kind = trait.kind == TraitKind::Getter   ? "get "
                           : trait.kind == TraitKind::Setter ? "set "
                                                             : "";
        method->traceName = context.owner + "/" + kind + TraceLocalName(unit, trait.name);
    }
    const MethodRef ref{method, nullptr};
    Binding& b = traits.bindings[key];
    if (trait.kind == TraitKind::Method) {
        b = Binding{Binding::Kind::Method, 0, ref, {}, {}};
        return;
    }
    if (b.kind != Binding::Kind::Accessor) {
        b = Binding{Binding::Kind::Accessor, 0, {}, {}, {}};
    }
    (trait.kind == TraitKind::Getter ? b.getter : b.setter) = ref;
}

} // namespace

Value ConstantValue(Vm& vm, const AbcUnit& unit, const AbcConstant& c) {
    const AbcFile& f = unit.file;
    switch (c.kind) {
    case 0x01:
        return unit.strings[c.index];
    case 0x03:
        return Value::integer(f.ints[c.index]);
    case 0x04:
        return Value::unsignedInt(f.uints[c.index]);
    case 0x06:
        return Value::number(f.doubles[c.index]);
    case 0x0a:
        return Value::boolean(false);
    case 0x0b:
        return Value::boolean(true);
    case 0x0c:
        return Value::null();
    case 0x00:
        return Value();
    default: {
        auto* ns = vm.make<NamespaceObject>();
        ns->ns = unit.namespaces[c.index];
        ns->uri = vm.nsUri(ns->ns);
        ns->cls = vm.core.ns;
        ns->traits = vm.core.ns->instanceTraits.get();
        return Value::object(ns);
    }
    }
}

Coercion CoercionOf(Vm& vm, const AbcUnit& unit, std::uint32_t multiname) {
    if (multiname == 0) {
        return Coercion::Any;
    }
    const Name& name = unit.names[multiname];
    if (name.ns.size() != 1 || name.ns[0] != kPublicNs) {
        return Coercion::Object;
    }
    const std::string& text = vm.atomText(name.atom);
    if (text == "int")
        return Coercion::Int;
    if (text == "uint")
        return Coercion::Uint;
    if (text == "Number")
        return Coercion::Number;
    if (text == "String")
        return Coercion::String;
    if (text == "Boolean")
        return Coercion::Boolean;
    return text == "*" || text == "void" ? Coercion::Any : Coercion::Object;
}

void AddTraits(Vm& vm, AbcUnit& unit, Traits& traits, const AbcTraits& list,
               const TraitsContext& context) {
    const std::size_t baseSlots = traits.slots.size();
    for (const AbcTrait& trait : list) {
        const Name& name = unit.names[trait.name];
        const std::uint64_t key = PropKey(name.ns.empty() ? kPublicNs : name.ns[0], name.atom);
        switch (trait.kind) {
        case TraitKind::Method:
        case TraitKind::Getter:
        case TraitKind::Setter:
            AddMethodTrait(unit, traits, key, trait, context);
            break;
        default: {
            const std::uint32_t slot = SlotIndex(traits, trait.slotId, baseSlots, list.size());
            SlotDef& def = traits.slots[slot];
            def.coercion = trait.kind == TraitKind::Slot || trait.kind == TraitKind::Const
                               ? CoercionOf(vm, unit, trait.typeName)
                               : Coercion::Any;
            def.constant = trait.kind == TraitKind::Const;
            def.initial = trait.value.index || trait.value.kind
                              ? ConstantValue(vm, unit, trait.value)
                              : DefaultFor(def.coercion, trait.typeName);
            if (trait.kind == TraitKind::Function) {
                MethodInfo* method = unit.methods[trait.index].get();
                def.initial =
                    Value::object(vm.newFunction(MethodRef{method, nullptr}, context.scope));
            }
            traits.bindings[key] = Binding{Binding::Kind::Slot, slot, {}, {}, {}};
        }
        }
    }
}

namespace {

void InheritTraits(ClassObject* cls, ClassObject* base) {
    cls->instanceTraits = std::make_shared<Traits>(base ? *base->instanceTraits : Traits{});
    if (!base || !base->protectedNs || !cls->protectedNs) {
        return;
    }
    // What the base keeps protected is protected here too, under this class's namespace.
    std::vector<std::pair<std::uint64_t, Binding>> aliases;
    for (const auto& [key, binding] : base->instanceTraits->bindings) {
        if ((key >> 32) == base->protectedNs) {
            aliases.emplace_back(PropKey(cls->protectedNs, key & 0xffffffffu), binding);
        }
    }
    for (auto& [key, binding] : aliases) {
        cls->instanceTraits->bindings[key] = binding;
    }
}

ClassObject* BaseClass(Vm& vm, const Value& base, const std::string& name) {
    if (base.isNullish()) {
        return nullptr;
    }
    if (!base.isObject() || base.asObject()->kind != ObjectKind::Class) {
        vm.throwError(ErrorKind::VerifyError, 1014,
                      "Class " + name + " has a base that is not a class.");
    }
    auto* cls = static_cast<ClassObject*>(base.asObject());
    if (!cls->instanceTraits || cls->isInterface) {
        vm.throwError(ErrorKind::VerifyError, 1103,
                      "Class " + name + " cannot extend " + cls->name + ".");
    }
    return cls;
}

void ResolveInterfaces(Vm& vm, AbcUnit& unit, ClassObject* cls, const AbcInstance& inst) {
    for (std::uint32_t iface : inst.interfaces) {
        const Value v = FindDefinition(vm, unit.names[iface]);
        if (v.isObject() && v.asObject()->kind == ObjectKind::Class) {
            cls->interfaces.push_back(static_cast<ClassObject*>(v.asObject()));
        }
    }
}

} // namespace

ClassObject* NewClass(Vm& vm, AbcUnit& unit, std::uint32_t index, const Value& baseValue,
                      std::shared_ptr<const ScopeChain> scope) {
    const AbcInstance& inst = unit.file.instances[index];
    const AbcClass& info = unit.file.classes[index];
    auto* cls = vm.make<ClassObject>();
    cls->name = unit.names[inst.name].text;
    ClassObject* base = BaseClass(vm, baseValue, cls->name);
    cls->base = base;
    cls->cls = vm.core.classClass;
    cls->proto = vm.core.classClass->prototype;
    cls->sealed = inst.flags & ClassSealed;
    cls->isInterface = inst.flags & ClassInterface;
    cls->protectedNs = (inst.flags & ClassProtectedNs) ? unit.namespaces[inst.protectedNs] : 0;
    cls->prototype = vm.newObject();
    cls->prototype->proto = base ? base->prototype : vm.core.object->prototype;
    cls->prototype->props().set(vm.intern("constructor"), Value::object(cls), false);
    ResolveInterfaces(vm, unit, cls, inst);
    InheritTraits(cls, base);
    auto classScope = std::make_shared<ScopeChain>(*scope);
    classScope->entries.push_back(ScopeEntry{Value::object(cls), false});
    cls->scope = classScope;
    const std::string traceName = QualifiedClassName(cls->name);
    AddTraits(vm, unit, *cls->instanceTraits, inst.traits,
              TraitsContext{cls, classScope, traceName});
    // A class object answers to what every class has (prototype...) and its statics.
    cls->staticTraits = std::make_shared<Traits>(*vm.core.classClass->instanceTraits);
    AddTraits(vm, unit, *cls->staticTraits, info.traits,
              TraitsContext{cls, classScope, traceName + "$"});
    InitSlots(cls, *cls->staticTraits);
    MethodInfo* init = unit.methods[inst.init].get();
    init->home = cls;
    init->scope = classScope;
    init->traceName = traceName;
    cls->init = MethodRef{init, nullptr};
    unit.classes[index] = cls;
    MethodInfo* cinit = unit.methods[info.init].get();
    cinit->home = cls;
    cinit->traceName = traceName + "$cinit";
    InvokeMethod(vm, MethodRef{cinit, nullptr}, Value::object(cls), {}, classScope);
    return cls;
}

} // namespace quillon::avm2
