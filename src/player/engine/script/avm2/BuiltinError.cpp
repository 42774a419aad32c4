// The Error family, the global functions and trace.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Builtins.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Code.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Interpreter.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/NumberFormat.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace quillon::avm2 {
namespace {

constexpr const char* kErrorNames[] = {
    "Error",     "TypeError",     "RangeError",  "ReferenceError", "ArgumentError",  "VerifyError",
    "EvalError", "SecurityError", "SyntaxError", "URIError",       "DefinitionError"};

// An error remembers the script methods that were running when it was made.
class ErrorObject : public Object {
public:
    std::vector<const MethodInfo*> stack; // innermost first
};

Object* AllocateError(Vm& vm) {
    return vm.make<ErrorObject>();
}

Value ErrorInit(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* o = self.asObject();
    if (auto* error = dynamic_cast<ErrorObject*>(o)) {
        for (const Frame* f = vm.runningFrame; f; f = f->caller) {
            error->stack.push_back(&f->method);
        }
    }
    // An instance is named after the nearest top-level error class: script subclasses
    // and the flash.errors classes keep that name, while each class's prototype
    // carries its own.
    std::string name = "Error";
    for (const ClassObject* c = o->cls; c; c = c->base) {
        if (c->init.native == ErrorInit && LocalClassName(c->name) == c->name) {
            name = c->name;
            break;
        }
    }
    SetPublic(vm, self, "message",
              Arg(args, 0).isUndefined() ? Value::string("") : ToStringValue(vm, args[0]));
    SetPublic(vm, self, "name", Value::string(name));
    o->primitive = Value::integer(ToInt32(vm, Arg(args, 1)));
    return Value();
}
// Calling an error class as a function makes a new error, as new would.
Value ErrorCall(Vm& vm, const Value& self, std::span<const Value> args) {
    return ConstructClass(vm, static_cast<ClassObject*>(self.asObject()), args);
}
Value ErrorId(Vm&, const Value& self, std::span<const Value>) {
    return self.asObject()->primitive.isInt() ? self.asObject()->primitive : Value::integer(0);
}
Value ErrorToString(Vm& vm, const Value& self, std::span<const Value>) {
    const std::string message = ToString(vm, GetPublic(vm, self, "message"));
    const std::string name = ToString(vm, GetPublic(vm, self, "name"));
    return Value::string(message.empty() ? name : name + ": " + message);
}
// DRM errors carry a third number and print all three.
Value DrmErrorInit(Vm& vm, const Value& self, std::span<const Value> args) {
    ErrorInit(vm, self, args.subspan(0, std::min<std::size_t>(args.size(), 2)));
    SetPublic(vm, self, "subErrorID", Value::integer(ToInt32(vm, Arg(args, 2))));
    return Value();
}
Value DrmErrorToString(Vm& vm, const Value& self, std::span<const Value>) {
    const auto field = [&](const char* name) { return ToString(vm, GetPublic(vm, self, name)); };
    return Value::string("DRMManagerError: '" + field("message") + "', error ID:'" +
                         ToString(vm, ErrorId(vm, self, {})) + "', subErrorID:'" +
                         field("subErrorID") + "'");
}
// What the error prints, then a line for each method that was running, innermost first.
Value StackTrace(Vm& vm, const Value& self, std::span<const Value>) {
    const auto* error =
        self.isObject() ? dynamic_cast<const ErrorObject*>(self.asObject()) : nullptr;
    if (!error) {
        return Value::null();
    }
    // A toString put on a prototype (Error.prototype.toString = ...) is the one used.
    const std::uint32_t toString = vm.intern("toString");
    Value printer;
    const Object* last = vm.core.object->prototype;
    for (const Object* o = self.asObject()->proto; o && o != last && printer.isUndefined();
         o = o->proto) {
        if (const Value* found = o->dyn ? o->dyn->find(toString) : nullptr) {
            printer = *found;
        }
    }
    std::string text = ToString(
        vm, printer.isUndefined() ? CallProperty(vm, self, PublicName(vm, "toString"), {}, false)
                                  : CallValue(vm, printer, self, {}));
    for (const MethodInfo* m : error->stack) {
        text += "\n\tat " +
                (m->traceName.empty() ? "MethodInfo-" + std::to_string(m->index) : m->traceName) +
                "()";
    }
    return Value::string(text);
}

Value Trace(Vm& vm, const Value&, std::span<const Value> args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        line += (i ? " " : "") + ToString(vm, args[i]);
    }
    std::replace(line.begin(), line.end(), '\r', '\n'); // the log ends lines at CR too
    vm.trace(line);
    return Value();
}
Value IsNaN(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::boolean(std::isnan(ToNumber(vm, Arg(args, 0))));
}
Value IsFinite(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::boolean(std::isfinite(ToNumber(vm, Arg(args, 0))));
}

