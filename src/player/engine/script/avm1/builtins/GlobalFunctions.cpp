// The global functions: numbers from text, escape, timers, intervals, AsBroadcaster.

#include "player/engine/script/avm1/builtins/Helpers.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace quillon::engine::avm1 {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A digit's value in any radix up to 36; 99 for a character that is no digit.
int DigitOf(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 128 && std::isdigit(u)) {
        return c - '0';
    }
    return u < 128 && std::isalpha(u) ? std::tolower(u) - 'a' + 10 : 99;
}

Value ParseInt(Vm& vm, CallInfo& c) {
    const std::string text = vm.toString(c.arg(0));
    int radix = IntArg(vm, c, 1, 0);
    std::size_t i = text.find_first_not_of(" \t\n\r\f\v");
    if (i == std::string::npos) {
        return Value(NaN);
    }
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    if ((radix == 0 || radix == 16) && i + 1 < text.size() && text[i] == '0' &&
        (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        radix = 16;
        i += 2;
    } else if (radix == 0 && vm.version() >= 6 && i + 1 < text.size() && text[i] == '0') {
        radix = 8; // a leading zero reads as octal from version 6 on
    }
    if (radix == 0) {
        radix = 10;
    }
    if (radix < 2 || radix > 36) {
        return Value(NaN);
    }
    double value = 0;
    bool any = false;
    for (; i < text.size() && DigitOf(text[i]) < radix; ++i) {
        value = value * radix + DigitOf(text[i]);
        any = true;
    }
    return Value(any ? (negative ? -value : value) : NaN);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An exponent after "e" as the player reads it: sign and digits kept in 32 bits; no
// digits leave the number as it was.
double ReadExponent(const std::string& text, std::size_t i) {
    const bool negative = i < text.size() && text[i] == '-';
    i += i < text.size() && (text[i] == '-' || text[i] == '+') ? 1 : 0;
    std::uint32_t exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        exponent = exponent * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    const double e = static_cast<double>(static_cast<std::int32_t>(exponent));
    return negative ? -e : e;
}

// Digits are summed one by one (the fraction by falling powers of ten, as the player
// does, with its rounding); a second point is skipped, and after one no exponent counts.
Value ParseFloat(Vm& vm, CallInfo& c) {
    if (c.args.empty()) {
        return Value();
    }
    const std::string text = vm.toString(c.arg(0));
    std::size_t i = text.find_first_not_of(" \t\n\r\f\v");
    if (i == std::string::npos) {
        return Value(NaN);
    }
    const bool negative = text[i] == '-';
    i += text[i] == '-' || text[i] == '+' ? 1 : 0;
    double value = 0, scale = 1;
    int dots = 0;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (IsDigit(ch)) {
            digits = true;
            if (dots == 0) {
                value = value * 10 + (ch - '0');
            } else {
                scale /= 10;
                value += (ch - '0') * scale;
            }
        } else if (ch == '.') {
            ++dots;
        } else {
            if ((ch == 'e' || ch == 'E') && digits && dots < 2) {
                value *= std::pow(10.0, ReadExponent(text, i + 1));
            }
            break;
        }
    }
    if (!digits) {
        return Value(NaN);
    }
    return Value(negative ? -value : value);
}

// No argument at all is NaN in every version (undefined is 0 up to version 6).
double NumberArg(Vm& vm, CallInfo& c) {
    return c.args.empty() ? NaN : vm.toNumber(c.arg(0));
}

Value IsNaN(Vm& vm, CallInfo& c) {
    return Value(std::isnan(NumberArg(vm, c)));
}

Value IsFinite(Vm& vm, CallInfo& c) {
    return Value(std::isfinite(NumberArg(vm, c)));
}

Value Escape(Vm& vm, CallInfo& c) {
    return vm.makeString(EscapeText(vm.toString(c.arg(0))));
}

Value Unescape(Vm& vm, CallInfo& c) {
    return vm.makeString(UnescapeText(vm.toString(c.arg(0))));
}

Value GetTimer(Vm& vm, CallInfo&) {
    return Value(std::floor(vm.timerMs));
}

Value SetInterval(Vm& vm, CallInfo& c) {
    const bool once = c.callee->magic == 1;
    const Value first = c.arg(0);
    const bool method = first.isObject() && !first.o->isFunction();
    if (!once && c.arg(method ? 2 : 1).isUndefined()) {
        return Value(); // an interval needs its period
    }
    if (first.isObject() && first.o->isFunction()) {
        std::vector<Value> args(c.args.begin() + std::min<std::size_t>(2, c.args.size()),
                                c.args.end());
        return Value(
            vm.addInterval(first, Value(), "", std::move(args), vm.toNumber(c.arg(1)), once));
    }
    if (first.isObject() && c.args.size() >= 3) {
        std::vector<Value> args(c.args.begin() + 3, c.args.end());
        return Value(vm.addInterval(first, Value(), vm.toString(c.arg(1)), std::move(args),
                                    vm.toNumber(c.arg(2)), once));
    }
    return Value();
}

Value ClearInterval(Vm& vm, CallInfo& c) {
    vm.clearInterval(IntArg(vm, c, 0, 0));
    return Value();
}

Value Nothing(Vm&, CallInfo&) {
    return Value();
}

// The listener a value names: itself, where undefined and null name each other.
bool SameListener(Vm& vm, const Value& a, const Value& b) {
    return vm.strictEquals(a, b) || (a.isNullish() && b.isNullish());
}

// Takes the first listener the value names off the list; whether there was one.
bool TakeListener(Vm& vm, const Value& list, const Value& listener) {
    if (!list.isObject() || list.o->kind != Kind::Array) {
        return false;
    }
    list.o->syncStamps();
    auto& e = list.o->elements;
    for (auto it = e.begin(); it != e.end(); ++it) {
        if (SameListener(vm, *it, listener)) {
            list.o->elementStamps.erase(list.o->elementStamps.begin() + (it - e.begin()));
            e.erase(it);
            return true;
        }
    }
    return false;
}

// A listener added again moves to the end of the list.
Value AddListener(Vm& vm, CallInfo& c) {
    const Value list = vm.get(c.thisValue, "_listeners");
    if (list.isObject() && list.o->kind == Kind::Array) {
        TakeListener(vm, list, c.arg(0));
        list.o->setElement(list.o->elements.size(), c.arg(0));
    }
    return Value(true);
}

Value RemoveListener(Vm& vm, CallInfo& c) {
    return Value(TakeListener(vm, vm.get(c.thisValue, "_listeners"), c.arg(0)));
}

Value BroadcastMessage(Vm& vm, CallInfo& c) {
    const Value list = vm.get(c.thisValue, "_listeners");
    if (!list.isObject() || list.o->kind != Kind::Array || c.args.empty()) {
        return Value();
    }
    const std::string name = vm.toString(c.arg(0));
    const std::vector<Value> listeners = list.o->elements;
    const std::span<const Value> rest = c.args.subspan(1);
    for (const Value& l : listeners) {
        // an empty name calls each listener itself, as a method call of no name does
        if (name.empty()) {
            vm.call(l, Value(), rest);
        } else {
            vm.callMethod(l, name, rest);
        }
    }
    return Value(!listeners.empty());
}

Value BroadcasterInitialize(Vm& vm, CallInfo& c) {
    const Value target = c.arg(0);
    if (!target.isObject()) {
        return Value();
    }
    Object* self = ThisObject(c);
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        target.o->define(name, self ? vm.getOf(self, name, c.thisValue) : Value(), DontEnum);
    }
    target.o->define("_listeners", Value(vm.newArray()), DontEnum);
    return Value();
}

} // namespace

