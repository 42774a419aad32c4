// Array: the common methods and sort with its flags.

#include "player/engine/script/avm2/ArrayHoles.h"
#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/ItemAlgorithms.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
// The elements of a method that moves or copies them, holes read through the prototypes.
std::vector<Value>& Resolved(Vm& vm, const Value& self) {
    std::vector<Value>& items = Items(vm, self);
    ResolveHoles(vm, self, items);
    return items;
}
std::vector<Value> ResolvedCopy(Vm& vm, const Value& self) {
    std::vector<Value> items = Items(vm, self);
    ResolveHoles(vm, self, items);
    return items;
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
        return Value::object(
            vm.newArray(std::vector<Value>(static_cast<std::size_t>(n), Value::hole())));
    }
    return Value::object(vm.newArray(std::vector<Value>(args.begin(), args.end())));
}
Value GetLength(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(static_cast<std::uint32_t>(Items(vm, self).size()));
}
Value SetLength(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t n = ToUint32(vm, Arg(args, 0));
    Grow(vm, n);
    Items(vm, self).resize(n, Value::hole());
    return Value();
}
// push and unshift: the arguments added at the end or the front; the new length.
template <bool Front> Value Add(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& items = Items(vm, self);
    Grow(vm, items.size() + args.size());
    items.insert(Front ? items.begin() : items.end(), args.begin(), args.end());
    return Value::unsignedInt(static_cast<std::uint32_t>(items.size()));
}
// Takes the element at pos out (shift, removeAt), the later ones moving down.
Value RemoveItem(Vm& vm, const Value& self, std::size_t pos) {
    auto& items = Items(vm, self);
    if (pos >= items.size()) {
        return Value();
    }
    Value taken = Plain(std::move(items[pos]));
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(pos));
    return taken;
}
// The end of the elements an array holds, trailing holes left out: pop and reverse
// work on those, leaving the holes at the end where they are.
std::size_t HeldEnd(const std::vector<Value>& items) {
    std::size_t end = items.size();
    while (end > 0 && items[end - 1].isHole()) {
        --end;
    }
    return end;
}
Value Pop(Vm& vm, const Value& self, std::span<const Value>) {
    auto& items = Items(vm, self);
    if (items.empty()) {
        return Value();
    }
    const std::size_t end = HeldEnd(items);
    Value last = end ? std::exchange(items[end - 1], Value::hole()) : Value();
    items.pop_back();
    return last;
}
Value Shift(Vm& vm, const Value& self, std::span<const Value>) {
    return RemoveItem(vm, self, 0);
}
Value RemoveAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::size_t n = Items(vm, self).size();
    return RemoveItem(vm, self, IndexArgument(vm, Arg(args, 0), n, 0, true));
}
Value InsertAt(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& items = Resolved(vm, self);
    const std::size_t pos = IndexArgument(vm, Arg(args, 0), items.size(), 0, true);
    Grow(vm, items.size() + 1);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(pos, items.size())),
                 Arg(args, 1));
    return Value();
}
Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    const auto items = ResolvedCopy(vm, self);
    const ItemRange r = SliceRange(vm, items.size(), args);
    return Value::object(vm.newArray(
        std::vector<Value>(items.begin() + r.start, items.begin() + r.start + r.count)));
}
Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty()) {
        return Value(); // nothing to remove or insert, and no list of the removed
    }
    auto& items = Resolved(vm, self);
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
    return Value::string(JoinItems(vm, ResolvedCopy(vm, self), Arg(args, 0)));
}
Value ToLocaleStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(JoinItems(vm, ResolvedCopy(vm, self), Value(), true));
}
Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    return Join(vm, self, {});
}
Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    std::vector<Value> out = ResolvedCopy(vm, self);
    for (const Value& v : args) {
        if (v.isObject() && v.asObject()->kind == ObjectKind::Array) {
            const auto more = ResolvedCopy(vm, v);
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
    std::reverse(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(HeldEnd(items)));
    return self;
}
template <bool Last> Value Find(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::integer(FindItem(vm, ResolvedCopy(vm, self), args, Last));
}

template <Each E> Value Iterate(Vm& vm, const Value& self, std::span<const Value> args) {
    std::vector<Value> out;
    const Value r = EachItem(vm, E, ResolvedCopy(vm, self), self, args, out);
    return E == Each::Map || E == Each::Filter ? Value::object(vm.newArray(std::move(out))) : r;
}
// Sorting reads holes through the prototypes and puts undefined last, where it
// stays as holes.
template <Value (*S)(Vm&, std::vector<Value>&, const Value&, std::span<const Value>)>
Value SortArray(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value result = S(vm, Resolved(vm, self), self, args);
    if (result.isObject() && result.asObject() == self.asObject()) {
        for (Value& item : Items(vm, self)) {
            item = item.isUndefined() ? Value::hole() : item;
        }
    }
    return result;
}

} // namespace

void InstallArrayClass(Vm& vm) {
    NativeClass array(vm, "Array", vm.core.object);
    array.construct(NewArray).call(NewArray);
    array.getter("length", GetLength).setter("length", SetLength);
    // clang-format off
    array.methods({
        {"push", Add<false>}, {"pop", Pop}, {"shift", Shift}, {"unshift", Add<true>}, {"slice", Slice},
        {"splice", Splice}, {"join", Join}, {"toString", ToStringMethod},
        {"toLocaleString", ToLocaleStringMethod}, {"concat", Concat}, {"reverse", Reverse},
        {"indexOf", Find<false>}, {"lastIndexOf", Find<true>}, {"forEach", Iterate<Each::ForEach>},
        {"map", Iterate<Each::Map>}, {"filter", Iterate<Each::Filter>},
        {"some", Iterate<Each::Some>}, {"every", Iterate<Each::Every>}, {"sort", SortArray<SortItems>},
        {"sortOn", SortArray<SortOnItems>}, {"insertAt", InsertAt}, {"removeAt", RemoveAt}});
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
