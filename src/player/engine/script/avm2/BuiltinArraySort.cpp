// Array and Vector sort: a merge sort, which stays in bounds whatever a script's compare
// function answers.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/ItemAlgorithms.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

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

} // namespace

Value SortItems(Vm& vm, std::vector<Value>& target, const Value& self,
                std::span<const Value> args) {
    const bool fnFirst = Arg(args, 0).isObject();
    const Value fn = fnFirst ? args[0] : Value();
    const int flags = ToInt32(vm, fnFirst ? Arg(args, 1) : Arg(args, 0));
    const std::vector<Value> items = target;
    std::vector<std::size_t> order(items.size()), buffer(items.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    bool duplicate = false;
    const Less less = [&](std::size_t x, std::size_t y) {
        int c = CompareItems(vm, items[x], items[y], fn, flags);
        duplicate = duplicate || c == 0;
        return (flags & 2) ? c > 0 : c < 0;
    };
    MergeSort(order, buffer, 0, order.size(), less);
    if ((flags & 4) && duplicate) {
        return Value::integer(0);
    }
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

} // namespace quillon::avm2
