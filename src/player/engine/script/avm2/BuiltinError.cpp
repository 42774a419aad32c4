// The Error family, the global functions and trace.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Builtins.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
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

Value ErrorInit(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* o = self.asObject();
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
Value StackTrace(Vm&, const Value&, std::span<const Value>) {
    return Value::null();
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

std::string_view TrimStart(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || (s.front() >= '\t' && s.front() <= '\r'))) {
        s.remove_prefix(1);
    }
    return s;
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
    const std::string text = ToString(vm, Arg(args, 0));
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
Value ParseFloat(Vm& vm, const Value&, std::span<const Value> args) {
    const std::string text = ToString(vm, Arg(args, 0));
    std::string_view s = TrimStart(text);
    const double sign = Sign(s);
    if (s.substr(0, 8) == "Infinity") {
        return Value::number(sign * std::numeric_limits<double>::infinity());
    }
    double value = 0;
    if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s[0])) || s[0] == '.') ||
        std::from_chars(s.data(), s.data() + s.size(), value).ec != std::errc()) {
        return Value::number(std::numeric_limits<double>::quiet_NaN());
    }
    return NumberValue(sign * value);
}

} // namespace

void InstallErrorClasses(Vm& vm) {
    ClassObject* error = NativeClass(vm, "Error", vm.core.object)
                             .slot("message", Value::string(""))
                             .slot("name", Value::string("Error"))
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
    InstallProxy(vm);
    InstallDateClass(vm);
    InstallRegExpClass(vm);
    InstallJsonClass(vm);
    InstallGlobalFunctions(vm);
    InstallUriFunctions(vm);
}

} // namespace quillon::avm2
