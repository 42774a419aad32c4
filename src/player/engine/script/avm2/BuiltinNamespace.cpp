// Namespace: a URI with an optional prefix, as E4X and namespace constants use it, and
// isXMLName, which decides which prefixes a namespace may carry.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/QName.h"
#include "player/engine/script/avm2/Text.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
namespace {

bool NameStart(char16_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}
bool NameChar(char16_t c) {
    return NameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 0xB7;
}

const NamespaceObject* AsNamespace(const Value& v) {
    return v.isObject() && v.asObject()->kind == ObjectKind::Namespace
               ? static_cast<const NamespaceObject*>(v.asObject())
               : nullptr;
}

// The URI a value names: a namespace's or a QName's own, else its string.
std::string UriOf(Vm& vm, const Value& v) {
    if (const NamespaceObject* ns = AsNamespace(v)) {
        return ns->uri;
    }
    if (const QNameObject* q = AsQName(v)) {
        return q->uri;
    }
    return ToString(vm, v);
}

NamespaceObject& Self(Vm& vm, const Value& self) {
    const NamespaceObject* ns = AsNamespace(self);
    if (!ns) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) +
                          " to Namespace.");
    }
    return *const_cast<NamespaceObject*>(ns);
}

Value Make(Vm& vm, std::span<const Value> args) {
    const std::string empty;
    if (args.empty()) {
        return MakeNamespace(vm, empty, &empty);
    }
    if (args.size() == 1) {
        if (const NamespaceObject* ns = AsNamespace(args[0])) {
            return MakeNamespace(vm, ns->uri, ns->hasPrefix ? &ns->prefix : nullptr);
        }
        const std::string uri = UriOf(vm, args[0]);
        // Only the empty namespace is known to have the empty prefix.
        return MakeNamespace(vm, uri, uri.empty() && !AsQName(args[0]) ? &empty : nullptr);
    }
    const std::string uri = UriOf(vm, args[1]);
    const Value& prefixValue = args[0];
    const std::string prefix = ToString(vm, prefixValue);
    if (uri.empty()) {
        if (prefixValue.isNullish() || !prefix.empty()) {
            vm.throwError(ErrorKind::TypeError, 1098,
                          "Illegal prefix " + prefix + " for no namespace.");
        }
        return MakeNamespace(vm, uri, &prefix);
    }
    const bool kept = !prefixValue.isNullish() && (prefix.empty() || IsXmlName(prefix));
    return MakeNamespace(vm, uri, kept ? &prefix : nullptr);
}

Value Construct(Vm& vm, const Value&, std::span<const Value> args) {
    return Make(vm, args);
}
Value Call(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.size() == 1 && AsNamespace(args[0])) {
        return args[0];
    }
    return Make(vm, args);
}

// The prototype reads as the empty namespace.
Value Uri(Vm&, const Value& self, std::span<const Value>) {
    const NamespaceObject* ns = AsNamespace(self);
    return Value::string(ns ? ns->uri : std::string());
}
Value Prefix(Vm& vm, const Value& self, std::span<const Value>) {
    const NamespaceObject& ns = Self(vm, self);
    return ns.hasPrefix ? Value::string(ns.prefix) : Value();
}

Value IsXmlNameFunction(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty()) {
        return Value::boolean(false);
    }
    return Value::boolean(IsXmlName(ToString(vm, args[0])));
}

} // namespace

bool IsXmlName(std::string_view text) {
    const std::u16string units = ToUtf16(text);
    if (units.empty() || !NameStart(units[0])) {
        return false;
    }
    for (const char16_t c : units) {
        if (!NameChar(c)) {
            return false;
        }
    }
    return true;
}

Value MakeNamespace(Vm& vm, const std::string& uri, const std::string* prefix) {
    auto* ns = vm.make<NamespaceObject>();
    ns->uri = uri;
    ns->ns = vm.internNs(NsKind::Namespace, uri);
    ns->hasPrefix = prefix != nullptr;
    ns->prefix = prefix ? *prefix : std::string();
    ns->cls = vm.core.ns;
    ns->traits = vm.core.ns->instanceTraits.get();
    ns->proto = vm.core.ns->prototype;
    return Value::object(ns);
}

void InstallNamespaceClass(Vm& vm) {
    vm.core.ns = NativeClass(vm, "Namespace", vm.core.object)
                     .getters({{"uri", Uri}, {"prefix", Prefix}})
                     .methods({{"toString", Uri}, {"valueOf", Uri}})
                     .construct(Construct)
                     .call(Call)
                     .get();
    DefineGlobalFunction(vm, "isXMLName", IsXmlNameFunction);
}

} // namespace quillon::avm2
