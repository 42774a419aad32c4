// Array and Vector sort: a merge sort, which stays in bounds whatever a script's compare
// function answers.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/ItemAlgorithms.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace quillon::avm2 {
namespace {

using Less = std::function<bool(std::size_t, std::size_t)>;

void MergeSort(std::vector<std::size_t>& order, std::vector<std::size_t>& buffer, std::size_t lo,
               std::size_t hi, const Less& less) {
    if (hi - lo < 2) {
        return;
    }
    const std::size_t mid = lo + (hi - lo) / 2;
    MergeSort(order, buffer, lo, mid, less);
    MergeSort(order, buffer, mid, hi, less);
    std::size_t a = lo, b = mid, out = lo;
    while (a < mid && b < hi) {
        buffer[out++] = less(order[b], order[a]) ? order[b++] : order[a++];
    }
    while (a < mid) {
        buffer[out++] = order[a++];
    }
    while (b < hi) {
        buffer[out++] = order[b++];
    }
    std::copy(buffer.begin() + lo, buffer.begin() + hi, order.begin() + lo);
}

std::string Folded(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return s;
}

// -1, 0 or 1 for two elements under the flags, undefined last.
int CompareItems(Vm& vm, const Value& a, const Value& b, const Value& fn, int flags) {
    if (a.isUndefined() || b.isUndefined()) {
        return a.isUndefined() == b.isUndefined() ? 0 : (a.isUndefined() ? 1 : -1);
    }
    if (fn.isObject()) {
        const Value args[2] = {a, b};
        const double r = ToNumber(vm, CallValue(vm, fn, Value::null(), args));
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    if (flags & 16) {
        const double x = ToNumber(vm, a), y = ToNumber(vm, b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    std::string x = ToString(vm, a), y = ToString(vm, b);
    if (flags & 1) {
        x = Folded(std::move(x));
        y = Folded(std::move(y));
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

// Sorts target by the compare of two item positions under the flags that apply to
// the whole sort. As the player does, undefined items are set aside at the end in
// their order, the rest sorted ascending and turned round for DESCENDING.
Value SortBy(Vm& vm, std::vector<Value>& target, const Value& self, int flags,
             const std::function<int(std::size_t, std::size_t)>& compare) {
    const std::vector<Value> items = target;
    std::vector<std::size_t> order, undefinedOnes;
    for (std::size_t i = 0; i < items.size(); ++i) {
        (items[i].isUndefined() ? undefinedOnes : order).push_back(i);
    }
    std::vector<std::size_t> buffer(order.size());
    bool duplicate = false;
    const Less less = [&](std::size_t x, std::size_t y) {
        const int c = compare(x, y);
        duplicate = duplicate || c == 0;
        return c < 0;
    };
    MergeSort(order, buffer, 0, order.size(), less);
    if ((flags & 4) && (duplicate || undefinedOnes.size() > 1)) {
        return Value::integer(0);
    }
    if (flags & 2) {
        std::reverse(order.begin(), order.end());
    }
    order.insert(order.end(), undefinedOnes.begin(), undefinedOnes.end());
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order) {
        sorted.push_back((flags & 8) ? Value::integer(static_cast<std::int32_t>(i)) : items[i]);
    }
    if (flags & 8) {
        return Value::object(vm.newArray(std::move(sorted)));
    }
    target = std::move(sorted);
    return self;
}

// sortOn's field names and their flags: one name or an array of names, with one flags
// value for all or an array of one for each.
struct SortFields {
    std::vector<std::string> names;
    std::vector<int> flags;
};

SortFields FieldsOf(Vm& vm, std::span<const Value> args) {
    SortFields fields;
    const Value& names = Arg(args, 0);
    if (names.isObject() && names.asObject()->kind == ObjectKind::Array) {
        for (const Value& n : static_cast<ArrayObject*>(names.asObject())->items) {
            fields.names.push_back(ToString(vm, n));
        }
    } else if (!names.isNullish()) {
        fields.names.push_back(ToString(vm, names));
    }
    const Value& options = Arg(args, 1);
    const auto* list = options.isObject() && options.asObject()->kind == ObjectKind::Array
                           ? &static_cast<ArrayObject*>(options.asObject())->items
                           : nullptr;
    for (std::size_t i = 0; i < fields.names.size(); ++i) {
        const Value flag = !list ? options : i < list->size() ? (*list)[i] : Value();
        fields.flags.push_back(ToInt32(vm, flag));
    }
    return fields;
}

// A field an item lacks reads as undefined, whatever kind of value the item is.
Value FieldOf(Vm& vm, const Value& item, const std::string& name) {
    const PropName field = PublicName(vm, name);
    return HasProperty(vm, item, field) ? GetProperty(vm, item, field) : Value();
}

} // namespace

Value SortItems(Vm& vm, std::vector<Value>& target, const Value& self,
                std::span<const Value> args) {
    const bool fnFirst = Arg(args, 0).isObject();
    const Value fn = fnFirst ? args[0] : Value();
    const int flags = ToInt32(vm, fnFirst ? Arg(args, 1) : Arg(args, 0));
    const std::vector<Value> items = target;
    return SortBy(vm, target, self, flags, [&](std::size_t x, std::size_t y) {
        return CompareItems(vm, items[x], items[y], fn, flags);
    });
}

Value SortOnItems(Vm& vm, std::vector<Value>& target, const Value& self,
                  std::span<const Value> args) {
    const SortFields fields = FieldsOf(vm, args);
    if (fields.names.empty()) {
        return self;
    }
    // Each item's fields are read once, before any comparison.
    std::vector<std::vector<Value>> keys(target.size());
    for (std::size_t i = 0; i < target.size(); ++i) {
        for (const std::string& name : fields.names) {
            keys[i].push_back(FieldOf(vm, target[i], name));
        }
    }
    const int first = fields.flags[0];
    return SortBy(vm, target, self, first, [&](std::size_t x, std::size_t y) {
        for (std::size_t f = 0; f < fields.names.size(); ++f) {
            const Value &a = keys[x][f], &b = keys[y][f];
            int c = CompareItems(vm, a, b, Value(), fields.flags[f]);
            // A field sorted the other way from the first is turned round here; a
            // missing field stays last once the first field's DESCENDING turns all.
            const bool missing = a.isUndefined() != b.isUndefined();
            c = ((missing ? first : fields.flags[f] ^ first) & 2) ? -c : c;
            if (c != 0) {
                return c;
            }
        }
        return 0;
    });
}

} // namespace quillon::avm2
