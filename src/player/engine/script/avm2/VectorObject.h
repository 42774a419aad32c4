#pragma once
// Vector.<T>: a dense list whose stores convert to T, of a fixed length or not. Its
// classes are made on demand, one per T, by applytype on the generic Vector.

#include "player/engine/script/avm2/Object.h"

#include <span>
#include <vector>

namespace quillon::avm2 {

class VectorObject : public Object {
public:
    VectorObject() : Object(ObjectKind::Vector) {
        exotic = true;
        dynamic = false;
    }
    std::vector<Value> items;
    bool fixed = false;
    ClassObject* type = nullptr; // T; nullptr for *

    bool getOwn(Vm& vm, PropName& name, Value& out) override;
    bool setOwn(Vm& vm, PropName& name, const Value& value) override;
    bool deleteOwn(Vm& vm, PropName& name, bool& deleted) override;
    bool hasOwn(Vm& vm, PropName& name, bool& has) override;
    std::uint32_t elementCount() const override { return static_cast<std::uint32_t>(items.size()); }
    Value elementName(Vm&, std::uint32_t i) const override {
        return Value::integer(static_cast<std::int32_t>(i));
    }
    Value elementValue(Vm&, std::uint32_t i) const override { return items[i]; }
};

// Vector.<T> for applytype: params[0] is T's class, or null for *.
Value ApplyType(Vm& vm, const Value& generic, std::span<const Value> params);
// An empty instance of a Vector.<T> class.
VectorObject* NewVector(Vm& vm, ClassObject* vectorClass);
// What a store into a Vector.<T> keeps, and what a new element holds.
Value VectorStore(Vm& vm, const VectorObject& v, const Value& value);
Value VectorDefault(const ClassObject* type);
// The length change a fixed vector refuses (RangeError #1126) and the length cap.
void CheckResize(Vm& vm, const VectorObject& v, std::size_t newLength);

} // namespace quillon::avm2

namespace quillon::avm2 {

class NativeClass;
// The methods and accessors every Vector.<T> class has.
void AddVectorMethods(NativeClass& cls);

} // namespace quillon::avm2