// Leading blanks: ASCII space and controls, and the Unicode spaces (U+00A0, U+1680,
// U+2000 to U+200B, U+2028, U+2029, U+202F, U+205F, U+3000, U+FEFF) in their UTF-8 form.
std::size_t UnicodeSpaceLength(std::string_view s) {
    const auto at = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (s.size() >= 2 && at(0) == 0xC2 && at(1) == 0xA0) {
        return 2;
    }
    if (s.size() < 3) {
        return 0;
    }
    const unsigned c = at(0) << 16 | at(1) << 8 | at(2);
    const bool space = c == 0xE19A80 || (c >= 0xE28080 && c <= 0xE2808B) || c == 0xE280A8 ||
                       c == 0xE280A9 || c == 0xE280AF || c == 0xE2819F || c == 0xE38080 ||
                       c == 0xEFBBBF;
    return space ? 3 : 0;
}
std::string_view TrimStart(std::string_view s) {
    while (!s.empty()) {
        if (s.front() == ' ' || (s.front() >= '\t' && s.front() <= '\r')) {
            s.remove_prefix(1);
        } else if (const std::size_t n = UnicodeSpaceLength(s)) {
            s.remove_prefix(n);
        } else {
            break;
        }
    }
    return s;
}
// The parse functions take a String: undefined given as an argument reads "null".
std::string TextArgument(Vm& vm, std::span<const Value> args) {
    return !args.empty() && args[0].isUndefined() ? "null" : ToString(vm, Arg(args, 0));
}
double Sign(std::string_view& s) {
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        const double sign = s.front() == '-' ? -1 : 1;
        s.remove_prefix(1);
        return sign;
    }
    return 1;
}
Value ParseInt(Vm& vm, const Value&, std::span<const Value> args) {
    const std::string text = TextArgument(vm, args);
    std::string_view s = TrimStart(text);
    const double sign = Sign(s);
    int radix = ToInt32(vm, Arg(args, 1));
    if ((radix == 0 || radix == 16) && s.size() > 1 && s[0] == '0' && (s[1] | 0x20) == 'x') {
        s.remove_prefix(2);
        radix = 16;
    }
    radix = radix == 0 ? 10 : radix;
    if (radix < 2 || radix > 36) {
        return Value::number(std::numeric_limits<double>::quiet_NaN());
    }
    double value = 0;
    std::size_t used = 0;
    for (char c : s) {
        const int lower = c | 0x20;
        const int digit = c >= '0' && c <= '9'           ? c - '0'
                          : lower >= 'a' && lower <= 'z' ? lower - 'a' + 10
                                                         : 99;
        if (digit >= radix) {
            break;
        }
        value = value * radix + digit;
        ++used;
    }
    return used ? NumberValue(sign * value)
                : Value::number(std::numeric_limits<double>::quiet_NaN());
}
// The longest number at the start: digits with at most one point, then an exponent. An
// "e" at the very end is left off, but an exponent sign with no digit spoils the number.
// The exponent is summed in 32 bits and wraps as the player's does.
Value ParseFloat(Vm& vm, const Value&, std::span<const Value> args) {
    const std::string text = TextArgument(vm, args);
    std::string_view s = TrimStart(text);
    const double sign = Sign(s);
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    if (s.substr(0, 8) == "Infinity") {
        return Value::number(sign * std::numeric_limits<double>::infinity());
    }
    const auto digit = [&s](std::size_t i) {
        return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]));
    };
    std::size_t end = 0;
    bool digits = false, point = false;
    for (; end < s.size(); ++end) {
        if (digit(end)) {
            digits = true;
        } else if (s[end] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) {
        return Value::number(NaN);
    }
    std::int32_t exponent = 0;
    if (end + 1 < s.size() && (s[end] | 0x20) == 'e') {
        std::size_t i = end + 1;
        const bool negative = s[i] == '-';
        i += s[i] == '-' || s[i] == '+';
        if (!digit(i)) {
            return Value::number(NaN);
        }
        std::uint32_t sum = 0;
        for (; digit(i); ++i) {
            sum = sum * 10 + static_cast<std::uint32_t>(s[i] - '0');
        }
        exponent = static_cast<std::int32_t>(negative ? 0u - sum : sum);
    }
    const std::string number = std::string(s.substr(0, end)) + "e" + std::to_string(exponent);
    double value = 0;
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec ==
        std::errc::result_out_of_range) {
        value = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return NumberValue(sign * value);
}

} // namespace