std::string EscapeText(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : text) {
        if (ch < 128 && std::isalnum(ch)) { // every other character is escaped
            out += static_cast<char>(ch);
        } else {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 15];
        }
    }
    return out;
}

std::string UnescapeText(const std::string& text) {
    std::string out;
    const auto hex = [&text](std::size_t i) { return i < text.size() && DigitOf(text[i]) < 16; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            // "%" takes the next character, and one more after a hex digit; a pair that is
            // no byte is dropped with it
            if (hex(i + 1) && hex(i + 2)) {
                out += static_cast<char>(DigitOf(text[i + 1]) * 16 + DigitOf(text[i + 2]));
            }
            i += hex(i + 1) ? 2 : 1;
        } else if (text[i] == '+') {
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

void InstallGlobalFunctions(Vm& vm) {
    Object* g = vm.global;
    // clang-format off
    vm.methods(g, {
        {"parseInt", ParseInt}, {"parseFloat", ParseFloat}, {"isNaN", IsNaN},
        {"isFinite", IsFinite}, {"escape", Escape}, {"unescape", Unescape},
        {"getTimer", GetTimer}, {"setInterval", SetInterval, 0}, {"setTimeout", SetInterval, 1},
        {"clearInterval", ClearInterval}, {"clearTimeout", ClearInterval},
        {"updateAfterEvent", Nothing}});
    // clang-format on
    g->define("NaN", Value(NaN), DontEnum);
    g->define("Infinity", Value(std::numeric_limits<double>::infinity()), DontEnum);
    Object* broadcaster = vm.newClass(g, "AsBroadcaster", Nothing, nullptr);
    // clang-format off
    vm.methods(broadcaster, {
        {"initialize", BroadcasterInitialize}, {"addListener", AddListener},
        {"removeListener", RemoveListener}, {"broadcastMessage", BroadcastMessage}});
    // clang-format on
}

} // namespace quillon::engine::avm1
