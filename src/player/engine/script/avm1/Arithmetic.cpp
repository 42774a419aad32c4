// Numbers, comparisons and bits.

#include "player/engine/script/avm1/Frame.h"

#include <cmath>
#include <limits>
#include <utility>

namespace quillon::engine::avm1 {

namespace {

Value Truth(Vm& vm, bool value) {
    // version 4 movies push 1 and 0
    return vm.versionFourRules() ? Value(value ? 1.0 : 0.0) : Value(value);
}

enum class Order { LeftFirst, RightFirst };

// Pops b, then a, and converts them to numbers in the order the player converts them for
// the action: add, multiply and less the left first, the others as popped.
std::pair<double, double> PopNumbers(Vm& vm, Order order) {
    const Value bv = vm.pop();
    const Value av = vm.pop();
    if (order == Order::LeftFirst) {
        const double a = vm.toNumber(av);
        return {a, vm.toNumber(bv)};
    }
    const double b = vm.toNumber(bv);
    return {vm.toNumber(av), b};
}

void Binary(Vm& vm, double (*op)(double, double), Order order) {
    const auto [a, b] = PopNumbers(vm, order);
    vm.push(op(a, b));
}

void Bits(Vm& vm, std::uint8_t op) {
    const Value bv = vm.pop();
    const Value av = vm.pop();
    const std::int32_t a = ToInt32(vm.toNumber(av));
    const std::int32_t b = ToInt32(vm.toNumber(bv));
    const auto ua = static_cast<std::uint32_t>(a);
    const unsigned shift = static_cast<unsigned>(b) & 31;
    switch (op) {
    case 0x60:
        vm.push(static_cast<double>(a & b));
        break;
    case 0x61:
        vm.push(static_cast<double>(a | b));
        break;
    case 0x62:
        vm.push(static_cast<double>(a ^ b));
        break;
    case 0x63:
        vm.push(static_cast<double>(static_cast<std::int32_t>(ua << shift)));
        break;
    case 0x64:
        vm.push(static_cast<double>(a >> shift));
        break;
    default:
        vm.push(static_cast<double>(ua >> shift));
        break;
    }
}

// Pops b, then a, and pushes op(a, b).
template <class Op> void OnPair(Vm& vm, Op op) {
    const Value b = vm.pop();
    const Value a = vm.pop();
    vm.push(op(a, b));
}

bool CompareAction(Vm& vm, const Instr& in);

// The version 4 division, comparisons and logic, which answer 1 and 0 there.
bool Swf4Action(Vm& vm, const Instr& in) {
    switch (in.op) {
    case 0x0d: {
        const auto [a, b] = PopNumbers(vm, Order::RightFirst);
        if (b == 0 && vm.versionFourRules()) {
            vm.push("#ERROR#");
        } else {
            vm.push(a / b);
        }
        return true;
    }
    case 0x0e:
    case 0x0f: {
        const auto [a, b] = PopNumbers(vm, in.op == 0x0f ? Order::LeftFirst : Order::RightFirst);
        vm.push(Truth(vm, in.op == 0x0e ? a == b : a < b));
        return true;
    }
    case 0x10:
    case 0x11: {
        const bool b = vm.toBool(vm.pop());
        const bool a = vm.toBool(vm.pop());
        vm.push(Truth(vm, in.op == 0x10 ? (a && b) : (a || b)));
        return true;
    }
    case 0x12:
        vm.push(Truth(vm, !vm.toBool(vm.pop())));
        return true;
    default:
        return CompareAction(vm, in);
    }
}

} // namespace

bool ExecArithmeticAction(Vm& vm, const Instr& in) {
    switch (in.op) {
    case 0x0a:
        Binary(
            vm, [](double a, double b) { return a + b; }, Order::LeftFirst);
        return true;
    case 0x0b:
        Binary(
            vm, [](double a, double b) { return a - b; }, Order::RightFirst);
        return true;
    case 0x0c:
        Binary(
            vm, [](double a, double b) { return a * b; }, Order::LeftFirst);
        return true;
    case 0x3f:
        Binary(
            vm, [](double a, double b) { return std::fmod(a, b); }, Order::RightFirst);
        return true;
    case 0x18: // ToInteger, ToNumber, Increment, Decrement
    case 0x4a:
    case 0x50:
    case 0x51: {
        const double v = vm.toNumber(vm.pop());
        vm.push(in.op == 0x18   ? (std::isnan(v) ? 0.0 : std::trunc(v))
                : in.op == 0x4a ? v
                                : v + (in.op == 0x50 ? 1 : -1));
        return true;
    }
    default:
        return Swf4Action(vm, in);
    }
}

namespace {

bool CompareAction(Vm& vm, const Instr& in) {
    switch (in.op) {
    case 0x47:
        OnPair(vm, [&vm](const Value& a, const Value& b) { return vm.add(a, b); });
        return true;
    case 0x48: // Less2, and Greater with the operands swapped
    case 0x67:
        OnPair(vm, [&vm, &in](const Value& a, const Value& b) {
            const Value r = in.op == 0x48 ? vm.lessThan(a, b) : vm.lessThan(b, a, false);
            return r.isBool() ? Truth(vm, r.b) : r;
        });
        return true;
    case 0x49:
    case 0x66:
        OnPair(vm, [&vm, &in](const Value& a, const Value& b) {
            return Truth(vm, in.op == 0x49 ? vm.looseEquals(a, b) : vm.strictEquals(a, b));
        });
        return true;
    case 0x60:
    case 0x61:
    case 0x62:
    case 0x63:
    case 0x64:
    case 0x65:
        Bits(vm, in.op);
        return true;
    case 0x30: {
        const double max = vm.toNumber(vm.pop());
        // Limits past 2^31 would overflow the conversion; the player takes an int too.
        const auto limit = static_cast<std::int64_t>(ToInt32(max));
        vm.push(limit > 0 ? static_cast<double>(vm.random() % static_cast<std::uint64_t>(limit))
                          : 0.0);
        return true;
    }
    case 0x34:
        vm.push(std::floor(vm.timerMs));
        return true;
    default:
        return false;
    }
}

} // namespace

} // namespace quillon::engine::avm1
