#pragma once
// What the built-in classes share.

#include "player/engine/script/avm1/Frame.h"

namespace quillon::engine::avm1 {

void InstallObjectBuiltins(Vm& vm);
void InstallGlobalFunctions(Vm& vm);
void InstallNumberBuiltins(Vm& vm);
void InstallMathBuiltins(Vm& vm);
void InstallStringBuiltins(Vm& vm);
void InstallArrayBuiltins(Vm& vm);
void InstallDateBuiltins(Vm& vm);
void InstallClipBuiltins(Vm& vm);
void InstallMediaBuiltins(Vm& vm);

// `this` as an object, or nullptr.
inline Object* ThisObject(CallInfo& c) {
    return c.thisValue.isObject() ? c.thisValue.o : nullptr;
}
// A whole number from an argument, defaulting when it is missing or NaN.
int IntArg(Vm& vm, CallInfo& c, std::size_t i, int fallback);

} // namespace quillon::engine::avm1
