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
    return BoxOrConvert(c, "Number", Value(n));
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
    if (c.args.empty() && !c.construct) {
        return Value(); // Boolean() converts nothing
    }
    const bool b = !c.args.empty() && vm.toBool(c.arg(0));
    return BoxOrConvert(c, "Boolean", Value(b));
}

Value BooleanToString(Vm& vm, CallInfo& c) {
    return Value(vm.toStr(Primitive(c)));
}

double Arg(Vm& vm, CallInfo& c, std::size_t i) {
    return i < c.args.size() ? vm.toNumber(c.args[i]) : std::numeric_limits<double>::quiet_NaN();
}

using UnaryFn = double (*)(double);
// Math's one-argument functions, in the order InstallMathBuiltins names them.
constexpr UnaryFn MathUnaryFunctions[] = {
    [](double x) { return std::fabs(x); }, [](double x) { return std::acos(x); },
    [](double x) { return std::asin(x); }, [](double x) { return std::atan(x); },
    [](double x) { return std::ceil(x); }, [](double x) { return std::cos(x); },
    [](double x) { return std::exp(x); },  [](double x) { return std::floor(x); },
    [](double x) { return std::log(x); },  [](double x) { return std::floor(x + 0.5); },
    [](double x) { return std::sin(x); },  [](double x) { return std::sqrt(x); },
    [](double x) { return std::tan(x); }};
constexpr const char* MathUnaryNames[] = {"abs",   "acos", "asin",  "atan", "ceil", "cos", "exp",
                                          "floor", "log",  "round", "sin",  "sqrt", "tan"};

// Math's functions convert their first two arguments, whether they use the second or not.
Value MathUnary(Vm& vm, CallInfo& c) {
    const double x = Arg(vm, c, 0);
    (void)Arg(vm, c, 1);
    return Value(MathUnaryFunctions[c.callee->magic](x));
}

Value MathBinary(Vm& vm, CallInfo& c) {
    const double x = Arg(vm, c, 0), y = Arg(vm, c, 1);
    switch (c.callee->magic) {
    case 0:
        return Value(std::atan2(x, y));
    case 1:
        return Value(std::pow(x, y));
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
    const double x = Arg(vm, c, 0), y = Arg(vm, c, 1);
    if (std::isnan(x) || std::isnan(y)) {
        return Value(std::numeric_limits<double>::quiet_NaN());
    }
    return Value(max ? std::max(x, y) : std::min(x, y));
}

Value MathRandom(Vm& vm, CallInfo& c) {
    (void)Arg(vm, c, 0);
    (void)Arg(vm, c, 1);
    return Value(std::uniform_real_distribution<double>(0.0, 1.0)(vm.random));
}

} // namespace

void InstallNumberBuiltins(Vm& vm) {
    vm.numberProto = vm.newObject();
    Object* number = vm.newClass(vm.global, "Number", NumberCtor, vm.numberProto);
    vm.methods(vm.numberProto, {{"toString", NumberToStringMethod}, {"valueOf", PrimitiveValue}});
    DefineConstants(number, {{"MAX_VALUE", std::numeric_limits<double>::max()},
                             {"MIN_VALUE", std::numeric_limits<double>::denorm_min()},
                             {"NaN", std::numeric_limits<double>::quiet_NaN()},
                             {"NEGATIVE_INFINITY", -std::numeric_limits<double>::infinity()},
                             {"POSITIVE_INFINITY", std::numeric_limits<double>::infinity()}});

    vm.booleanProto = vm.newObject();
    vm.newClass(vm.global, "Boolean", BooleanCtor, vm.booleanProto);
    vm.methods(vm.booleanProto, {{"toString", BooleanToString}, {"valueOf", PrimitiveValue}});
}

void InstallMathBuiltins(Vm& vm) {
    Object* math = vm.newObject();
    vm.global->define("Math", Value(math), DontEnum);
    for (int i = 0; i < static_cast<int>(std::size(MathUnaryNames)); ++i) {
        vm.method(math, MathUnaryNames[i], MathUnary, i);
    }
    // clang-format off
    vm.methods(math, {
        {"atan2", MathBinary, 0}, {"pow", MathBinary, 1}, {"min", MathMinMax, 0},
        {"max", MathMinMax, 1}, {"random", MathRandom}});
    // clang-format on
    DefineConstants(math, {{"E", M_E},
                           {"LN10", M_LN10},
                           {"LN2", M_LN2},
                           {"LOG10E", M_LOG10E},
                           {"LOG2E", M_LOG2E},
                           {"PI", M_PI},
                           {"SQRT1_2", M_SQRT1_2},
                           {"SQRT2", M_SQRT2}});
}

} // namespace quillon::engine::avm1
