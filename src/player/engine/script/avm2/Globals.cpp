#include "player/engine/script/avm2/Globals.h"

#include "player/engine/script/avm2/Interpreter.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/VectorObject.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
namespace {

bool Defines(Vm& vm, Object* scope, PropName& name, bool isWith) {
    if (isWith) {
        return HasProperty(vm, Value::object(scope), name);
    }
    if (FindBinding(scope->traits, name)) {
        return true;
    }
    return name.hasPublic && scope->dyn && scope->dyn->find(NameAtom(vm, name));
}

PropName NameOf(const Name& name) {
    PropName p;
    p.atom = name.atom;
    p.set = &name.ns;
    p.hasPublic = name.hasPublic;
    return p;
}

} // namespace

Object* FindGlobalFor(Vm& vm, const PropName& name) {
    if (FindBinding(vm.builtins->traits, name)) {
        return vm.builtins;
    }
    for (const auto& unit : vm.units) {
        for (std::size_t i = 0; i < unit->scripts.size(); ++i) {
            ScriptState& script = unit->scripts[i];
            if (script.global && FindBinding(script.global->traits, name)) {
                if (!script.started) {
                    vm.runScript(*unit, i);
                }
                return script.global;
            }
        }
    }
    return nullptr;
}

Value FindDefinition(Vm& vm, const Name& name) {
    if (name.typeBase) {
        std::vector<Value> params;
        for (const Name* param : name.typeParams) {
            params.push_back(param->atom == kAnyAtom ? Value::null() : FindDefinition(vm, *param));
        }
        return ApplyType(vm, FindDefinition(vm, *name.typeBase), params);
    }
    PropName p = NameOf(name);
    Object* global = FindGlobalFor(vm, p);
    return global ? GetProperty(vm, Value::object(global), p) : Value();
}

Value FindProperty(Frame& f, PropName& name, bool strict) {
    Vm& vm = f.vm;
    for (int i = f.scopeTop - 1; i >= 0; --i) {
        const ScopeEntry& e = f.scopes[i];
        if (e.value.isObject() && Defines(vm, e.value.asObject(), name, e.isWith)) {
            return e.value;
        }
    }
    if (f.outer) {
        const auto& entries = f.outer->entries;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->value.isObject() && Defines(vm, it->value.asObject(), name, it->isWith)) {
                return it->value;
            }
        }
    }
    if (Object* global = FindGlobalFor(vm, name)) {
        return Value::object(global);
    }
    if (strict) {
        vm.throwError(ErrorKind::ReferenceError, 1065,
                      "Variable " + NameText(vm, name) + " is not defined.");
    }
    if (f.outer && !f.outer->entries.empty()) {
        return f.outer->entries.front().value;
    }
    return f.scopeTop > 0 ? f.scopes[0].value : Value::object(vm.builtins);
}

} // namespace quillon::avm2
