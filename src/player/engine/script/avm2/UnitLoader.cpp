#include "player/engine/script/avm2/UnitLoader.h"

#include "player/engine/script/avm2/AbcReader.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/ClassBuilder.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <charconv>

namespace quillon::avm2 {
namespace {

std::int64_t IndexText(const std::string& text) {
    std::uint32_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = r.ec == std::errc() && r.ptr == text.data() + text.size();
    // Both arms as int64: a uint32 arm would turn the -1 of a plain name into 4294967295.
    return whole && !text.empty() && (text == "0" || text[0] != '0') && value != 0xffffffffu
               ? static_cast<std::int64_t>(value)
               : std::int64_t{-1};
}

void ResolveNamespaces(Vm& vm, AbcUnit& unit) {
    const AbcFile& f = unit.file;
    unit.namespaces.assign(f.namespaces.size(), kAnyNs);
    for (std::size_t i = 1; i < f.namespaces.size(); ++i) {
        unit.namespaces[i] = vm.internNs(f.namespaces[i].kind, f.strings[f.namespaces[i].name]);
    }
}

void FillNameText(Vm& vm, const AbcUnit& unit, const AbcMultiname& m, Name& name) {
    const std::string& local = vm.atomText(name.atom);
    name.text = local;
    if (m.kind == MultinameKind::QName && m.ns) {
        const AbcNamespace& ns = unit.file.namespaces[m.ns];
        const std::string& uri = unit.file.strings[ns.name];
        if (ns.kind == NsKind::Package && !uri.empty()) {
            name.text = uri + "." + local;
        }
    }
}

void ResolveName(Vm& vm, AbcUnit& unit, const AbcMultiname& m, Name& name) {
    using K = MultinameKind;
    const K k = m.kind;
    name.attribute = k == K::QNameA || k == K::RTQNameA || k == K::RTQNameLA ||
                     k == K::MultinameA || k == K::MultinameLA;
    name.runtimeName =
        k == K::RTQNameL || k == K::RTQNameLA || k == K::MultinameL || k == K::MultinameLA;
    name.runtimeNs = k == K::RTQName || k == K::RTQNameA || k == K::RTQNameL || k == K::RTQNameLA;
    if (k == K::TypeName) {
        name.typeBase = &unit.names[m.typeBase];
        for (std::uint32_t p : m.typeParams) {
            name.typeParams.push_back(&unit.names[p]);
        }
        name.text = "Vector";
        return;
    }
    if (!name.runtimeName) {
        name.atom = m.name ? vm.intern(unit.file.strings[m.name]) : kAnyAtom;
        name.index = m.name ? IndexText(unit.file.strings[m.name]) : -1;
    }
    if (k == K::QName || k == K::QNameA) {
        name.ns = {unit.namespaces[m.ns]};
    } else if (k == K::Multiname || k == K::MultinameA || k == K::MultinameL ||
               k == K::MultinameLA) {
        for (std::uint32_t ns : unit.file.nsSets[m.nsSet]) {
            name.ns.push_back(unit.namespaces[ns]);
        }
    }
    name.hasPublic = std::find(name.ns.begin(), name.ns.end(), kPublicNs) != name.ns.end();
    FillNameText(vm, unit, m, name);
}

void DescribeMethods(Vm& vm, AbcUnit& unit) {
    const AbcFile& f = unit.file;
    for (std::uint32_t i = 0; i < f.methods.size(); ++i) {
        const AbcMethod& abc = f.methods[i];
        auto info = std::make_unique<MethodInfo>();
        info->unit = &unit;
        info->index = i;
        info->name = f.strings[abc.name];
        info->flags = abc.flags;
        info->body = abc.body >= 0 ? &f.bodies[abc.body] : nullptr;
        const auto typed = [&](std::uint32_t type, Coercion coercion) {
            return TypedClass{coercion == Coercion::Object && type ? &unit.names[type] : nullptr};
        };
        info->returns = CoercionOf(vm, unit, abc.returnType);
        info->returnClass = typed(abc.returnType, info->returns);
        for (std::uint32_t type : abc.paramTypes) {
            info->params.push_back(CoercionOf(vm, unit, type));
            info->paramClasses.push_back(typed(type, info->params.back()));
        }
        for (const AbcConstant& c : abc.optional) {
            info->defaults.push_back(ConstantValue(vm, unit, c));
        }
        if (info->body && !info->body->traits.empty()) {
            info->activation = std::make_shared<Traits>();
            AddTraits(vm, unit, *info->activation, info->body->traits, TraitsContext{});
        }
        unit.methods.push_back(std::move(info));
    }
}

void MakeScripts(Vm& vm, AbcUnit& unit) {
    for (const AbcScript& script : unit.file.scripts) {
        Object* global = vm.newObject();
        global->cls = vm.core.global ? vm.core.global : global->cls;
        auto chain = std::make_shared<ScopeChain>();
        chain->entries.push_back(ScopeEntry{Value::object(global), false});
        auto traits = std::make_shared<Traits>();
        AddTraits(vm, unit, *traits, script.traits, TraitsContext{nullptr, chain, {}});
        InitSlots(global, *traits);
        MethodInfo* init = unit.methods[script.init].get();
        init->scope = chain;
        init->traceName = "global$init";
        unit.ownedTraits.push_back(std::move(traits));
        unit.scriptScopes.push_back(chain);
        unit.scripts.push_back(ScriptState{global, init, false});
    }
}

} // namespace

std::unique_ptr<AbcUnit> LoadUnit(Vm& vm, std::span<const std::uint8_t> bytes) {
    auto unit = std::make_unique<AbcUnit>();
    unit->file = ReadAbc(bytes);
    ResolveNamespaces(vm, *unit);
    const auto& multinames = unit->file.multinames;
    unit->names.resize(multinames.size());
    for (std::size_t i = 1; i < multinames.size(); ++i) {
        ResolveName(vm, *unit, multinames[i], unit->names[i]);
    }
    for (const std::string& s : unit->file.strings) {
        unit->strings.push_back(Value::string(s));
    }
    unit->classes.assign(unit->file.classes.size(), nullptr);
    DescribeMethods(vm, *unit);
    MakeScripts(vm, *unit);
    return unit;
}

} // namespace quillon::avm2
