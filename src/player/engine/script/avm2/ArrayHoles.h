#pragma once
// Array holes (indexes never set, or deleted) read through the prototypes, as ES3's
// [[Get]] does: the methods that copy or move elements resolve them first.

#include "player/engine/script/avm2/Object.h"

#include <vector>

namespace quillon::avm2 {

class Vm;

// Replaces each hole of items with the element of that index on self's prototypes,
// where one has it; the rest stay holes.
void ResolveHoles(Vm& vm, const Value& self, std::vector<Value>& items);
// What a method hands a script for an element: a hole reads as undefined.
inline Value Plain(Value v) {
    return v.isHole() ? Value() : v;
}

} // namespace quillon::avm2
