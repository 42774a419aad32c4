#include "player/engine/script/avm2/Convert.h"

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/NumberFormat.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quillon::avm2 {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

double ParseHex(std::string_view text) {
    if (text.empty()) {
        return kNaN;
    }
    double value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            digit = (c | 0x20) - 'a' + 10;
        } else {
            return kNaN;
        }
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

double StringToNumber(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return 0;
    }
    double sign = 1;
    if (text.front() == '+' || text.front() == '-') {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (text.size() > 1 && text[0] == '0' && (text[1] | 0x20) == 'x') {
        return sign * ParseHex(text.substr(2));
    }
    if (text == "Infinity") {
        return sign * std::numeric_limits<double>::infinity();
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) {
        return kNaN;
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return sign * (text.find_first_of("123456789") < text.find_first_of("eE")
                           ? std::numeric_limits<double>::infinity()
                           : 0.0);
    }
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return kNaN;
    }
    return sign * value;
}

std::int32_t NumberToInt32(double d) {
    if (!std::isfinite(d)) {
        return 0;
    }
    if (d >= -2147483648.0 && d <= 2147483647.0) {
        return static_cast<std::int32_t>(d);
    }
    double m = std::fmod(std::trunc(d), 4294967296.0);
    if (m < 0) {
        m += 4294967296.0;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m));
}

Value ToPrimitive(Vm& vm, const Value& v, Hint hint) {
    if (!v.isObject()) {
        return v;
    }
    const char* order[2] = {"valueOf", "toString"};
    if (hint == Hint::String) {
        std::swap(order[0], order[1]);
    }
    for (const char* method : order) {
        // Methods first: on XML a plain read would look for child elements.
        PropName name = PublicName(vm, method);
        const Binding* b = FindBinding(TraitsOf(vm, v), name);
        const Value fn = b && b->kind == Binding::Kind::Method ? ReadBinding(vm, v, *b, name)
                                                               : GetProperty(vm, v, name);
        if (fn.isObject() && fn.asObject()->kind == ObjectKind::Function) {
            Value result = CallValue(vm, fn, v, {});
            if (!result.isObject()) {
                return result;
            }
        }
    }
    vm.throwError(ErrorKind::TypeError, 1050,
                  "Cannot convert " + ClassName(vm, v) + " to primitive.");
}

Hint DefaultHint(const Value& v) {
    if (v.isObject()) {
        for (const ClassObject* c = v.asObject()->cls; c; c = c->base) {
            if (c->stringHint) {
                return Hint::String;
            }
        }
    }
    return Hint::Number;
}

double ToNumber(Vm& vm, const Value& v) {
    switch (v.kind()) {
    case Kind::Undefined:
        return kNaN;
    case Kind::Null:
        return 0;
    case Kind::Boolean:
        return v.asBool() ? 1 : 0;
    case Kind::Int:
        return v.asInt();
    case Kind::Number:
        return v.asNumber();
    case Kind::String:
        return StringToNumber(v.asString());
    case Kind::Object:
        return ToNumber(vm, ToPrimitive(vm, v, Hint::Number));
    }
    return kNaN;
}

std::int32_t ToInt32(Vm& vm, const Value& v) {
    return v.isInt() ? v.asInt() : NumberToInt32(ToNumber(vm, v));
}

std::uint32_t ToUint32(Vm& vm, const Value& v) {
    return static_cast<std::uint32_t>(ToInt32(vm, v));
}

bool ToBoolean(const Value& v) {
    switch (v.kind()) {
    case Kind::Undefined:
    case Kind::Null:
        return false;
    case Kind::Boolean:
        return v.asBool();
    case Kind::Int:
        return v.asInt() != 0;
    case Kind::Number:
        return !(v.asNumber() == 0 || std::isnan(v.asNumber()));
    case Kind::String:
        return !v.asString().empty();
    case Kind::Object:
        return true;
    }
    return false;
}

std::string ToString(Vm& vm, const Value& v) {
    switch (v.kind()) {
    case Kind::Undefined:
        return "undefined";
    case Kind::Null:
        return "null";
    case Kind::Boolean:
        return v.asBool() ? "true" : "false";
    case Kind::Int:
        return std::to_string(v.asInt());
    case Kind::Number:
        return NumberToString(v.asNumber());
    case Kind::String:
        return v.asString();
    case Kind::Object:
        return ToString(vm, ToPrimitive(vm, v, Hint::String));
    }
    return {};
}

Value ToStringValue(Vm& vm, const Value& v) {
    return v.isString() ? v : Value::string(ToString(vm, v));
}

Value ToNumeric(Vm& vm, const Value& v) {
    return v.isNumeric() ? v : Value::number(ToNumber(vm, v));
}

std::size_t IndexArgument(Vm& vm, const Value& v, std::size_t length, double fallback,
                          bool fromEnd) {
    double d = v.isUndefined() ? fallback : ToNumber(vm, v);
    if (std::isnan(d)) {
        d = 0;
    }
    if (d < 0) {
        d = fromEnd ? std::max(0.0, d + static_cast<double>(length)) : 0.0;
    }
    return d >= static_cast<double>(length) ? length : static_cast<std::size_t>(d);
}

Value NumberValue(double d) {
    if (d >= -2147483648.0 && d <= 2147483647.0) {
        const auto i = static_cast<std::int32_t>(d);
        if (i == d && !(i == 0 && std::signbit(d))) {
            return Value::integer(i);
        }
    }
    return Value::number(d);
}

Value CoerceString(Vm& vm, const Value& v) {
    return v.isNullish() ? Value::null() : ToStringValue(vm, v);
}

Value Coerce(Vm& vm, const Value& v, Coercion coercion) {
    switch (coercion) {
    case Coercion::Any:
        return v;
    case Coercion::Int:
        return Value::integer(ToInt32(vm, v));
    case Coercion::Uint:
        return Value::unsignedInt(ToUint32(vm, v));
    case Coercion::Number:
        return v.isNumeric() ? v : Value::number(ToNumber(vm, v));
    case Coercion::String:
        return CoerceString(vm, v);
    case Coercion::Boolean:
        return Value::boolean(ToBoolean(v));
    case Coercion::Object:
        return v.isUndefined() ? Value::null() : v;
    }
    return v;
}

std::u16string ToUnits(Vm& vm, const Value& v) {
    return ToUtf16(ToString(vm, v));
}

Value FromUnits(std::u16string_view units) {
    return Value::string(ToUtf8(units));
}

} // namespace quillon::avm2
