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

ClassObject* DefinedClass(Vm& vm, const Name& name) {
    if (name.typeBase) {
        return nullptr;
    }
    const PropName p = NameOf(name);
    Object* holder = FindBinding(vm.builtins->traits, p) ? vm.builtins : nullptr;
    for (std::size_t u = 0; u < vm.units.size() && !holder; ++u) {
        for (const ScriptState& script : vm.units[u]->scripts) {
            if (script.global && script.started && FindBinding(script.global->traits, p)) {
                holder = script.global;
                break;
            }
        }
    }
    const Value v = holder ? GetProperty(vm, Value::object(holder), p) : Value();
    return v.isObject() && v.asObject()->kind == ObjectKind::Class
               ? static_cast<ClassObject*>(v.asObject())
               : nullptr;
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
    // The outermost scope is the script's global object. Its own traits come first, then
    // the definitions of every script, and only then what was stored on it at run time,
    // so a global variable named "int" cannot hide the class int.
    const bool outerHoldsGlobal = f.outer && !f.outer->entries.empty();
    const ScopeEntry* bottom = outerHoldsGlobal ? &f.outer->entries.front()
                               : f.scopeTop > 0 ? &f.scopes[0]
                                                : nullptr;
    Object* global = bottom && bottom->value.isObject() ? bottom->value.asObject() : nullptr;
    const auto defines = [&](const ScopeEntry& e) {
        if (!e.value.isObject()) {
            return false;
        }
        if (e.value.asObject() == global && !e.isWith) {
            return FindBinding(e.value.asObject()->traits, name) != nullptr;
        }
        return Defines(vm, e.value.asObject(), name, e.isWith);
    };
    for (int i = f.scopeTop - 1; i >= 0; --i) {
        if (defines(f.scopes[i])) {
            return f.scopes[i].value;
        }
    }
    if (f.outer) {
        const auto& entries = f.outer->entries;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (defines(*it)) {
                return it->value;
            }
        }
    }
    if (Object* definer = FindGlobalFor(vm, name)) {
        return Value::object(definer);
    }
    if (global && !bottom->isWith && Defines(vm, global, name, false)) {
        return bottom->value;
    }
    if (strict) {
        vm.throwError(ErrorKind::ReferenceError, 1065,
                      "Variable " + NameText(vm, name) + " is not defined.");
    }
    return bottom ? bottom->value : Value::object(vm.builtins);
}

} // namespace quillon::avm2
