// flash.utils.Proxy: a subclass answers reads, writes, calls, deletion, `in` and
// enumeration of the names its class does not declare, through its flash_proxy methods.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2/XmlState.h"

#include <vector>

namespace quillon::avm2 {
namespace {

constexpr std::string_view kProxyUri = "http://www.adobe.com/2006/actionscript/flash/proxy";

std::uint32_t ProxyNs(Vm& vm) {
    return vm.internNs(NsKind::Namespace, kProxyUri);
}

class ProxyObject : public Object {
public:
    ProxyObject() { exotic = true; }

    bool getOwn(Vm& vm, PropName& name, Value& out) override {
        if (Declared(name)) {
            return false;
        }
        const Value args[1] = {NameArg(vm, name)};
        out = hook(vm, "getProperty", args);
        return true;
    }
    bool setOwn(Vm& vm, PropName& name, const Value& value) override {
        if (Declared(name)) {
            return false;
        }
        const Value args[2] = {NameArg(vm, name), value};
        hook(vm, "setProperty", args);
        return true;
    }
    bool deleteOwn(Vm& vm, PropName& name, bool& deleted) override {
        if (Declared(name)) {
            return false;
        }
        const Value args[1] = {NameArg(vm, name)};
        deleted = ToBoolean(hook(vm, "deleteProperty", args));
        return true;
    }
    // Object's hasOwnProperty finds nothing of its own; Proxy's own method asks the hook.
    bool hasOwn(Vm&, PropName& name, bool& has) override {
        has = false;
        return !Declared(name);
    }
    bool callOwn(Vm& vm, PropName& name, std::span<const Value> args, Value& out) override {
        if (Declared(name)) {
            return false;
        }
        std::vector<Value> all{NameArg(vm, name)};
        all.insert(all.end(), args.begin(), args.end());
        out = hook(vm, "callProperty", all);
        return true;
    }
    bool enumerate(Vm& vm, EnumQuery query, int index, Value& out) override {
        static constexpr const char* kHooks[] = {"nextNameIndex", "nextName", "nextValue"};
        const Value args[1] = {Value::integer(index)};
        out = hook(vm, kHooks[static_cast<int>(query)], args);
        return true;
    }

    Value hook(Vm& vm, const char* method, std::span<const Value> args) {
        const Binding* b = traits ? traits->find(PropKey(ProxyNs(vm), vm.intern(method))) : nullptr;
        if (!b || b->kind != Binding::Kind::Method) {
            NotImplemented(vm, method);
        }
        return InvokeMethod(vm, b->method, Value::object(this), args);
    }

private:
    bool Declared(const PropName& name) const { return FindBinding(traits, name) != nullptr; }

    // The name a hook receives: a QName of the namespace the access used.
    static Value NameArg(Vm& vm, PropName& name) {
        const std::uint32_t ns = name.hasPublic ? kPublicNs : name.ns()[0];
        const Value parts[2] = {Value::string(vm.nsUri(ns)), Value::string(NameText(vm, name))};
        return ConstructClass(vm, XmlStateOf(vm).qname, parts);
    }

public:
    [[noreturn]] static void NotImplemented(Vm& vm, std::string_view method) {
        vm.throwError(ErrorKind::Error, 2088,
                      "The Proxy class does not implement " + std::string(method) +
                          ". It must be overridden by a subclass.");
    }
};

Object* AllocateProxy(Vm& vm) {
    return vm.make<ProxyObject>();
}
Value ProxyInit(Vm&, const Value&, std::span<const Value>) {
    return Value();
}
// hasOwnProperty(name) hands the hook the name as a string.
Value ProxyHasOwn(Vm& vm, const Value& self, std::span<const Value> args) {
    auto* proxy = self.isObject() ? dynamic_cast<ProxyObject*>(self.asObject()) : nullptr;
    if (!proxy) {
        vm.throwError(ErrorKind::TypeError, 1034,
                      "Type Coercion failed: cannot convert " + ClassName(vm, self) +
                          " to flash.utils.Proxy.");
    }
    const Value name[1] = {Value::string(ToString(vm, Arg(args, 0)))};
    return Value::boolean(ToBoolean(proxy->hook(vm, "hasProperty", name)));
}

// What a subclass that leaves a hook out gets.
template <const char* Method> Value Unimplemented(Vm& vm, const Value&, std::span<const Value>) {
    ProxyObject::NotImplemented(vm, Method);
}
constexpr char kGet[] = "getProperty", kSet[] = "setProperty", kDelete[] = "deleteProperty",
               kHas[] = "hasProperty", kCall[] = "callProperty", kNextIndex[] = "nextNameIndex",
               kNextName[] = "nextName", kNextValue[] = "nextValue",
               kDescendants[] = "getDescendants", kIsAttribute[] = "isAttribute";
const std::pair<const char*, NativeFn> kHooks[] = {{kGet, Unimplemented<kGet>},
                                                   {kSet, Unimplemented<kSet>},
                                                   {kDelete, Unimplemented<kDelete>},
                                                   {kHas, Unimplemented<kHas>},
                                                   {kCall, Unimplemented<kCall>},
                                                   {kNextIndex, Unimplemented<kNextIndex>},
                                                   {kNextName, Unimplemented<kNextName>},
                                                   {kNextValue, Unimplemented<kNextValue>},
                                                   {kDescendants, Unimplemented<kDescendants>},
                                                   {kIsAttribute, Unimplemented<kIsAttribute>}};

} // namespace

void InstallProxy(Vm& vm) {
    ClassObject* proxy = NativeClass(vm, "Proxy", vm.core.object, "flash.utils")
                             .alloc(AllocateProxy)
                             .init(ProxyInit)
                             .method("hasOwnProperty", ProxyHasOwn)
                             .get();
    const std::uint32_t ns = ProxyNs(vm);
    for (const auto& [name, fn] : kHooks) {
        Binding& b = proxy->instanceTraits->bindings[PropKey(ns, vm.intern(name))];
        b.kind = Binding::Kind::Method;
        b.method = MethodRef{nullptr, fn, 1};
    }
    const Value uri[1] = {Value::string(std::string(kProxyUri))};
    DefineGlobal(vm, "flash_proxy", ConstructClass(vm, vm.core.ns, uri), "flash.utils");
}

} // namespace quillon::avm2
