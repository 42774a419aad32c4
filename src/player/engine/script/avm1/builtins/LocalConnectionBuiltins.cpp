// LocalConnection between the objects of this movie: connect claims a channel name,
// send hands a call over once the frame's scripts are done, and the sender's onStatus
// hears whether anyone was there to take it.

#include "player/engine/script/avm1/builtins/Helpers.h"

namespace quillon::engine::avm1 {

namespace {

constexpr const char* Domain = "localhost";
constexpr const char* ChannelsKey = "__channels";

// Channels are named regardless of case; a name with neither a leading "_" nor a host
// ("host:name") belongs to the movie's domain.
std::string ChannelKey(const std::string& name) {
    const std::string folded = FoldCase(name);
    const bool qualified =
        folded.find(':') != std::string::npos || (!folded.empty() && folded[0] == '_');
    return qualified ? folded : std::string(Domain) + ":" + folded;
}

// The connected receivers by channel, kept on the class.
Object* Channels(Vm& vm) {
    const Value ctor = vm.get(Value(vm.global), "LocalConnection");
    if (!ctor.isObject()) {
        return nullptr;
    }
    if (const Property* p = ctor.o->findAny(ChannelsKey); p && p->value.isObject()) {
        return p->value.o;
    }
    Object* channels = vm.newObject(nullptr);
    ctor.o->define(ChannelsKey, Value(channels), DontEnum | DontDelete);
    return channels;
}

// A connection's channel (kept in its primitive slot), or empty.
std::string ChannelOf(Object* o) {
    return o && o->kind == Kind::Plain && o->primitive.isString() ? *o->primitive.s : "";
}

Value LocalConnectionCtor(Vm&, CallInfo& c) {
    return c.thisValue;
}

Value Connect(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    Object* channels = Channels(vm);
    if (!o || !channels || c.args.empty() || !c.arg(0).isString() || !ChannelOf(o).empty()) {
        return Value(false);
    }
    const std::string name = vm.toString(c.arg(0));
    if (name.empty() || name.find(':') != std::string::npos) {
        return Value(false);
    }
    const std::string key = ChannelKey(name);
    if (channels->findAny(key)) {
        return Value(false);
    }
    channels->define(key, Value(o), 0);
    o->primitive = Value(key);
    return Value(true);
}

Value Close(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    const std::string key = ChannelOf(o);
    if (Object* channels = Channels(vm); channels && !key.empty()) {
        channels->remove(key);
        o->primitive = Value();
    }
    return Value();
}

Value DomainOf(Vm&, CallInfo&) {
    return Value(Domain);
}

// Runs after the frame: the call reaches the receiver that held the channel when it was
// sent, if it still holds it.
Value Deliver(Vm& vm, CallInfo& c) {
    Object* channels = Channels(vm);
    const Property* held = channels ? channels->findAny(vm.toString(c.arg(0))) : nullptr;
    const bool there =
        held && c.arg(2).isObject() && held->value.isObject() && held->value.o == c.arg(2).o;
    Object* status = vm.newObject();
    status->put("level", Value(there ? "status" : "error"));
    const Value statusArgs[] = {Value(status)};
    vm.callMethodSafely(c.thisValue, "onStatus", statusArgs);
    if (there) {
        vm.callMethodSafely(c.arg(2), vm.toString(c.arg(1)), c.args.subspan(3));
    }
    return Value();
}

// send(channel, method, args...): false for a missing name or a method the connection
// itself has; the call is made once the frame's scripts have run.
Value Send(Vm& vm, CallInfo& c) {
    if (c.args.size() < 2 || !c.arg(0).isString() || !c.arg(1).isString()) {
        return Value(false);
    }
    const std::string method = vm.toString(c.arg(1));
    for (const char* reserved :
         {"send", "connect", "close", "allowDomain", "allowInsecureDomain", "domain"}) {
        if (method == reserved) {
            return Value(false);
        }
    }
    if (method.empty() || vm.toString(c.arg(0)).empty()) {
        return Value(false);
    }
    const std::string key = ChannelKey(vm.toString(c.arg(0)));
    Object* channels = Channels(vm);
    const Property* held = channels ? channels->findAny(key) : nullptr;
    std::vector<Value> args{Value(key), Value(method), held ? held->value : Value()};
    args.insert(args.end(), c.args.begin() + 2, c.args.end());
    vm.addInterval(Value(vm.newNative(Deliver)), c.thisValue, std::string(), std::move(args), 0,
                   true);
    return Value(true);
}

} // namespace

void InstallLocalConnectionBuiltins(Vm& vm) {
    Object* proto = vm.defineClass("LocalConnection", LocalConnectionCtor, {});
    const std::pair<const char*, NativeFn> methods[] = {
        {"send", Send}, {"close", Close}, {"connect", Connect}, {"domain", DomainOf}};
    for (const auto& [name, fn] : methods) {
        proto->define(name, Value(vm.newNative(fn)), DontEnum | DontDelete);
    }
}

} // namespace quillon::engine::avm1
