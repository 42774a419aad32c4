// Array: the common methods and sort with its flags.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/ItemAlgorithms.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>

namespace quillon::avm2 {
namespace {

enum SortFlags {
    CaseInsensitive = 1,
    Descending = 2,
    UniqueSort = 4,
    ReturnIndexedArray = 8,
    Numeric = 16
};

ArrayObject* Self(Vm& vm, const Value& self) {
    if (!self.isObject() || self.asObject()->kind != ObjectKind::Array) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to Array.");
    }
    return static_cast<ArrayObject*>(self.asObject());
}
std::vector<Value>& Items(Vm& vm, const Value& self) {
    return Self(vm, self)->items;
}

void Grow(Vm& vm, std::size_t length) {
    if (length > vm.limits().maxArrayLength) {
        vm.limitReached("an array longer than the limit");
    }
}

Value NewArray(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.size() == 1 && args[0].isNumeric()) {
        const double n = args[0].asNumber();
        if (!(n >= 0 && n <= 4294967295.0 && std::trunc(n) == n)) {
            vm.throwError(ErrorKind::RangeError, 1005,
                          "Array index is not a positive integer (" + ToString(vm, args[0]) + ").");
        }
        Grow(vm, static_cast<std::size_t>(n));
        return Value::object(vm.newArray(std::vector<Value>(static_cast<std::size_t>(n))));
    }
    return Value::object(vm.newArray(std::vector<Value>(args.begin(), args.end())));
}
Value GetLength(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(static_cast<std::uint32_t>(Items(vm, self).size()));
}
Value SetLength(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t n = ToUint32(vm, Arg(args, 0));
    Grow(vm, n);
    Items(vm, self).resize(n);
    return Value();
}
Value Push(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& items = Items(vm, self);
    Grow(vm, items.size() + args.size());
    items.insert(items.end(), args.begin(), args.end());
    return Value::unsignedInt(static_cast<std::uint32_t>(items.size()));
}
Value Pop(Vm& vm, const Value& self, std::span<const Value>) {
    auto& items = Items(vm, self);
    if (items.empty()) {
        return Value();
    }
    Value last = std::move(items.back());
    items.pop_back();
    return last;
}
Value Shift(Vm& vm, const Value& self, std::span<const Value>) {
    auto& items = Items(vm, self);
    if (items.empty()) {
        return Value();
    }
    Value first = std::move(items.front());
    items.erase(items.begin());
    return first;
}
Value Unshift(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& items = Items(vm, self);
    Grow(vm, items.size() + args.size());
    items.insert(items.begin(), args.begin(), args.end());
    return Value::unsignedInt(static_cast<std::uint32_t>(items.size()));
}
Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    const auto& items = Items(vm, self);
    const ItemRange r = SliceRange(vm, items.size(), args);
    return Value::object(vm.newArray(
        std::vector<Value>(items.begin() + r.start, items.begin() + r.start + r.count)));
}
Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& items = Items(vm, self);
    const ItemRange r = SpliceRange(vm, items.size(), args);
    const auto first = items.begin() + r.start, end = first + r.count;
    std::vector<Value> removed(first, end);
    items.erase(first, end);
    if (args.size() > 2) {
        Grow(vm, items.size() + args.size() - 2);
        items.insert(items.begin() + r.start, args.begin() + 2, args.end());
    }
    return Value::object(vm.newArray(std::move(removed)));
}
Value Join(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::string(JoinItems(vm, Items(vm, self), Arg(args, 0)));
}
Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    return Join(vm, self, {});
}
Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    std::vector<Value> out = Items(vm, self);
    for (const Value& v : args) {
        if (v.isObject() && v.asObject()->kind == ObjectKind::Array) {
            const auto& more = static_cast<ArrayObject*>(v.asObject())->items;
            Grow(vm, out.size() + more.size());
            out.insert(out.end(), more.begin(), more.end());
        } else {
            out.push_back(v);
        }
    }
    return Value::object(vm.newArray(std::move(out)));
}
Value Reverse(Vm& vm, const Value& self, std::span<const Value>) {
    auto& items = Items(vm, self);
    std::reverse(items.begin(), items.end());
    return self;
}
template <bool Last> Value Find(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::integer(FindItem(vm, Items(vm, self), args, Last));
}

template <Each E> Value Iterate(Vm& vm, const Value& self, std::span<const Value> args) {
    std::vector<Value> out;
    const Value r = EachItem(vm, E, Items(vm, self), self, args, out);
    return E == Each::Map || E == Each::Filter ? Value::object(vm.newArray(std::move(out))) : r;
}
Value Sort(Vm& vm, const Value& self, std::span<const Value> args) {
    return SortItems(vm, Items(vm, self), self, args);
}

} // namespace

void InstallArrayClass(Vm& vm) {
    NativeClass array(vm, "Array", vm.core.object);
    array.construct(NewArray).call(NewArray);
    array.getter("length", GetLength).setter("length", SetLength);
    // clang-format off
    array.methods({
        {"push", Push}, {"pop", Pop}, {"shift", Shift}, {"unshift", Unshift}, {"slice", Slice},
        {"splice", Splice}, {"join", Join}, {"toString", ToStringMethod},
        {"toLocaleString", ToStringMethod}, {"concat", Concat}, {"reverse", Reverse},
        {"indexOf", Find<false>}, {"lastIndexOf", Find<true>}, {"forEach", Iterate<Each::ForEach>},
        {"map", Iterate<Each::Map>}, {"filter", Iterate<Each::Filter>},
        {"some", Iterate<Each::Some>}, {"every", Iterate<Each::Every>}, {"sort", Sort}});
    // clang-format on
    const std::pair<const char*, int> flags[] = {{"CASEINSENSITIVE", CaseInsensitive},
                                                 {"DESCENDING", Descending},
                                                 {"UNIQUESORT", UniqueSort},
                                                 {"RETURNINDEXEDARRAY", ReturnIndexedArray},
                                                 {"NUMERIC", Numeric}};
    for (const auto& [name, value] : flags) {
        array.constant(name, Value::integer(value));
    }
    vm.core.array = array.get();
    ExposeOnPrototype(vm, array.get());
}

} // namespace quillon::avm2
