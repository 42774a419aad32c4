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

// Writes the elements back in index order.
void Store(Vm& vm, CallInfo& c, std::vector<Value> elements) {
    Object* o = ThisObject(c);
    if (!o) {
        return;
    }
    if (o->kind == Kind::Array) {
        o->elements = std::move(elements);
        o->elementFlags.clear();
        o->restampElements();
        return;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
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
        } else {
            o->oddLength = n;
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

// Elements as the methods that move them in place see them: one at a time, so an
// undeletable element stays where enumeration lists it and a read-only one keeps its
// value. The same steps serve arrays and array-like objects.
class Slots {
public:
    Slots(Vm& vm, CallInfo& c) : vm_(vm), self_(c.thisValue), o_(ThisObject(c)) {}
    explicit operator bool() const { return o_ != nullptr; }
    std::size_t length() const { return vm_.arrayLength(o_); }
    // An array's own elements are read and written as stored, past any accessor or
    // watcher put over them (and without making names of their indices).
    Value get(std::size_t i) {
        if (array()) {
            return o_->hasElement(i) ? o_->elements[i] : Value();
        }
        return vm_.getOf(o_, std::to_string(i), self_);
    }
    void remove(std::size_t i) {
        if (array() && i < o_->elements.size()) {
            o_->removeElement(i);
        } else {
            vm_.removeProperty(o_, std::to_string(i));
        }
    }
    void put(std::size_t i, Value v) {
        if (array() && i < o_->elements.size()) {
            o_->setElement(i, std::move(v));
        } else {
            vm_.set(self_, std::to_string(i), std::move(v));
        }
    }
    // Deleting the place first puts it at the end of enumeration order, as a new one.
    void move(std::size_t from, std::size_t to) {
        Value v = get(from);
        remove(to);
        put(to, std::move(v));
        remove(from);
    }
    void setLength(std::size_t n) {
        if (n > vm_.limits().maxArrayLength) {
            throw ScriptAbort{"an array grew past its size cap"};
        }
        vm_.set(self_, "length", Value(static_cast<double>(n)));
    }

private:
    bool array() const { return o_->kind == Kind::Array; }

    Vm& vm_;
    Value self_;
    Object* o_;
};

// push (magic 0) and unshift (1): the arguments at the end or the start; the new length.
Value PushUnshift(Vm& vm, CallInfo& c) {
    Slots slots(vm, c);
    if (!slots) {
        return Value();
    }
    const std::size_t length = slots.length();
    const std::size_t added = c.args.size();
    std::size_t at = length;
    if (c.callee->magic == 1) {
        // unshift moves the old elements up from the top, then writes the new ones
        for (std::size_t i = length; i-- > 0;) {
            slots.move(i, i + added);
        }
        at = 0;
    }
    for (std::size_t i = 0; i < added; ++i) {
        slots.put(at + i, c.args[i]);
    }
    slots.setLength(length + added);
    return Value(static_cast<double>(length + added));
}

Value PopShift(Vm& vm, CallInfo& c) {
    Slots slots(vm, c);
    const std::size_t length = slots ? slots.length() : 0;
    if (length == 0) {
        return Value();
    }
    Value out;
    if (c.callee->magic == 0) {
        out = slots.get(length - 1);
        slots.remove(length - 1);
    } else {
        out = slots.get(0);
        for (std::size_t i = 1; i < length; ++i) {
            slots.move(i, i - 1);
        }
    }
    slots.setLength(length - 1);
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
    Slots slots(vm, c);
    if (c.args.empty() || !slots) {
        return Value();
    }
    const std::size_t length = slots.length();
    const std::size_t start = Index(vm, c.arg(0), length, 0);
    std::size_t count = length - start;
    if (c.args.size() > 1) {
        const double n = std::trunc(vm.toNumber(c.arg(1)));
        count = n > 0 ? std::min(count, static_cast<std::size_t>(std::min(n, 1e9))) : 0;
    }
    const std::size_t added = c.args.size() > 2 ? c.args.size() - 2 : 0;
    std::vector<Value> removed;
    for (std::size_t i = start; i < start + count; ++i) {
        removed.push_back(slots.get(i));
    }
    const std::size_t newLength = length - count + added;
    if (added < count) {
        for (std::size_t i = start + count; i < length; ++i) {
            slots.move(i, i - count + added);
        }
        for (std::size_t i = newLength; i < length; ++i) {
            slots.remove(i);
        }
    } else if (added > count) {
        for (std::size_t i = length; i-- > start + count;) {
            slots.move(i, i + added - count);
        }
    }
    for (std::size_t i = 0; i < added; ++i) {
        slots.put(start + i, c.args[i + 2]);
    }
    slots.setLength(newLength);
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
    Slots slots(vm, c);
    if (!slots) {
        return c.thisValue;
    }
    // swapped in pairs from the ends; an odd middle is left alone
    for (std::size_t low = 0, high = slots.length(); low + 1 < high; ++low) {
        --high;
        Value lowValue = slots.get(low), highValue = slots.get(high);
        slots.remove(low);
        slots.remove(high);
        slots.put(low, std::move(highValue));
        slots.put(high, std::move(lowValue));
    }
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
