#include "player/engine/script/avm1/Object.h"

#include <algorithm>

namespace quillon::engine::avm1 {

namespace {
// Objects with more properties than this keep a hash index beside the ordered list.
constexpr std::size_t IndexFrom = 12;
} // namespace

bool ArrayIndex(std::string_view name, std::size_t& index) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0')) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : name) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value >= 0x7fffffff) {
        return false;
    }
    index = static_cast<std::size_t>(value);
    return true;
}

std::string Object::key(std::string_view name) const {
    return caseSensitive_ ? std::string(name) : FoldCase(name);
}

void Object::reindex() {
    if (properties_.size() < IndexFrom) {
        index_.reset();
        return;
    }
    index_ = std::make_unique<std::unordered_map<std::string, std::uint32_t>>();
    for (std::uint32_t i = 0; i < properties_.size(); ++i) {
        index_->emplace(key(properties_[i].name), i);
    }
}

Property* Object::find(std::string_view name) {
    return const_cast<Property*>(static_cast<const Object*>(this)->find(name));
}

const Property* Object::find(std::string_view name) const {
    if (index_) {
        auto it = index_->find(key(name));
        return it == index_->end() || hidden(properties_[it->second]) ? nullptr
                                                                      : &properties_[it->second];
    }
    for (const Property& p : properties_) {
        if (caseSensitive_ ? p.name == name : EqualsIgnoringCase(p.name, name)) {
            return hidden(p) ? nullptr : &p;
        }
    }
    return nullptr;
}

Property* Object::findAny(std::string_view name) {
    for (Property& p : properties_) {
        if (caseSensitive_ ? p.name == name : EqualsIgnoringCase(p.name, name)) {
            return &p;
        }
    }
    return nullptr;
}

std::uint16_t HiddenFlagsFor(int version) {
    std::uint16_t mask = 0;
    if (version < 6)
        mask |= FromVersion6;
    if (version == 6)
        mask |= HiddenInVersion6;
    if (version < 7)
        mask |= FromVersion7;
    if (version < 8)
        mask |= FromVersion8;
    if (version < 9)
        mask |= FromVersion9;
    if (version < 10)
        mask |= FromVersion10;
    return mask;
}

void Object::put(std::string_view name, Value value) {
    if (Property* p = find(name)) {
        if (!(p->flags & ReadOnly)) {
            p->value = std::move(value);
        }
        return;
    }
    define(name, std::move(value), 0);
}

void Object::define(std::string_view name, Value value, std::uint16_t flags) {
    if (Property* p = findAny(name)) {
        p->value = std::move(value);
        p->flags = flags;
        p->getter = p->setter = nullptr;
        return;
    }
    properties_.push_back(
        Property{std::string(name), std::move(value), nullptr, nullptr, flags, ++nextStamp});
    if (index_) {
        index_->emplace(key(name), static_cast<std::uint32_t>(properties_.size() - 1));
    } else if (properties_.size() >= IndexFrom) {
        reindex();
    }
}

void Object::syncStamps() {
    elementStamps.resize(std::min(elementStamps.size(), elements.size()));
    while (elementStamps.size() < elements.size()) {
        elementStamps.push_back(++nextStamp);
    }
}

void Object::resizeElements(std::size_t length) {
    syncStamps();
    oddLength.reset();
    // A shorter length deletes the elements past it, yet undeletable ones stay on as
    // plain properties, where enumeration still lists them in their place.
    for (std::size_t i = length; i < elementFlags.size() && i < elements.size(); ++i) {
        if ((elementFlags[i] & DontDelete) && elementStamps[i] != 0) {
            const std::string name = std::to_string(i);
            define(name, elements[i], elementFlags[i]);
            findAny(name)->stamp = elementStamps[i];
        }
    }
    elements.resize(length);
    elementStamps.resize(length, 0);
    elementFlags.resize(std::min(elementFlags.size(), length));
}

void Object::setElement(std::size_t index, Value value) {
    if (index >= elements.size()) {
        resizeElements(index + 1);
    }
    syncStamps();
    oddLength.reset();
    if (elementStamps[index] != 0 && (elementFlagsAt(index) & ReadOnly)) {
        return;
    }
    elements[index] = std::move(value);
    if (elementStamps[index] == 0) {
        elementStamps[index] = ++nextStamp;
    }
}

bool Object::hasElement(std::size_t index) const {
    // elements not stamped yet are all present
    return index < elements.size() && (index >= elementStamps.size() || elementStamps[index] != 0);
}

void Object::setElementFlags(std::size_t index, std::uint16_t flags) {
    if (!hasElement(index)) {
        return;
    }
    if (elementFlags.size() <= index) {
        if (flags == 0) {
            return;
        }
        elementFlags.resize(index + 1, 0);
    }
    elementFlags[index] = flags;
}

bool Object::removeElement(std::size_t index) {
    if (!hasElement(index) || (elementFlagsAt(index) & DontDelete)) {
        return false;
    }
    syncStamps();
    elements[index] = Value();
    elementStamps[index] = 0;
    if (index < elementFlags.size()) {
        elementFlags[index] = 0;
    }
    return true;
}

void Object::restampElements() {
    syncStamps();
    for (std::uint32_t& stamp : elementStamps) {
        stamp = ++nextStamp;
    }
}

const Value* Object::keptSetting(const std::string& key) const {
    if (!fieldSettings) {
        return nullptr;
    }
    const auto it = fieldSettings->find(key);
    return it != fieldSettings->end() ? &it->second : nullptr;
}

void Object::keepSetting(const std::string& key, Value value) {
    if (!fieldSettings) {
        fieldSettings = std::make_unique<std::unordered_map<std::string, Value>>();
    }
    (*fieldSettings)[key] = std::move(value);
}

bool Object::remove(std::string_view name) {
    Property* p = findAny(name);
    if (!p || (p->flags & DontDelete)) {
        return false;
    }
    properties_.erase(properties_.begin() + (p - properties_.data()));
    reindex();
    return true;
}

} // namespace quillon::engine::avm1
