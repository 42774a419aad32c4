// The methods of Vector.<T>: Array's, with every store converted to T and every
// length change refused on a fixed vector.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/ItemAlgorithms.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/VectorObject.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

VectorObject* Self(Vm& vm, const Value& self) {
    return static_cast<VectorObject*>(
        SelfOfKind(vm, self, ObjectKind::Vector, "__AS3__.vec.Vector"));
}

// A new vector of the same type as self holding items converted to T.
Value SameType(Vm& vm, const VectorObject& self, const std::vector<Value>& items) {
    VectorObject* v = NewVector(vm, self.cls);
    CheckResize(vm, *v, items.size());
    for (const Value& item : items) {
        v->items.push_back(VectorStore(vm, *v, item));
    }
    return Value::object(v);
}

std::vector<Value> Stored(Vm& vm, const VectorObject& v, std::span<const Value> args) {
    std::vector<Value> out;
    for (const Value& a : args) {
        out.push_back(VectorStore(vm, v, a));
    }
    return out;
}

Value Length(VectorObject* v) {
    return Value::unsignedInt(static_cast<std::uint32_t>(v->items.size()));
}

Value GetLength(Vm& vm, const Value& self, std::span<const Value>) {
    return Length(Self(vm, self));
}
Value SetLength(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    const std::uint32_t n = ToUint32(vm, Arg(args, 0));
    CheckResize(vm, *v, n);
    v->items.resize(n, VectorDefault(v->type));
    return Value();
}
Value GetFixed(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(Self(vm, self)->fixed);
}
Value SetFixed(Vm& vm, const Value& self, std::span<const Value> args) {
    Self(vm, self)->fixed = ToBoolean(Arg(args, 0));
    return Value();
}

// Inserts converted items at pos (clamped), as push, unshift and insertAt do.
Value InsertItems(Vm& vm, const Value& self, std::size_t pos, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    std::vector<Value> stored = Stored(vm, *v, args);
    CheckResize(vm, *v, v->items.size() + (v->fixed ? 1 : stored.size())); // even adding none
    pos = std::min(pos, v->items.size());
    v->items.insert(v->items.begin() + static_cast<std::ptrdiff_t>(pos), stored.begin(),
                    stored.end());
    return Length(v);
}
Value Push(Vm& vm, const Value& self, std::span<const Value> args) {
    return InsertItems(vm, self, Self(vm, self)->items.size(), args);
}
Value Unshift(Vm& vm, const Value& self, std::span<const Value> args) {
    return InsertItems(vm, self, 0, args);
}
Value InsertAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::size_t length = Self(vm, self)->items.size();
    const std::size_t pos = IndexArgument(vm, Arg(args, 0), length, 0, true);
    InsertItems(vm, self, pos, args.subspan(std::min<std::size_t>(1, args.size()), 1));
    return Value();
}

