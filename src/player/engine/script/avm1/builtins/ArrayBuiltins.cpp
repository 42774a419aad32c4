// Array, with sort and sortOn and their flags.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace quillon::engine::avm1 {

namespace {

enum SortFlag {
    CaseInsensitive = 1,
    Descending = 2,
    UniqueSort = 4,
    ReturnIndexed = 8,
    Numeric = 16
};

// Elements of any array-like `this`.
std::vector<Value> Elements(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return {};
    }
    if (o->kind == Kind::Array) {
        return o->elements;
    }
    std::vector<Value> out;
    const std::size_t n = vm.arrayLength(o);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(vm.getOf(o, std::to_string(i), c.thisValue));
    }
    return out;
}

// Every index in order, as most methods write them.
std::vector<std::size_t> IndexOrder(std::size_t length) {
    std::vector<std::size_t> order(length);
    for (std::size_t i = 0; i < length; ++i) {
        order[i] = i;
    }
    return order;
}

// Writes the elements back in the order given (each index once); an array keeps the old
// state of indices the order leaves out, which matters for holes and enumeration order.
void Store(Vm& vm, CallInfo& c, std::vector<Value> elements, std::vector<std::size_t> order = {}) {
    if (order.empty()) {
        order = IndexOrder(elements.size());
    }
    Object* o = ThisObject(c);
    if (!o) {
        return;
    }
    if (elements.size() > vm.limits().maxArrayLength) {
        throw ScriptAbort{"an array grew past its size cap"};
    }
    if (o->kind == Kind::Array) {
        o->syncStamps();
        o->elementStamps.resize(elements.size(), 0);
        o->elements = std::move(elements);
        o->stampElements(order);
        return;
    }
    for (const std::size_t i : order) {
        vm.set(c.thisValue, std::to_string(i), elements[i]);
    }
    vm.set(c.thisValue, "length", Value(static_cast<double>(elements.size())));
}

Value ArrayCtor(Vm& vm, CallInfo& c) {
    Object* o = c.construct ? ThisObject(c) : vm.newArray();
    o->kind = Kind::Array;
    o->className = "Array";
    if (c.args.size() == 1 && c.args[0].isNumber()) {
        const double n = c.args[0].n;
        if (n >= 0 && n <= static_cast<double>(vm.limits().maxArrayLength) && n == std::trunc(n)) {
            o->resizeElements(static_cast<std::size_t>(n));
        }
        return Value(o);
    }
    o->elements.assign(c.args.begin(), c.args.end());
    return Value(o);
}

Value Join(Vm& vm, CallInfo& c) {
    const std::string separator = c.arg(0).isUndefined() ? "," : vm.toString(c.arg(0));
    std::string out;
    const std::vector<Value> elements = Elements(vm, c);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i) {
            out += separator;
        }
        if (!elements[i].isUndefined()) {
            out += vm.toString(elements[i]);
        } else if (vm.version() >= 7) {
            out += "undefined";
        }
        if (out.size() > vm.limits().maxStringLength) {
            throw ScriptAbort{"a string grew past its size cap"};
        }
    }
    return vm.makeString(std::move(out));
}

// push (magic 0) and unshift (1): the arguments at the end or the start; the new length.
Value PushUnshift(Vm& vm, CallInfo& c) {
    std::vector<Value> e = Elements(vm, c);
    e.insert(c.callee->magic == 0 ? e.end() : e.begin(), c.args.begin(), c.args.end());
    const std::size_t size = e.size();
    std::vector<std::size_t> order = IndexOrder(size);
    if (c.callee->magic == 1) {
        // unshift moves the old elements up from the top, then writes the new ones
        const std::size_t added = c.args.size();
        std::reverse(order.begin() + static_cast<long>(added), order.end());
        std::rotate(order.begin(), order.begin() + static_cast<long>(added), order.end());
    }
    Store(vm, c, std::move(e), std::move(order));
    return Value(static_cast<double>(size));
}

Value PopShift(Vm& vm, CallInfo& c) {
    std::vector<Value> e = Elements(vm, c);
    if (e.empty()) {
        return Value();
    }
    Value out;
    if (c.callee->magic == 0) {
        out = e.back();
        e.pop_back();
    } else {
        out = e.front();
        e.erase(e.begin());
    }
    Store(vm, c, std::move(e));
    return out;
}

