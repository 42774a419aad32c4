// Number, int, uint and Math.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/NumberFormat.h"
#include "player/engine/script/avm2/Vm.h"

#include <cmath>
#include <limits>
#include <random>

namespace quillon::avm2 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

int DigitsArg(Vm& vm, const Value& v, int low, int high) {
    const double d = v.isUndefined() ? low : ToNumber(vm, v);
    if (!(d >= low && d <= high)) {
        vm.throwError(ErrorKind::RangeError, 1002,
                      "The precision argument must be between " + std::to_string(low) + " and " +
                          std::to_string(high) + "; got " + ToString(vm, v) + ".");
    }
    return static_cast<int>(d);
}

Value NumberSelf(Vm& vm, const Value& self, std::string_view method) {
    const CoreClasses& c = vm.core;
    return PrimitiveSelf(vm, self, {c.number, c.intClass, c.uintClass}, Value::integer(0),
                         "Number.prototype." + std::string(method));
}

Value NumToString(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& radixArg = Arg(args, 0);
    const double radix = radixArg.isUndefined() ? 10 : ToNumber(vm, radixArg);
    if (!(radix >= 2 && radix <= 36)) {
        vm.throwError(ErrorKind::RangeError, 1003,
                      "The radix argument must be between 2 and 36; got " + ToString(vm, radixArg) +
                          ".");
    }
    const double value = ToNumber(vm, NumberSelf(vm, self, "toString"));
    return Value::string(NumberToRadix(value, static_cast<int>(radix)));
}
Value NumValueOf(Vm& vm, const Value& self, std::span<const Value>) {
    return NumberSelf(vm, self, "valueOf");
}
Value ToFixed(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::string(NumberToFixed(ToNumber(vm, self), DigitsArg(vm, Arg(args, 0), 0, 20)));
}
Value ToPrecision(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Arg(args, 0).isUndefined()) {
        return ToStringValue(vm, ToNumeric(vm, self));
    }
    return Value::string(NumberToPrecision(ToNumber(vm, self), DigitsArg(vm, Arg(args, 0), 1, 21)));
}
Value ToExponential(Vm& vm, const Value& self, std::span<const Value> args) {
    const int digits = Arg(args, 0).isUndefined() ? -1 : DigitsArg(vm, Arg(args, 0), 0, 20);
    return Value::string(NumberToExponential(ToNumber(vm, self), digits));
}

Value NumberCall(Vm& vm, const Value&, std::span<const Value> args) {
    return args.empty() ? Value::integer(0) : ToNumeric(vm, args[0]);
}
Value IntCall(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::integer(ToInt32(vm, Arg(args, 0)));
}
Value UintCall(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::unsignedInt(ToUint32(vm, Arg(args, 0)));
}

ClassObject* NumberClass(Vm& vm, const char* name, NativeFn make, Coercion coercion) {
    ClassObject* cls = NativeClass(vm, name, vm.core.object)
                           .method("toString", NumToString)
                           .method("toLocaleString", NumToString)
                           .method("valueOf", NumValueOf)
                           .method("toFixed", ToFixed)
                           .method("toPrecision", ToPrecision)
                           .method("toExponential", ToExponential)
                           .construct(make)
                           .call(make)
                           .sealed()
                           .get();
    cls->coercion = coercion;
    ExposeOnPrototype(vm, cls);
    return cls;
}

double Num(Vm& vm, std::span<const Value> args, std::size_t i) {
    return i < args.size() ? ToNumber(vm, args[i]) : std::numeric_limits<double>::quiet_NaN();
}

template <double (*F)(double)> Value Unary(Vm& vm, const Value&, std::span<const Value> args) {
    return NumberValue(F(Num(vm, args, 0)));
}
double Round(double x) {
    if (!std::isfinite(x) || x == 0) {
        return x;
    }
    return x < 0 && x >= -0.5 ? -0.0 : std::floor(x + 0.5);
}
// Number.round, unlike Math.round, answers +0 where Math.round gives -0.
double RoundUnsigned(double x) {
    const double r = Round(x);
    return r == 0 ? 0.0 : r;
}
double Abs(double x) {
    return std::fabs(x);
}
double Floor(double x) {
    return std::floor(x);
}
double Ceil(double x) {
    return std::ceil(x);
}
double Sqrt(double x) {
    return std::sqrt(x);
}
double Sin(double x) {
    return std::sin(x);
}
double Cos(double x) {
    return std::cos(x);
}
double Tan(double x) {
    return std::tan(x);
}
double Asin(double x) {
    return std::asin(x);
}
double Acos(double x) {
    return std::acos(x);
}
double Atan(double x) {
    return std::atan(x);
}
double Exp(double x) {
    return std::exp(x);
}
double Log(double x) {
    return std::log(x);
}

