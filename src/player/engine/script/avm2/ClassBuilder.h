#pragma once
// Turns the traits of an ABC file into bindings and slots, and builds classes
// (newclass) and script globals from them.

#include "player/engine/script/avm2/AbcUnit.h"

#include <memory>

namespace quillon::avm2 {

class Vm;

struct TraitsContext {
    ClassObject* home = nullptr;
    std::shared_ptr<const ScopeChain> scope;
    std::string owner; // how stack traces name the traits' holder ("a::B", "a::B$")
};

void AddTraits(Vm& vm, AbcUnit& unit, Traits& traits, const AbcTraits& list,
               const TraitsContext& context);
Value ConstantValue(Vm& vm, const AbcUnit& unit, const AbcConstant& constant);
Coercion CoercionOf(Vm& vm, const AbcUnit& unit, std::uint32_t multiname);
// newclass: builds class index over base (null for none) and runs its static initialiser.
ClassObject* NewClass(Vm& vm, AbcUnit& unit, std::uint32_t index, const Value& base,
                      std::shared_ptr<const ScopeChain> scope);

} // namespace quillon::avm2
