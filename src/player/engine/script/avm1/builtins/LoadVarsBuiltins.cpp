// LoadVars: variables loaded from a file beside the movie, and written back as text.
// Sending goes nowhere: scripts never reach the network.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

Value LoadVarsCtor(Vm&, CallInfo& c) {
    return c.thisValue;
}

Value Load(Vm& vm, CallInfo& c) {
    return Value(!c.args.empty() && QueueDataLoad(vm, c.thisValue, vm.toString(c.arg(0))));
}

// The default onData: decodes what came and tells onLoad whether anything did.
Value OnData(Vm& vm, CallInfo& c) {
    const bool loaded = !c.arg(0).isUndefined();
    if (loaded) {
        DecodeVariables(vm, c.thisValue, vm.toString(c.arg(0)));
        vm.set(c.thisValue, "loaded", Value(true));
    }
    const Value success(loaded);
    vm.callMethod(c.thisValue, "onLoad", std::span<const Value>(&success, 1));
    return Value();
}

Value Decode(Vm& vm, CallInfo& c) {
    if (ThisObject(c)) {
        DecodeVariables(vm, c.thisValue, vm.toString(c.arg(0)));
    }
    return Value();
}

Value ToText(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value();
    }
    std::string out;
    for (const std::string& name : vm.enumerate(o)) {
        const Value v = vm.get(c.thisValue, name);
        if (v.isObject() && v.o->isFunction()) {
            continue;
        }
        out += (out.empty() ? "" : "&") + EscapeText(name) + "=" + EscapeText(vm.toString(v));
    }
    return vm.makeString(std::move(out));
}

Value Refused(Vm&, CallInfo&) {
    return Value(false);
}

} // namespace

bool QueueDataLoad(Vm& vm, const Value& into, const std::string& url) {
    if (!into.isObject()) {
        return false;
    }
    vm.set(into, "loaded", Value(false));
    into.o->define("_bytesLoaded", Value(0.0), DontEnum);
    into.o->define("_bytesTotal", Value(), DontEnum);
    return vm.queueLoad(into, url, Vm::Load::LoadVars);
}

namespace {

// sendAndLoad(url, target): nothing is sent anywhere; the target loads the local file.
Value SendAndLoad(Vm& vm, CallInfo& c) {
    return Value(c.args.size() >= 2 && QueueDataLoad(vm, c.arg(1), vm.toString(c.arg(0))));
}

// getBytesLoaded (magic 0) and getBytesTotal (1): undefined before a load starts.
Value LoadedBytes(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    return o ? vm.getOf(o, c.callee->magic == 0 ? "_bytesLoaded" : "_bytesTotal", c.thisValue)
             : Value();
}

} // namespace

void InstallDataLoadMethods(Vm& vm, Object* proto) {
    vm.methods(proto, {{"send", Refused},
                       {"addRequestHeader", Refused},
                       {"sendAndLoad", SendAndLoad},
                       {"getBytesLoaded", LoadedBytes, 0},
                       {"getBytesTotal", LoadedBytes, 1}});
    proto->define("contentType", Value("application/x-www-form-urlencoded"), DontEnum);
}

void InstallLoadVarsBuiltins(Vm& vm) {
    Object* proto = vm.defineClass(
        "LoadVars", LoadVarsCtor,
        {{"load", Load}, {"onData", OnData}, {"decode", Decode}, {"toString", ToText}});
    InstallDataLoadMethods(vm, proto);
}

} // namespace quillon::engine::avm1
