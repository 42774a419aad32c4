#include "player/engine/script/avm2/ItemAlgorithms.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>

namespace quillon::avm2 {

std::string JoinItems(Vm& vm, const std::vector<Value>& items, const Value& separator,
                      bool localized) {
    const std::vector<Value> copy = items; // a toString may change the list
    const std::string sep = separator.isUndefined() ? "," : ToString(vm, separator);
    std::string out;
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (i) {
            out += sep;
        }
        const Value& item = copy[i];
        if (item.isNullish()) {
            continue;
        }
        out += ToString(vm, localized ? CallProperty(vm, item, PublicName(vm, "toLocaleString"), {})
                                      : item);
        if (out.size() > vm.limits().maxStringLength) {
            vm.limitReached("a string longer than the limit");
        }
    }
    return out;
}

std::int32_t FindItem(Vm& vm, const std::vector<Value>& items, std::span<const Value> args,
                      bool last) {
    const std::int64_t n = static_cast<std::int64_t>(items.size());
    double from = Arg(args, 1).isUndefined() ? (last ? n - 1 : 0) : ToNumber(vm, args[1]);
    if (std::isnan(from)) {
        from = 0;
    }
    if (from < 0) {
        from += n;
    }
    from = std::clamp(from, 0.0, static_cast<double>(n));
    for (std::int64_t i = last ? std::min<std::int64_t>(n - 1, static_cast<std::int64_t>(from))
                               : std::max<std::int64_t>(0, static_cast<std::int64_t>(from));
         last ? i >= 0 : i < n; last ? --i : ++i) {
        if (StrictEquals(items[i], Arg(args, 0))) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

ItemRange SliceRange(Vm& vm, std::size_t length, std::span<const Value> args) {
    const std::size_t a = IndexArgument(vm, Arg(args, 0), length, 0, true);
    const std::size_t b = IndexArgument(vm, Arg(args, 1), length, 4294967295.0, true);
    return ItemRange{a, b > a ? b - a : 0};
}

ItemRange SpliceRange(Vm& vm, std::size_t length, std::span<const Value> args) {
    const std::size_t start = IndexArgument(vm, Arg(args, 0), length, 0, true);
    const double countArg = args.size() < 2 ? 4294967295.0 : ToNumber(vm, args[1]);
    const auto count = static_cast<std::size_t>(std::clamp(
        std::isnan(countArg) ? 0.0 : countArg, 0.0, static_cast<double>(length - start)));
    return ItemRange{start, count};
}

Value EachItem(Vm& vm, Each each, const std::vector<Value>& items, const Value& self,
               std::span<const Value> args, std::vector<Value>& out) {
    const std::vector<Value> copy = items; // the callback may change the list
    for (std::size_t i = 0; i < copy.size(); ++i) {
        const Value call[3] = {copy[i].isHole() ? Value() : copy[i],
                               Value::integer(static_cast<std::int32_t>(i)), self};
        const Value r = CallValue(vm, Arg(args, 0), Arg(args, 1), call);
        if (each == Each::Map) {
            out.push_back(r);
        } else if (each == Each::Filter && ToBoolean(r)) {
            out.push_back(copy[i]);
        } else if (each == Each::Some && ToBoolean(r)) {
            return Value::boolean(true);
        } else if (each == Each::Every && !ToBoolean(r)) {
            return Value::boolean(false);
        }
    }
    if (each == Each::Some || each == Each::Every) {
        return Value::boolean(each == Each::Every);
    }
    return Value();
}

} // namespace quillon::avm2