Value Atan2(Vm& vm, const Value&, std::span<const Value> args) {
    return NumberValue(std::atan2(Num(vm, args, 0), Num(vm, args, 1)));
}
Value Pow(Vm& vm, const Value&, std::span<const Value> args) {
    const double base = Num(vm, args, 0), exponent = Num(vm, args, 1);
    if (std::isnan(exponent) || (std::fabs(base) == 1 && std::isinf(exponent))) {
        return Value::number(std::numeric_limits<double>::quiet_NaN());
    }
    return NumberValue(std::pow(base, exponent));
}
template <bool Max> Value Extreme(Vm& vm, const Value&, std::span<const Value> args) {
    double result = Max ? -kInf : kInf;
    for (const Value& v : args) {
        const double d = ToNumber(vm, v);
        if (std::isnan(d)) {
            return Value::number(d);
        }
        if (Max ? (d > result || (d == 0 && result == 0 && !std::signbit(d)))
                : (d < result || (d == 0 && result == 0 && std::signbit(d)))) {
            result = d;
        }
    }
    return NumberValue(result);
}
Value Random(Vm& vm, const Value&, std::span<const Value>) {
    return Value::number(std::uniform_real_distribution<double>(0.0, 1.0)(vm.random));
}
Value NotCallable(Vm& vm, const Value&, std::span<const Value>) {
    vm.throwError(ErrorKind::TypeError, 1075, "Math is not a function.");
}
Value NotConstructible(Vm& vm, const Value&, std::span<const Value>) {
    vm.throwError(ErrorKind::TypeError, 1076, "Math is not a constructor.");
}

} // namespace

void InstallNumberClasses(Vm& vm) {
    vm.core.number = NumberClass(vm, "Number", NumberCall, Coercion::Number);
    NativeClass(vm, vm.core.number)
        .constant("MAX_VALUE", Value::number(std::numeric_limits<double>::max()))
        .constant("MIN_VALUE", Value::number(std::numeric_limits<double>::denorm_min()))
        .constant("NaN", Value::number(std::numeric_limits<double>::quiet_NaN()))
        .constant("NEGATIVE_INFINITY", Value::number(-kInf))
        .constant("POSITIVE_INFINITY", Value::number(kInf));
    vm.core.intClass = NumberClass(vm, "int", IntCall, Coercion::Int);
    NativeClass(vm, vm.core.intClass)
        .constant("MAX_VALUE", Value::integer(std::numeric_limits<std::int32_t>::max()))
        .constant("MIN_VALUE", Value::integer(std::numeric_limits<std::int32_t>::min()));
    vm.core.uintClass = NumberClass(vm, "uint", UintCall, Coercion::Uint);
    NativeClass(vm, vm.core.uintClass)
        .constant("MAX_VALUE", Value::unsignedInt(0xffffffffu))
        .constant("MIN_VALUE", Value::integer(0));
}

namespace {

const std::pair<const char*, double> kMathConstants[] = {
    {"E", M_E},         {"LN10", M_LN10}, {"LN2", M_LN2},         {"LOG10E", M_LOG10E},
    {"LOG2E", M_LOG2E}, {"PI", M_PI},     {"SQRT1_2", M_SQRT1_2}, {"SQRT2", M_SQRT2}};
// Math's functions declare their parameters without defaults or a rest (max and min
// excepted), so a call with too few or too many arguments is ArgumentError #1063.
template <NativeFn F, std::size_t Count>
Value Exactly(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.size() != Count) {
        vm.throwError(ErrorKind::ArgumentError, 1063,
                      "Argument count mismatch on Math$. Expected " + std::to_string(Count) +
                          ", got " + std::to_string(args.size()) + ".");
    }
    return F(vm, self, args);
}
template <double (*F)(double)> constexpr NativeFn Math1 = Exactly<Unary<F>, 1>;

const std::pair<const char*, NativeFn> kMathFunctions[] = {
    {"abs", Math1<Abs>},     {"floor", Math1<Floor>},      {"ceil", Math1<Ceil>},
    {"round", Math1<Round>}, {"sqrt", Math1<Sqrt>},        {"sin", Math1<Sin>},
    {"cos", Math1<Cos>},     {"tan", Math1<Tan>},          {"asin", Math1<Asin>},
    {"acos", Math1<Acos>},   {"atan", Math1<Atan>},        {"exp", Math1<Exp>},
    {"log", Math1<Log>},     {"atan2", Exactly<Atan2, 2>}, {"pow", Exactly<Pow, 2>},
    {"max", Extreme<true>},  {"min", Extreme<false>},      {"random", Exactly<Random, 0>}};

} // namespace

void InstallMath(Vm& vm) {
    NativeClass math(vm, "Math", vm.core.object);
    math.construct(NotConstructible).call(NotCallable).sealed();
    NativeClass number(vm, vm.core.number); // Number repeats Math's constants and functions
    for (const auto& [name, value] : kMathConstants) {
        math.constant(name, Value::number(value));
        number.constant(name, Value::number(value));
    }
    for (const auto& [name, fn] : kMathFunctions) {
        math.staticMethod(name, fn);
        number.staticMethod(name, fn == Math1<Round> ? Math1<RoundUnsigned> : fn);
    }
}

void HideNumberMathStatics(Vm& vm) {
    auto& bindings = vm.core.number->staticTraits->bindings;
    const auto hide = [&](const char* name) {
        for (std::uint32_t ns : {kPublicNs, vm.as3Ns()}) {
            bindings.erase(PropKey(ns, vm.intern(name)));
        }
    };
    for (const auto& entry : kMathConstants) {
        hide(entry.first);
    }
    for (const auto& entry : kMathFunctions) {
        hide(entry.first);
    }
}

} // namespace quillon::avm2