void InstallErrorClasses(Vm& vm) {
    ClassObject* error = NativeClass(vm, "Error", vm.core.object)
                             .slot("message", Value::string(""))
                             .slot("name", Value::string("Error"))
                             .alloc(AllocateError)
                             .getter("errorID", ErrorId)
                             .method("toString", ErrorToString)
                             .method("getStackTrace", StackTrace)
                             .init(ErrorInit)
                             .call(ErrorCall)
                             .get();
    const auto subclass = [&vm](const char* name, ClassObject* base, const char* package = "") {
        ClassObject* cls =
            NativeClass(vm, name, base, package).init(ErrorInit).call(ErrorCall).get();
        SetPublic(vm, Value::object(cls->prototype), "name", Value::string(name));
        return cls;
    };
    SetPublic(vm, Value::object(error->prototype), "name", Value::string("Error"));
    vm.core.errors[0] = error;
    const int io = static_cast<int>(ErrorKind::IOError);
    for (int i = 1; i < io; ++i) {
        vm.core.errors[i] = subclass(kErrorNames[i], error);
    }
    vm.core.errors[io] = subclass("IOError", error, "flash.errors");
    vm.core.errors[io + 1] = subclass("EOFError", vm.core.errors[io], "flash.errors");
    subclass("UninitializedError", error);
    for (const char* name : {"IllegalOperationError", "MemoryError", "InvalidSWFError",
                             "ScriptTimeoutError", "StackOverflowError"}) {
        subclass(name, error, "flash.errors");
    }
    NativeClass(vm, "DRMManagerError", error, "flash.errors")
        .slot("subErrorID", Value::integer(0))
        .method("toString", DrmErrorToString)
        .init(DrmErrorInit)
        .call(ErrorCall);
}

void InstallGlobalFunctions(Vm& vm) {
    DefineGlobalFunction(vm, "trace", Trace);
    DefineGlobalFunction(vm, "isNaN", IsNaN);
    DefineGlobalFunction(vm, "isFinite", IsFinite);
    DefineGlobalFunction(vm, "parseInt", ParseInt);
    DefineGlobalFunction(vm, "parseFloat", ParseFloat);
    DefineGlobal(vm, "NaN", Value::number(std::numeric_limits<double>::quiet_NaN()));
    DefineGlobal(vm, "Infinity", Value::number(std::numeric_limits<double>::infinity()));
    DefineGlobal(vm, "undefined", Value());
}

void HideNewerDefinitions(Vm& vm, int swfVersion) {
    if (swfVersion < 13) {
        vm.builtinTraits.bindings.erase(PropKey(kPublicNs, vm.intern("JSON")));
    }
    if (swfVersion <= 15) {
        HideNumberMathStatics(vm);
    }
}

void InstallBuiltins(Vm& vm) {
    InstallObjectClasses(vm);
    InstallBooleanClass(vm);
    InstallNamespaceClass(vm);
    InstallNumberClasses(vm);
    InstallMath(vm);
    InstallStringClass(vm);
    InstallArrayClass(vm);
    InstallErrorClasses(vm);
    InstallByteArray(vm);
    InstallDictionary(vm);
    InstallVectorClasses(vm);
    InstallXmlClasses(vm);
    InstallXmlDocumentClasses(vm);
    InstallProxy(vm);
    InstallDateClass(vm);
    InstallRegExpClass(vm);
    InstallJsonClass(vm);
    InstallGlobalFunctions(vm);
    InstallUriFunctions(vm);
}

} // namespace quillon::avm2
