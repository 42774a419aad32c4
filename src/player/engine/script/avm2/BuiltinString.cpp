// String: its methods count UTF-16 units, as the language does.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/common/CaseMapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillon::avm2 {
namespace {

std::size_t Position(Vm& vm, const Value& v, std::size_t length, double fallback) {
    return IndexArgument(vm, v, length, fallback, false);
}
std::size_t FromEnd(Vm& vm, const Value& v, std::size_t length, double fallback) {
    return IndexArgument(vm, v, length, fallback, true);
}

// The methods' parameters are typed: a missing Number takes its default, but one given
// as undefined reads as NaN; a String given as null or undefined is null, found nowhere.
Value NumberParam(std::span<const Value> args, std::size_t i) {
    if (i >= args.size()) {
        return Value();
    }
    return args[i].isUndefined() ? Value::number(std::numeric_limits<double>::quiet_NaN())
                                 : args[i];
}
double CharIndex(Vm& vm, std::span<const Value> args) {
    const double i = args.empty() ? 0 : std::trunc(ToNumber(vm, args[0]));
    return std::isnan(i) ? 0 : i;
}

Value Length(Vm& vm, const Value& self, std::span<const Value>) {
    const std::string text = ToString(vm, self);
    return Value::integer(
        static_cast<std::int32_t>(IsAscii(text) ? text.size() : ToUtf16(text).size()));
}
Value CharAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    const double i = CharIndex(vm, args);
    return i >= 0 && i < static_cast<double>(s.size())
               ? FromUnits(s.substr(static_cast<std::size_t>(i), 1))
               : Value::string("");
}
Value CharCodeAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    const double i = CharIndex(vm, args);
    if (i >= 0 && i < static_cast<double>(s.size())) {
        return Value::integer(s[static_cast<std::size_t>(i)]);
    }
    return Value::number(std::numeric_limits<double>::quiet_NaN());
}
// indexOf and lastIndexOf: the search string, then where to start.
template <bool Last> Value Find(Vm& vm, const Value& self, std::span<const Value> args) {
    if (!args.empty() && args[0].isNullish()) {
        return Value::integer(-1);
    }
    const std::u16string s = ToUnits(vm, self), needle = ToUtf16(ToString(vm, Arg(args, 0)));
    const std::size_t from = Position(vm, Arg(args, 1), s.size(), Last ? 1e300 : 0);
    const auto at = Last ? s.rfind(needle, from) : s.find(needle, from);
    return Value::integer(at == std::u16string::npos ? -1 : static_cast<std::int32_t>(at));
}
Value Substring(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    std::size_t a = Position(vm, Arg(args, 0), s.size(), 0);
    std::size_t b = Position(vm, NumberParam(args, 1), s.size(), 1e300);
    if (a > b) {
        std::swap(a, b);
    }
    return FromUnits(std::u16string_view(s).substr(a, b - a));
}
Value Substr(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    const std::size_t start = FromEnd(vm, Arg(args, 0), s.size(), 0);
    // The length only sets where the piece ends: a negative end counts back from the
    // string's end, so "abcdefg".substr(1, -2) is "bcdef" but substr(2, -2) is empty.
    const Value count = NumberParam(args, 1);
    const double length = count.isUndefined() ? 1e300 : std::trunc(ToNumber(vm, count));
    const std::size_t end =
        FromEnd(vm, Value::number(static_cast<double>(start) + length), s.size(), 0);
    return end > start ? FromUnits(std::u16string_view(s).substr(start, end - start))
                       : Value::string("");
}
Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = ToUnits(vm, self);
    const std::size_t a = FromEnd(vm, Arg(args, 0), s.size(), 0);
    const std::size_t b = FromEnd(vm, NumberParam(args, 1), s.size(), 1e300);
    return b > a ? FromUnits(std::u16string_view(s).substr(a, b - a)) : Value::string("");
}
// Case mapping of every character; an unpaired surrogate stays.
template <bool Upper> Value ChangeCase(Vm& vm, const Value& self, std::span<const Value>) {
    const std::u16string s = ToUnits(vm, self);
    return FromUnits(Upper ? engine::ToUpperUnits(s) : engine::ToLowerUnits(s));
}
Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    Value result = ToStringValue(vm, self);
    for (const Value& v : args) {
        result = Add(vm, result, ToStringValue(vm, v));
    }
    return result;
}
// The difference of the first units that differ; else the shorter text sorts first.
Value LocaleCompare(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string a = ToUnits(vm, self), b = ToUnits(vm, Arg(args, 0));
    const auto [i, j] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (i != a.end() && j != b.end()) {
        return Value::integer(static_cast<std::int32_t>(*i) - static_cast<std::int32_t>(*j));
    }
    return Value::integer(a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0);
}
Value FromCharCode(Vm& vm, const Value&, std::span<const Value> args) {
    std::u16string s;
    for (const Value& v : args) {
        s.push_back(static_cast<char16_t>(ToUint32(vm, v) & 0xffff));
    }
    return FromUnits(s);
}
Value StringCall(Vm& vm, const Value&, std::span<const Value> args) {
    return args.empty() ? Value::string("") : ToStringValue(vm, args[0]);
}
Value Self(Vm& vm, const Value& self, std::span<const Value>) {
    return PrimitiveSelf(vm, self, {vm.core.string}, Value::string(""),
                         "String.prototype.toString");
}

} // namespace

void InstallStringClass(Vm& vm) {
    NativeClass string(vm, "String", vm.core.object);
    string.getter("length", Length).construct(StringCall).call(StringCall).sealed();
    string.staticMethod("fromCharCode", FromCharCode);
    // clang-format off
    string.methods({
        {"charAt", CharAt}, {"charCodeAt", CharCodeAt}, {"indexOf", Find<false>},
        {"lastIndexOf", Find<true>}, {"substring", Substring}, {"substr", Substr},
        {"slice", Slice}, {"toUpperCase", ChangeCase<true>}, {"toLowerCase", ChangeCase<false>},
        {"toLocaleUpperCase", ChangeCase<true>}, {"toLocaleLowerCase", ChangeCase<false>},
        {"concat", Concat},
        {"localeCompare", LocaleCompare}, {"toString", Self}, {"valueOf", Self}});
    // clang-format on
    string.get()->coercion = Coercion::String;
    vm.core.string = string.get();
}

} // namespace quillon::avm2
