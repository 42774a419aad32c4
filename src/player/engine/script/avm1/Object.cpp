#include "player/engine/script/avm1/Object.h"

#include <algorithm>

namespace quillon::engine::avm1 {

namespace {
// Objects with more properties than this keep a hash index beside the ordered list.
constexpr std::size_t IndexFrom = 12;
} // namespace

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
    elements.resize(length);
    elementStamps.resize(length, 0);
}

void Object::setElement(std::size_t index, Value value) {
    if (index >= elements.size()) {
        resizeElements(index + 1);
    }
    syncStamps();
    elements[index] = std::move(value);
    if (elementStamps[index] == 0) {
        elementStamps[index] = ++nextStamp;
    }
}

void Object::stampElements(std::span<const std::size_t> order) {
    syncStamps();
    for (const std::size_t index : order) {
        if (index < elementStamps.size()) {
            elementStamps[index] = ++nextStamp;
        }
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
