// QName(), QName(name), QName(namespace, name) and its uri, localName and printing.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/QName.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlState.h"

namespace quillon::avm2 {
namespace {

Object* AllocateQName(Vm& vm) {
    return vm.make<QNameObject>();
}

QNameObject& Self(Vm& vm, const Value& self) {
    const QNameObject* q = AsQName(self);
    if (!q) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) + " to QName.");
    }
    return *const_cast<QNameObject*>(q);
}

void SetLocal(Vm& vm, QNameObject& q, const Value& name) {
    if (const QNameObject* other = AsQName(name)) {
        q.local = other->local;
        q.anyLocal = other->anyLocal;
        return;
    }
    q.local = name.isUndefined() ? std::string() : ToString(vm, name);
    q.anyLocal = q.local == "*";
}

void SetNamespace(Vm& vm, QNameObject& q, const Value& ns) {
    q.anyUri = ns.isNull();
    if (ns.isNullish()) {
        q.uri.clear();
    } else if (ns.isObject() && ns.asObject()->kind == ObjectKind::Namespace) {
        q.uri = static_cast<NamespaceObject*>(ns.asObject())->uri;
    } else if (const QNameObject* other = AsQName(ns)) {
        q.uri = other->uri;
        q.anyUri = other->anyUri;
    } else {
        q.uri = ToString(vm, ns);
    }
}

// E4X 13.3.2: one argument is the name (a QName is copied, "*" means any namespace);
// two are the namespace and the name.
Value QNameInit(Vm& vm, const Value& self, std::span<const Value> args) {
    QNameObject& q = Self(vm, self);
    if (args.size() < 2) {
        const Value& name = Arg(args, 0);
        if (const QNameObject* other = AsQName(name)) {
            q.uri = other->uri;
            q.anyUri = other->anyUri;
        }
        SetLocal(vm, q, name);
        q.anyUri = q.anyUri || (!AsQName(name) && q.anyLocal);
        return Value();
    }
    SetLocal(vm, q, args[1]);
    SetNamespace(vm, q, args[0]);
    return Value();
}

Value QNameCall(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.size() == 1 && AsQName(args[0])) {
        return args[0];
    }
    return ConstructClass(vm, XmlStateOf(vm).qname, args);
}

Value QNameUri(Vm& vm, const Value& self, std::span<const Value>) {
    const QNameObject& q = Self(vm, self);
    return q.anyUri ? Value::null() : Value::string(q.uri);
}
Value QNameLocal(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Self(vm, self).local);
}
Value QNameToString(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(QNameText(Self(vm, self)));
}

} // namespace

const QNameObject* AsQName(const Value& value) {
    return value.isObject() ? dynamic_cast<const QNameObject*>(value.asObject()) : nullptr;
}

PropName QNamePropName(Vm& vm, const QNameObject& qname) {
    PropName name;
    name.atom = qname.anyLocal ? kAnyAtom : vm.intern(qname.local);
    name.single = qname.anyUri ? kAnyNs : vm.internNs(NsKind::Namespace, qname.uri);
    name.hasPublic = name.single == kPublicNs;
    return name;
}

std::string QNameText(const QNameObject& qname) {
    if (qname.anyUri) {
        return "*::" + qname.local;
    }
    return qname.uri.empty() ? qname.local : qname.uri + "::" + qname.local;
}

void InstallQName(Vm& vm) {
    XmlStateOf(vm).qname = NativeClass(vm, "QName", vm.core.object)
                               .alloc(AllocateQName)
                               .init(QNameInit)
                               .call(QNameCall)
                               .getters({{"uri", QNameUri}, {"localName", QNameLocal}})
                               .methods({{"toString", QNameToString}})
                               .sealed()
                               .get();
}

} // namespace quillon::avm2