// Takes the element at a position out, as pop, shift and removeAt do.
Value RemoveItem(Vm& vm, VectorObject* v, std::size_t pos) {
    if (v->items.empty()) {
        CheckResize(vm, *v, 1); // a fixed vector refuses even this
        const Value none = VectorDefault(v->type);
        return none.isNull() ? Value() : none;
    }
    CheckResize(vm, *v, v->items.size() - 1);
    Value item = std::move(v->items[pos]);
    v->items.erase(v->items.begin() + static_cast<std::ptrdiff_t>(pos));
    return item;
}
Value Pop(Vm& vm, const Value& self, std::span<const Value>) {
    VectorObject* v = Self(vm, self);
    return RemoveItem(vm, v, v->items.empty() ? 0 : v->items.size() - 1);
}
Value Shift(Vm& vm, const Value& self, std::span<const Value>) {
    return RemoveItem(vm, Self(vm, self), 0);
}
Value RemoveAt(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    double at = ToNumber(vm, Arg(args, 0));
    at = at < 0 ? std::max(0.0, at + static_cast<double>(v->items.size())) : at;
    if (!(at >= 0 && at < static_cast<double>(v->items.size()))) {
        vm.throwError(ErrorKind::RangeError, 1125,
                      "The index " + ToString(vm, Arg(args, 0)) + " is out of range " +
                          std::to_string(v->items.size()) + ".");
    }
    return RemoveItem(vm, v, static_cast<std::size_t>(at));
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    std::vector<Value> out = v->items;
    for (const Value& a : args) {
        if (!a.isObject() || a.asObject()->kind != ObjectKind::Vector) {
            vm.throwError(ErrorKind::TypeError, 1034,
                          "Type Coercion failed: cannot convert " + ClassName(vm, a) + " to " +
                              v->cls->name + ".");
        }
        const auto& more = static_cast<VectorObject*>(a.asObject())->items;
        CheckResize(vm, *v, 0);
        out.insert(out.end(), more.begin(), more.end());
        if (out.size() > vm.limits().maxArrayLength) {
            vm.limitReached("a vector longer than the limit");
        }
    }
    return SameType(vm, *v, out);
}
Value Join(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::string(JoinItems(vm, Self(vm, self)->items, Arg(args, 0)));
}
Value ToLocaleStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(JoinItems(vm, Self(vm, self)->items, Value(), true));
}
Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    return Join(vm, self, {});
}
template <bool Last> Value Find(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::integer(FindItem(vm, Self(vm, self)->items, args, Last));
}
Value Reverse(Vm& vm, const Value& self, std::span<const Value>) {
    auto& items = Self(vm, self)->items;
    std::reverse(items.begin(), items.end());
    return self;
}
Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    const ItemRange r = SliceRange(vm, v->items.size(), args);
    const auto first = v->items.begin() + static_cast<std::ptrdiff_t>(r.start);
    return SameType(vm, *v,
                    std::vector<Value>(first, first + static_cast<std::ptrdiff_t>(r.count)));
}
Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    const ItemRange r = SpliceRange(vm, v->items.size(), args);
    const std::vector<Value> added =
        Stored(vm, *v, args.subspan(std::min<std::size_t>(2, args.size())));
    CheckResize(vm, *v, v->items.size() - r.count + added.size());
    const auto first = v->items.begin() + static_cast<std::ptrdiff_t>(r.start);
    const auto end = first + static_cast<std::ptrdiff_t>(r.count);
    const Value removed = SameType(vm, *v, std::vector<Value>(first, end));
    v->items.erase(first, end);
    v->items.insert(v->items.begin() + static_cast<std::ptrdiff_t>(r.start), added.begin(),
                    added.end());
    return removed;
}
Value Sort(Vm& vm, const Value& self, std::span<const Value> args) {
    return SortItems(vm, Self(vm, self)->items, self, args);
}

// The callback of every, some, forEach, map and filter is typed Function.
void CheckCallback(Vm& vm, std::span<const Value> args) {
    if (args.empty()) {
        vm.throwError(ErrorKind::ArgumentError, 1063,
                      "Argument count mismatch on __AS3__.vec::Vector. Expected 1, got 0.");
    }
    const Value& fn = args[0];
    if (!fn.isNullish() && !(fn.isObject() && fn.asObject()->kind == ObjectKind::Function)) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, fn) +
                          " to Function.");
    }
}
template <Each E> Value Iterate(Vm& vm, const Value& self, std::span<const Value> args) {
    VectorObject* v = Self(vm, self);
    CheckCallback(vm, args);
    std::vector<Value> out;
    if (args[0].isNullish()) {
        return E == Each::Map || E == Each::Filter ? SameType(vm, *v, out)
                                                   : EachItem(vm, E, out, self, args, out);
    }
    const Value r = EachItem(vm, E, v->items, self, args, out);
    return E == Each::Map || E == Each::Filter ? SameType(vm, *v, out) : r;
}

} // namespace

void AddVectorMethods(NativeClass& cls) {
    cls.getter("length", GetLength).setter("length", SetLength);
    cls.getter("fixed", GetFixed).setter("fixed", SetFixed);
    // clang-format off
    cls.methods({
        {"push", Push}, {"pop", Pop}, {"shift", Shift}, {"unshift", Unshift},
        {"insertAt", InsertAt}, {"removeAt", RemoveAt}, {"slice", Slice}, {"splice", Splice},
        {"join", Join}, {"toString", ToStringMethod}, {"toLocaleString", ToLocaleStringMethod},
        {"concat", Concat}, {"reverse", Reverse}, {"indexOf", Find<false>},
        {"lastIndexOf", Find<true>}, {"forEach", Iterate<Each::ForEach>},
        {"map", Iterate<Each::Map>}, {"filter", Iterate<Each::Filter>},
        {"some", Iterate<Each::Some>}, {"every", Iterate<Each::Every>}, {"sort", Sort}});
    // clang-format on
}

} // namespace quillon::avm2
