// String: its methods count UTF-16 units, as the language does.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cmath>

namespace quillon::avm2 {
namespace {

std::u16string Units(Vm& vm, const Value& self) {
    return ToUtf16(ToString(vm, self));
}
Value Str(std::u16string_view units) {
    return Value::string(ToUtf8(units));
}

std::size_t Position(Vm& vm, const Value& v, std::size_t length, double fallback) {
    return IndexArgument(vm, v, length, fallback, false);
}
std::size_t FromEnd(Vm& vm, const Value& v, std::size_t length, double fallback) {
    return IndexArgument(vm, v, length, fallback, true);
}

Value Length(Vm& vm, const Value& self, std::span<const Value>) {
    const std::string text = ToString(vm, self);
    return Value::integer(
        static_cast<std::int32_t>(IsAscii(text) ? text.size() : ToUtf16(text).size()));
}
Value CharAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    const double i = Arg(args, 0).isUndefined() ? 0 : ToNumber(vm, args[0]);
    return i >= 0 && i < static_cast<double>(s.size())
               ? Str(s.substr(static_cast<std::size_t>(i), 1))
               : Value::string("");
}
Value CharCodeAt(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    const double i = Arg(args, 0).isUndefined() ? 0 : ToNumber(vm, args[0]);
    if (i >= 0 && i < static_cast<double>(s.size())) {
        return Value::integer(s[static_cast<std::size_t>(i)]);
    }
    return Value::number(std::numeric_limits<double>::quiet_NaN());
}
Value IndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self), needle = ToUtf16(ToString(vm, Arg(args, 0)));
    const std::size_t from = Position(vm, Arg(args, 1), s.size(), 0);
    const auto at = s.find(needle, from);
    return Value::integer(at == std::u16string::npos ? -1 : static_cast<std::int32_t>(at));
}
Value LastIndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self), needle = ToUtf16(ToString(vm, Arg(args, 0)));
    const std::size_t from = Position(vm, Arg(args, 1), s.size(), 1e300);
    const auto at = s.rfind(needle, from);
    return Value::integer(at == std::u16string::npos ? -1 : static_cast<std::int32_t>(at));
}
Value Substring(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    std::size_t a = Position(vm, Arg(args, 0), s.size(), 0);
    std::size_t b = Position(vm, Arg(args, 1), s.size(), 1e300);
    if (a > b) {
        std::swap(a, b);
    }
    return Str(std::u16string_view(s).substr(a, b - a));
}
Value Substr(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    const std::size_t start = FromEnd(vm, Arg(args, 0), s.size(), 0);
    const std::size_t count = Position(vm, Arg(args, 1), s.size() - start, 1e300);
    return Str(std::u16string_view(s).substr(start, count));
}
Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    const std::size_t a = FromEnd(vm, Arg(args, 0), s.size(), 0);
    const std::size_t b = FromEnd(vm, Arg(args, 1), s.size(), 1e300);
    return b > a ? Str(std::u16string_view(s).substr(a, b - a)) : Value::string("");
}
template <bool Upper> Value ChangeCase(Vm& vm, const Value& self, std::span<const Value>) {
    std::u16string s = Units(vm, self);
    for (char16_t& c : s) {
        if (Upper && c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 32);
        } else if (!Upper && c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
    }
    return Str(s);
}
std::vector<Value> SplitUnits(const std::u16string& s, const std::u16string& sep,
                              std::size_t limit) {
    std::vector<Value> parts;
    if (sep.empty()) {
        for (std::size_t i = 0; i < s.size() && parts.size() < limit; ++i) {
            parts.push_back(Str(s.substr(i, 1)));
        }
        return parts;
    }
    std::size_t start = 0;
    while (parts.size() < limit) {
        const std::size_t at = s.find(sep, start);
        if (at == std::u16string::npos) {
            parts.push_back(Str(std::u16string_view(s).substr(start)));
            break;
        }
        parts.push_back(Str(std::u16string_view(s).substr(start, at - start)));
        start = at + sep.size();
    }
    return parts;
}
Value Split(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::u16string s = Units(vm, self);
    const double limitArg = Arg(args, 1).isUndefined() ? 4294967295.0 : ToNumber(vm, args[1]);
    const std::size_t limit =
        limitArg >= 0 ? static_cast<std::size_t>(std::min(limitArg, 4294967295.0)) : 0;
    if (Arg(args, 0).isUndefined()) {
        return Value::object(vm.newArray({Str(s)}));
    }
    return Value::object(vm.newArray(SplitUnits(s, ToUtf16(ToString(vm, args[0])), limit)));
}
Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    Value result = ToStringValue(vm, self);
    for (const Value& v : args) {
        result = Add(vm, result, ToStringValue(vm, v));
    }
    return result;
}
Value Replace(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string s = ToString(vm, self), pattern = ToString(vm, Arg(args, 0));
    const auto at = s.find(pattern);
    if (at == std::string::npos) {
        return Value::string(s);
    }
    return Value::string(s.substr(0, at) + ToString(vm, Arg(args, 1)) +
                         s.substr(at + pattern.size()));
}
Value LocaleCompare(Vm& vm, const Value& self, std::span<const Value> args) {
    const int c = ToUtf16(ToString(vm, self)).compare(ToUtf16(ToString(vm, Arg(args, 0))));
    return Value::integer(c < 0 ? -1 : c > 0 ? 1 : 0);
}
Value FromCharCode(Vm& vm, const Value&, std::span<const Value> args) {
    std::u16string s;
    for (const Value& v : args) {
        s.push_back(static_cast<char16_t>(ToUint32(vm, v) & 0xffff));
    }
    return Str(s);
}
Value StringCall(Vm& vm, const Value&, std::span<const Value> args) {
    return args.empty() ? Value::string("") : ToStringValue(vm, args[0]);
}
Value Self(Vm& vm, const Value& self, std::span<const Value>) {
    return ToStringValue(vm, self);
}

} // namespace

void InstallStringClass(Vm& vm) {
    NativeClass string(vm, "String", vm.core.object);
    string.getter("length", Length).construct(StringCall).call(StringCall).sealed();
    string.staticMethod("fromCharCode", FromCharCode);
    // clang-format off
    string.methods({
        {"charAt", CharAt}, {"charCodeAt", CharCodeAt}, {"indexOf", IndexOf},
        {"lastIndexOf", LastIndexOf}, {"substring", Substring}, {"substr", Substr},
        {"slice", Slice}, {"toUpperCase", ChangeCase<true>}, {"toLowerCase", ChangeCase<false>},
        {"toLocaleUpperCase", ChangeCase<true>}, {"toLocaleLowerCase", ChangeCase<false>},
        {"split", Split}, {"concat", Concat}, {"replace", Replace},
        {"localeCompare", LocaleCompare}, {"toString", Self}, {"valueOf", Self}});
    // clang-format on
    string.get()->coercion = Coercion::String;
    vm.core.string = string.get();
}

} // namespace quillon::avm2
