#pragma once
// Calling functions and methods, and constructing objects.

#include "player/engine/script/avm2/Object.h"

#include <memory>
#include <span>

namespace quillon::avm2 {

class Vm;

// Counts the native and script calls in progress (and other recursion, such as
// printing nested XML) against the recursion cap.
class DepthGuard {
public:
    explicit DepthGuard(Vm& vm);
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

Value CallValue(Vm& vm, const Value& fn, const Value& thisv, std::span<const Value> args);
Value InvokeMethod(Vm& vm, const MethodRef& method, const Value& thisv, std::span<const Value> args,
                   const std::shared_ptr<const ScopeChain>& scope = nullptr);
Value Construct(Vm& vm, const Value& ctor, std::span<const Value> args);
Value ConstructClass(Vm& vm, ClassObject* cls, std::span<const Value> args);
// A built-in class by package and name.
ClassObject* BuiltinClass(Vm& vm, const char* package, const char* name);
// A fresh instance of cls with its slots at their initial values, not yet initialised.
Object* AllocateInstance(Vm& vm, ClassObject* cls);
// Runs the instance initialisers of cls and its bases on an allocated object.
void RunInstanceInit(Vm& vm, ClassObject* cls, const Value& self, std::span<const Value> args);
void InitSlots(Object* obj, const Traits& traits);

} // namespace quillon::avm2
