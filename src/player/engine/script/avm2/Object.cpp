#include "player/engine/script/avm2/Object.h"

namespace quillon::avm2 {

Value* DynamicProps::find(std::uint32_t atom) {
    const auto it = index.find(atom);
    return it == index.end() ? nullptr : &entries[it->second].value;
}

void DynamicProps::set(std::uint32_t atom, const Value& value, bool enumerable) {
    if (Value* existing = find(atom)) {
        *existing = value;
        return;
    }
    index.emplace(atom, static_cast<std::uint32_t>(entries.size()));
    entries.push_back(Entry{atom, value, true, enumerable});
}

bool DynamicProps::erase(std::uint32_t atom) {
    const auto it = index.find(atom);
    if (it == index.end()) {
        return false;
    }
    Entry& entry = entries[it->second];
    entry.live = false;
    entry.value = Value();
    index.erase(it);
    return true;
}

bool ClassObject::isSubclassOf(const ClassObject* other) const {
    for (const ClassObject* c = this; c; c = c->base) {
        if (c == other) {
            return true;
        }
        for (const ClassObject* iface : c->interfaces) {
            if (iface->isSubclassOf(other)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace quillon::avm2

namespace quillon::avm2 {

Value Object::elementName(Vm&, std::uint32_t i) const {
    return Value::string(std::to_string(i));
}

} // namespace quillon::avm2