std::size_t Index(Vm& vm, const Value& v, std::size_t length, std::size_t fallback) {
    if (v.isUndefined()) {
        return fallback;
    }
    double n = std::trunc(vm.toNumber(v));
    if (std::isnan(n)) {
        n = 0;
    }
    if (n < 0) {
        n = std::max(0.0, static_cast<double>(length) + n);
    }
    return static_cast<std::size_t>(std::min(n, static_cast<double>(length)));
}

Value SliceArray(Vm& vm, CallInfo& c) {
    const std::vector<Value> e = Elements(vm, c);
    const std::size_t start = Index(vm, c.arg(0), e.size(), 0);
    const std::size_t end = Index(vm, c.arg(1), e.size(), e.size());
    return Value(vm.newArray(start < end ? std::vector<Value>(e.begin() + static_cast<long>(start),
                                                              e.begin() + static_cast<long>(end))
                                         : std::vector<Value>{}));
}

Value Splice(Vm& vm, CallInfo& c) {
    std::vector<Value> e = Elements(vm, c);
    if (c.args.empty()) {
        return Value();
    }
    const std::size_t start = Index(vm, c.arg(0), e.size(), 0);
    std::size_t count = e.size() - start;
    if (c.args.size() > 1) {
        const double n = std::trunc(vm.toNumber(c.arg(1)));
        count = n > 0 ? std::min(count, static_cast<std::size_t>(std::min(n, 1e9))) : 0;
    }
    const auto first = e.begin() + static_cast<long>(start);
    std::vector<Value> removed(first, first + static_cast<long>(count));
    e.erase(first, first + static_cast<long>(count));
    if (c.args.size() > 2) {
        e.insert(e.begin() + static_cast<long>(start), c.args.begin() + 2, c.args.end());
    }
    Store(vm, c, std::move(e));
    return Value(vm.newArray(std::move(removed)));
}

Value Concat(Vm& vm, CallInfo& c) {
    std::vector<Value> e = Elements(vm, c);
    for (const Value& v : c.args) {
        if (v.isObject() && v.o->kind == Kind::Array) {
            e.insert(e.end(), v.o->elements.begin(), v.o->elements.end());
        } else {
            e.push_back(v);
        }
        if (e.size() > vm.limits().maxArrayLength) {
            throw ScriptAbort{"an array grew past its size cap"};
        }
    }
    return Value(vm.newArray(std::move(e)));
}

Value Reverse(Vm& vm, CallInfo& c) {
    std::vector<Value> e = Elements(vm, c);
    std::reverse(e.begin(), e.end());
    // swapped in pairs from the ends; an odd middle is left alone
    std::vector<std::size_t> order;
    for (std::size_t low = 0, high = e.size(); low + 1 < high; ++low) {
        --high;
        order.push_back(low);
        order.push_back(high);
    }
    Store(vm, c, std::move(e), std::move(order));
    return c.thisValue;
}

// -1, 0, 1 as the flags order two values.
int CompareByFlags(Vm& vm, const Value& a, const Value& b, int flags) {
    int result;
    // numeric order holds between two numbers only; anything else compares as text
    if ((flags & Numeric) && a.isNumber() && b.isNumber()) {
        const double x = vm.toNumber(a), y = vm.toNumber(b);
        result = x < y ? -1 : x > y ? 1 : 0;
        if (std::isnan(x) || std::isnan(y)) {
            result = std::isnan(x) ? (std::isnan(y) ? 0 : 1) : -1;
        }
    } else {
        std::string x = vm.toString(a), y = vm.toString(b);
        if (a.isUndefined())
            x = "undefined";
        if (b.isUndefined())
            y = "undefined";
        if (flags & CaseInsensitive) {
            x = FoldCase(x);
            y = FoldCase(y);
        }
        result = x < y ? -1 : x > y ? 1 : 0;
    }
    return (flags & Descending) ? -result : result;
}

