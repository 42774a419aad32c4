#pragma once
// JSON.parse and JSON.stringify.

#include "player/engine/script/avm2/Object.h"

#include <string>
#include <vector>

namespace quillon::avm2 {

class Vm;

// Nesting deeper than this is refused: the reader and writer recurse.
constexpr int kJsonMaxDepth = 2000;

Value JsonParse(Vm& vm, const std::string& text, const Value& reviver);
// Undefined when value has no JSON form (undefined, a function).
Value JsonStringify(Vm& vm, const Value& value, const Value& replacer, const Value& space);
// The keys JSON visits on an object: its public variables and getters, then its
// dynamic properties in their order.
std::vector<std::string> JsonKeys(Vm& vm, Object* o);

} // namespace quillon::avm2
