// Classes a movie may look for that this engine gives no behaviour: the constructors and
// their prototypes are there, so feature tests and subclasses find what they expect.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

Value Inert(Vm&, CallInfo& c) {
    return c.construct ? c.thisValue : Value();
}

struct InertClass {
    const char* holder; // a global object's name, or nullptr for _global itself
    const char* name;
    std::uint16_t flags; // the version the class came with
};

// clang-format off
constexpr InertClass Classes[] = {
    {nullptr, "Camera", FromVersion6},
    {nullptr, "Microphone", FromVersion6},
    {nullptr, "SharedObject", FromVersion6},
    {nullptr, "XMLSocket", FromVersion6},
    {"TextField", "StyleSheet", FromVersion7},
};
// clang-format on

} // namespace

void InstallInertBuiltins(Vm& vm) {
    for (const InertClass& entry : Classes) {
        Object* holder = vm.global;
        if (entry.holder) {
            const Value found = vm.get(Value(vm.global), entry.holder);
            if (!found.isObject()) {
                continue;
            }
            holder = found.o;
        }
        if (holder->findAny(entry.name)) {
            continue; // a class with behaviour of its own is there already
        }
        Object* ctor = vm.newClass(nullptr, entry.name, Inert, nullptr);
        holder->define(entry.name, Value(ctor), DontEnum | entry.flags);
    }
    vm.global->define("Accessibility", Value(vm.newObject()), DontEnum | FromVersion6);
    const Value system = vm.get(Value(vm.global), "System");
    if (system.isObject()) {
        Broadcaster(vm, "IME", system.o, FromVersion6);
    }
    Object* text = FlashPackage(vm, "text");
    text->define("TextRenderer", Value(vm.newClass(nullptr, "TextRenderer", Inert, nullptr)),
                 DontEnum);
}

} // namespace quillon::engine::avm1
