// flash.utils.Dictionary: object keys by identity (weak keys are kept as strong ones);
// primitive keys are ordinary dynamic properties.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace quillon::avm2 {
namespace {

class DictionaryObject : public Object {
public:
    DictionaryObject() { exotic = true; }

    bool getOwn(Vm&, PropName& name, Value& out) override {
        if (!name.key) {
            return false;
        }
        const auto it = index_.find(name.key);
        out = it == index_.end() ? Value() : entries_[it->second].second;
        return true;
    }
    bool setOwn(Vm& vm, PropName& name, const Value& value) override {
        if (!name.key) {
            return false;
        }
        const auto it = index_.find(name.key);
        if (it != index_.end()) {
            entries_[it->second].second = value;
            return true;
        }
        if (entries_.size() >= vm.limits().maxArrayLength) {
            vm.limitReached("the limit of dictionary keys");
        }
        index_[name.key] = entries_.size();
        entries_.emplace_back(name.key, value);
        return true;
    }
    bool deleteOwn(Vm&, PropName& name, bool& deleted) override {
        if (!name.key) {
            return false;
        }
        const auto it = index_.find(name.key);
        deleted = true;
        if (it != index_.end()) {
            // The last entry takes the hole: a dictionary's order is no promise.
            const std::size_t hole = it->second;
            index_.erase(it);
            if (hole + 1 != entries_.size()) {
                entries_[hole] = entries_.back();
                index_[entries_[hole].first] = hole;
            }
            entries_.pop_back();
        }
        return true;
    }
    bool hasOwn(Vm&, PropName& name, bool& has) override {
        if (!name.key) {
            return false;
        }
        has = index_.count(name.key) != 0;
        return true;
    }
    std::uint32_t elementCount() const override {
        return static_cast<std::uint32_t>(entries_.size());
    }
    Value elementName(Vm&, std::uint32_t i) const override {
        return Value::object(entries_[i].first);
    }
    Value elementValue(Vm&, std::uint32_t i) const override { return entries_[i].second; }

private:
    std::vector<std::pair<Object*, Value>> entries_;
    std::unordered_map<Object*, std::size_t> index_;
};

Object* AllocateDictionary(Vm& vm) {
    return vm.make<DictionaryObject>();
}
Value DictionaryInit(Vm&, const Value&, std::span<const Value>) {
    return Value();
}

} // namespace

void InstallDictionary(Vm& vm) {
    NativeClass(vm, "Dictionary", vm.core.object, "flash.utils")
        .alloc(AllocateDictionary)
        .init(DictionaryInit);
}

} // namespace quillon::avm2
