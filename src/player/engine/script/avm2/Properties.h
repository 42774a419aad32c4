#pragma once
// Property access by name on any value: traits first, then array elements, then
// dynamic properties along the prototype chain.

#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Object.h"

#include <span>
#include <string_view>

namespace quillon::avm2 {

class Vm;

PropName PublicName(Vm& vm, std::string_view name);
PropName NameFromValue(Vm& vm, const Value& name); // a run-time name, public
std::uint32_t NameAtom(Vm& vm, PropName& name);
std::string NameText(Vm& vm, PropName name);

const Binding* FindBinding(const Traits* traits, const PropName& name);
const Traits* TraitsOf(Vm& vm, const Value& v);

Value GetProperty(Vm& vm, const Value& obj, PropName name);
void SetProperty(Vm& vm, const Value& obj, PropName name, const Value& value, bool init = false);
bool DeleteProperty(Vm& vm, const Value& obj, PropName name);
bool HasProperty(Vm& vm, const Value& obj, PropName name);
bool HasOwnProperty(Vm& vm, const Value& obj, PropName name);
// callproperty: a method of the object's traits is called without a closure.
Value CallProperty(Vm& vm, const Value& obj, PropName name, std::span<const Value> args,
                   bool lex = false);
Value GetPublic(Vm& vm, const Value& obj, std::string_view name);
void SetPublic(Vm& vm, const Value& obj, std::string_view name, const Value& value);

// Reading through a binding (slot, method closure or getter) and writing through one.
Value ReadBinding(Vm& vm, const Value& obj, const Binding& b, PropName& name);
void WriteBinding(Vm& vm, const Value& obj, const Binding& b, PropName& name, const Value& value,
                  bool init);

// Enumeration as hasnext2, nextname and nextvalue see it: index 0 starts, 0 ends.
int NextIndex(Vm& vm, Object* obj, int index);
Value NameAt(Vm& vm, Object* obj, int index);
Value ValueAt(Vm& vm, Object* obj, int index);

[[noreturn]] void ThrowNullAccess(Vm& vm, const Value& obj);

} // namespace quillon::avm2