Value SortWith(Vm& vm, CallInfo& c, const std::function<int(const Value&, const Value&)>& compare,
               int flags) {
    std::vector<Value> e = Elements(vm, c);
    std::vector<std::size_t> order(e.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    bool duplicate = false;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        const int r = compare(e[x], e[y]);
        if (r == 0 && x != y) {
            duplicate = true;
        }
        return r < 0;
    });
    if ((flags & UniqueSort) && duplicate) {
        return Value(0.0);
    }
    if (flags & ReturnIndexed) {
        std::vector<Value> indices;
        for (std::size_t i : order) {
            indices.push_back(Value(static_cast<double>(i)));
        }
        return Value(vm.newArray(std::move(indices)));
    }
    std::vector<Value> sorted;
    for (std::size_t i : order) {
        sorted.push_back(e[i]);
    }
    Store(vm, c, std::move(sorted));
    return c.thisValue;
}

Value Sort(Vm& vm, CallInfo& c) {
    Value fn;
    int flags = 0;
    if (c.arg(0).isObject() && c.arg(0).o->isFunction()) {
        fn = c.arg(0);
        flags = IntArg(vm, c, 1, 0);
    } else if (!c.args.empty() && !c.arg(0).isNumber() && !c.arg(0).isObject()) {
        return Value(); // neither a compare function nor flags: nothing is sorted
    } else {
        // with two numbers the second holds the flags
        flags = IntArg(vm, c, c.args.size() > 1 && c.arg(1).isNumber() ? 1 : 0, 0);
    }
    if (fn.isObject()) {
        return SortWith(
            vm, c,
            [&](const Value& a, const Value& b) {
                const Value args[] = {a, b};
                const double r = vm.toNumber(vm.call(fn, Value(), args));
                const int s = r < 0 ? -1 : r > 0 ? 1 : 0;
                return (flags & Descending) ? -s : s;
            },
            flags);
    }
    return SortWith(
        vm, c, [&](const Value& a, const Value& b) { return CompareByFlags(vm, a, b, flags); },
        flags);
}

Value SortOn(Vm& vm, CallInfo& c) {
    std::vector<std::string> fields;
    std::vector<int> fieldFlags;
    if (c.args.empty()) {
        return Value();
    }
    const Value names = c.arg(0);
    const Value flagsValue = c.arg(1);
    if (names.isObject() && names.o->kind == Kind::Array) {
        // flags by field count only when there is one for each field; otherwise none
        const bool listed = flagsValue.isObject() && flagsValue.o->kind == Kind::Array;
        const bool perField = listed && flagsValue.o->elements.size() == names.o->elements.size();
        for (std::size_t i = 0; i < names.o->elements.size(); ++i) {
            fields.push_back(vm.toString(names.o->elements[i]));
            fieldFlags.push_back(perField ? ToInt32(vm.toNumber(flagsValue.o->elements[i]))
                                 : listed ? 0
                                          : IntArg(vm, c, 1, 0));
        }
    } else {
        fields.push_back(vm.toString(names));
        fieldFlags.push_back(IntArg(vm, c, 1, 0));
    }
    const int flags = fieldFlags.empty() ? 0 : fieldFlags[0];
    return SortWith(
        vm, c,
        [&](const Value& a, const Value& b) {
            // an element that is no object has no fields: it stands for itself
            const auto field = [&vm](const Value& v, const std::string& name) {
                return v.isObject() ? vm.get(v, name) : v;
            };
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const int r =
                    CompareByFlags(vm, field(a, fields[i]), field(b, fields[i]), fieldFlags[i]);
                if (r != 0) {
                    return r;
                }
            }
            return 0;
        },
        flags);
}

} // namespace

void InstallArrayBuiltins(Vm& vm) {
    vm.arrayProto = vm.newObject();
    Object* array = vm.newClass(vm.global, "Array", ArrayCtor, vm.arrayProto);
    DefineConstants(array, {{"CASEINSENSITIVE", 1},
                            {"DESCENDING", 2},
                            {"UNIQUESORT", 4},
                            {"RETURNINDEXEDARRAY", 8},
                            {"NUMERIC", 16}});
    Object* p = vm.arrayProto;
    // clang-format off
    vm.methods(p, {
        {"join", Join}, {"toString", Join}, {"push", PushUnshift, 0},
        {"unshift", PushUnshift, 1}, {"pop", PopShift, 0}, {"shift", PopShift, 1},
        {"slice", SliceArray}, {"splice", Splice}, {"concat", Concat}, {"reverse", Reverse},
        {"sort", Sort}, {"sortOn", SortOn}});
    // clang-format on
}

} // namespace quillon::engine::avm1
