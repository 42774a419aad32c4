// Number, Boolean and Math.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cmath>
#include <limits>

namespace quillon::engine::avm1 {

namespace {

Value Primitive(CallInfo& c) {
    Object* o = ThisObject(c);
    return o && o->kind == Kind::Boxed ? o->primitive : c.thisValue;
}

Value NumberCtor(Vm& vm, CallInfo& c) {
    const double n = c.args.empty() ? 0.0 : vm.toNumber(c.arg(0));
    if (c.construct) {
        if (Object* o = ThisObject(c)) {
            o->kind = Kind::Boxed;
            o->className = "Number";
            o->primitive = Value(n);
        }
        return c.thisValue;
    }
    return Value(n);
}

Value NumberToStringMethod(Vm& vm, CallInfo& c) {
    const Value p = Primitive(c);
    const double n = vm.toNumber(p);
    const int radix = IntArg(vm, c, 0, 10);
    return Value(NumberToRadix(n, radix));
}

Value PrimitiveValue(Vm&, CallInfo& c) {
    return Primitive(c);
}

Value BooleanCtor(Vm& vm, CallInfo& c) {
    const bool b = !c.args.empty() && vm.toBool(c.arg(0));
    if (c.construct) {
        if (Object* o = ThisObject(c)) {
            o->kind = Kind::Boxed;
            o->className = "Boolean";
            o->primitive = Value(b);
        }
        return c.thisValue;
    }
    return Value(b);
}

Value BooleanToString(Vm& vm, CallInfo& c) {
    return Value(vm.toStr(Primitive(c)));
}

double Arg(Vm& vm, CallInfo& c, std::size_t i) {
    return i < c.args.size() ? vm.toNumber(c.args[i]) : std::numeric_limits<double>::quiet_NaN();
}

Value MathUnary(Vm& vm, CallInfo& c) {
    const double x = Arg(vm, c, 0);
    switch (c.callee->magic) {
    case 0:
        return Value(std::fabs(x));
    case 1:
        return Value(std::acos(x));
    case 2:
        return Value(std::asin(x));
    case 3:
        return Value(std::atan(x));
    case 4:
        return Value(std::ceil(x));
    case 5:
        return Value(std::cos(x));
    case 6:
        return Value(std::exp(x));
    case 7:
        return Value(std::floor(x));
    case 8:
        return Value(std::log(x));
    case 9:
        return Value(std::floor(x + 0.5));
    case 10:
        return Value(std::sin(x));
    case 11:
        return Value(std::sqrt(x));
    default:
        return Value(std::tan(x));
    }
}

Value MathBinary(Vm& vm, CallInfo& c) {
    const double x = Arg(vm, c, 0), y = Arg(vm, c, 1);
    switch (c.callee->magic) {
    case 0:
        return Value(std::atan2(x, y));
    case 1:
        return Value(std::isnan(y) ? y : std::pow(x, y));
    default:
        return Value();
    }
}

Value MathMinMax(Vm& vm, CallInfo& c) {
    const bool max = c.callee->magic == 1;
    if (c.args.empty()) {
        return Value(max ? -std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::infinity());
    }
    double result =
        max ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    for (const Value& v : c.args) {
        const double n = vm.toNumber(v);
        if (std::isnan(n)) {
            return Value(n);
        }
        result = max ? std::max(result, n) : std::min(result, n);
    }
    return Value(result);
}

Value MathRandom(Vm& vm, CallInfo&) {
    return Value(std::uniform_real_distribution<double>(0.0, 1.0)(vm.random));
}

} // namespace

void InstallNumberBuiltins(Vm& vm) {
    vm.numberProto = vm.newObject();
    Object* number = vm.newClass(vm.global, "Number", NumberCtor, vm.numberProto);
    vm.method(vm.numberProto, "toString", NumberToStringMethod);
    vm.method(vm.numberProto, "valueOf", PrimitiveValue);
    const std::uint8_t fixed = DontEnum | DontDelete | ReadOnly;
    number->define("MAX_VALUE", Value(std::numeric_limits<double>::max()), fixed);
    number->define("MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()), fixed);
    number->define("NaN", Value(std::numeric_limits<double>::quiet_NaN()), fixed);
    number->define("NEGATIVE_INFINITY", Value(-std::numeric_limits<double>::infinity()), fixed);
    number->define("POSITIVE_INFINITY", Value(std::numeric_limits<double>::infinity()), fixed);

    vm.booleanProto = vm.newObject();
    vm.newClass(vm.global, "Boolean", BooleanCtor, vm.booleanProto);
    vm.method(vm.booleanProto, "toString", BooleanToString);
    vm.method(vm.booleanProto, "valueOf", PrimitiveValue);
}

void InstallMathBuiltins(Vm& vm) {
    Object* math = vm.newObject();
    vm.global->define("Math", Value(math), DontEnum);
    const char* unary[] = {"abs",   "acos", "asin",  "atan", "ceil", "cos", "exp",
                           "floor", "log",  "round", "sin",  "sqrt", "tan"};
    for (int i = 0; i < 13; ++i) {
        vm.method(math, unary[i], MathUnary, i);
    }
    vm.method(math, "atan2", MathBinary, 0);
    vm.method(math, "pow", MathBinary, 1);
    vm.method(math, "min", MathMinMax, 0);
    vm.method(math, "max", MathMinMax, 1);
    vm.method(math, "random", MathRandom);
    const std::uint8_t fixed = DontEnum | DontDelete | ReadOnly;
    math->define("E", Value(M_E), fixed);
    math->define("LN10", Value(M_LN10), fixed);
    math->define("LN2", Value(M_LN2), fixed);
    math->define("LOG10E", Value(M_LOG10E), fixed);
    math->define("LOG2E", Value(M_LOG2E), fixed);
    math->define("PI", Value(M_PI), fixed);
    math->define("SQRT1_2", Value(M_SQRT1_2), fixed);
    math->define("SQRT2", Value(M_SQRT2), fixed);
}

} // namespace quillon::engine::avm1
