#include "player/engine/script/avm2/ArrayHoles.h"

#include "player/engine/script/avm2/Vm.h"

#include <charconv>
#include <unordered_map>

namespace quillon::avm2 {
namespace {

// The prototypes' own index-named properties, the nearest prototype's first. They are
// few (usually none), so this costs little next to walking the holes by name.
std::unordered_map<std::uint32_t, Value> ProtoElements(Vm& vm, const Value& self) {
    std::unordered_map<std::uint32_t, Value> found;
    const Object* start = self.isObject() ? self.asObject()->proto : nullptr;
    for (const Object* o = start; o; o = o->proto) {
        if (!o->dyn) {
            continue;
        }
        for (const DynamicProps::Entry& e : o->dyn->entries) {
            const std::string& text = vm.atomText(e.atom);
            std::uint32_t index = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), index);
            if (e.live && r.ec == std::errc() && r.ptr == text.data() + text.size() &&
                (text.size() == 1 || text[0] != '0')) {
                found.emplace(index, e.value);
            }
        }
    }
    return found;
}

} // namespace

void ResolveHoles(Vm& vm, const Value& self, std::vector<Value>& items) {
    const auto elements = ProtoElements(vm, self);
    if (elements.empty()) {
        return;
    }
    for (const auto& [index, value] : elements) {
        if (index < items.size() && items[index].isHole()) {
            items[index] = value;
        }
    }
}

} // namespace quillon::avm2
