// The JSON class: parse and stringify, and the keys both visit.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Json.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

Value Parse(Vm& vm, const Value&, std::span<const Value> args) {
    return JsonParse(vm, ToString(vm, Arg(args, 0)), Arg(args, 1));
}
Value Stringify(Vm& vm, const Value&, std::span<const Value> args) {
    return JsonStringify(vm, Arg(args, 0), Arg(args, 1), Arg(args, 2));
}
Value NotAConstructor(Vm& vm, const Value&, std::span<const Value>) {
    vm.throwError(ErrorKind::ArgumentError, 2012, "JSON class cannot be instantiated.");
}

} // namespace

std::vector<std::string> JsonKeys(Vm& vm, Object* o) {
    // Variables in the order of their slots, then the getters scripts define, by name.
    std::vector<std::pair<std::uint64_t, std::string>> fixed;
    if (o->traits && o->kind == ObjectKind::Plain) {
        for (const auto& [key, b] : o->traits->bindings) {
            const bool slot = b.kind == Binding::Kind::Slot;
            if ((key >> 32) == kPublicNs &&
                (slot || (b.kind == Binding::Kind::Accessor && b.getter.abc))) {
                fixed.emplace_back(slot ? b.slot : std::uint64_t{1} << 40,
                                   vm.atomText(static_cast<std::uint32_t>(key & 0xffffffffu)));
            }
        }
        std::sort(fixed.begin(), fixed.end());
    }
    std::vector<std::string> keys;
    for (auto& [order, name] : fixed) {
        keys.push_back(std::move(name));
    }
    for (int i = NextIndex(vm, o, 0); i != 0; i = NextIndex(vm, o, i)) {
        keys.push_back(ToString(vm, NameAt(vm, o, i)));
    }
    return keys;
}

void InstallJsonClass(Vm& vm) {
    NativeClass(vm, "JSON", vm.core.object)
        .staticMethod("parse", Parse)
        .staticMethod("stringify", Stringify)
        .construct(NotAConstructor)
        .sealed();
}

} // namespace quillon::avm2
