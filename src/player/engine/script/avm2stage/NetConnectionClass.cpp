// flash.net.NetConnection and flash.events.NetStatusEvent. A movie reaches no server:
// connect(null), which plays local files and appended bytes, is the only connection
// that succeeds; any other address fails with the player's status and touches nothing.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/MediaState.h"

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

Value NetStatusInit(Vm& vm, const Value& self, std::span<const Value> args) {
    EventRecord& e = StateOf(vm).events[self.asObject()];
    e.type = ToString(vm, Arg(args, 0));
    e.bubbles = ToBoolean(Arg(args, 1));
    e.cancelable = ToBoolean(Arg(args, 2));
    SetPublic(vm, self, "info", Arg(args, 3));
    return Value();
}

Value NetStatusToString(Vm& vm, const Value& self, std::span<const Value>) {
    const EventRecord& e = StateOf(vm).events[self.asObject()];
    return Value::string("[NetStatusEvent type=\"" + e.type +
                         "\" bubbles=" + (e.bubbles ? "true" : "false") +
                         " cancelable=" + (e.cancelable ? "true" : "false") +
                         " eventPhase=" + std::to_string(e.phase) +
                         " info=" + ToString(vm, GetPublic(vm, self, "info")) + "]");
}

Value NetStatusClone(Vm& vm, const Value& self, std::span<const Value>) {
    const EventRecord e = StateOf(vm).events[self.asObject()];
    const Value args[4] = {Value::string(e.type), Value::boolean(e.bubbles),
                           Value::boolean(e.cancelable), GetPublic(vm, self, "info")};
    return ConstructClass(vm, self.asObject()->cls, args);
}

NetConnectionRecord& ConnectionOf(Vm& vm, const Value& self) {
    if (!self.isObject()) {
        ThrowNullAccess(vm, self);
    }
    return MediaOf(vm).connections[self.asObject()];
}

Value Connect(Vm& vm, const Value& self, std::span<const Value> args) {
    NetConnectionRecord& c = ConnectionOf(vm, self);
    const Value& address = Arg(args, 0);
    c.connected = address.isNullish() || ToString(vm, address) == "null";
    if (c.connected) {
        SendNetStatus(vm, self.asObject(), "NetConnection.Connect.Success", "status");
    } else {
        StateOf(vm).warning("NetConnection.connect to a server is refused: movies reach no "
                            "network");
        SendNetStatus(vm, self.asObject(), "NetConnection.Connect.Failed", "error");
    }
    return Value();
}

Value Close(Vm& vm, const Value& self, std::span<const Value>) {
    NetConnectionRecord& c = ConnectionOf(vm, self);
    if (c.connected) {
        c.connected = false;
        SendNetStatus(vm, self.asObject(), "NetConnection.Connect.Closed", "status");
    }
    return Value();
}

Value Connected(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(ConnectionOf(vm, self).connected);
}

Value Uri(Vm& vm, const Value& self, std::span<const Value>) {
    return ConnectionOf(vm, self).connected ? Value::string("null") : Value::null();
}

} // namespace

MediaState& MediaOf(Vm& vm) {
    StageState& state = StateOf(vm);
    if (!state.media) {
        state.media = std::make_shared<MediaState>();
    }
    return *state.media;
}

void SendNetStatus(Vm& vm, Object* target, const std::string& code, const std::string& level,
                   const std::string& description) {
    Object* info = vm.newObject();
    const Value infoValue = Value::object(info);
    SetPublic(vm, infoValue, "code", Value::string(code));
    if (!description.empty()) {
        SetPublic(vm, infoValue, "description", Value::string(description));
    }
    SetPublic(vm, infoValue, "level", Value::string(level));
    const Value args[4] = {Value::string("netStatus"), Value::boolean(false), Value::boolean(false),
                           infoValue};
    const Value event =
        ConstructClass(vm, BuiltinClass(vm, "flash.events", "NetStatusEvent"), args);
    Dispatch(vm, target, event);
}

void InstallNetClasses(Vm& vm) {
    NativeClass(vm, "NetStatusEvent", BuiltinClass(vm, "flash.events", "Event"), "flash.events")
        .init(NetStatusInit)
        .constant("NET_STATUS", Value::string("netStatus"))
        .slot("info", Value::null())
        .method("toString", NetStatusToString)
        .method("clone", NetStatusClone);
    NativeClass(vm, "NetConnection", BuiltinClass(vm, "flash.events", "EventDispatcher"),
                "flash.net")
        .methods({{"connect", Connect}, {"close", Close}})
        .getters({{"connected", Connected}, {"uri", Uri}});
}

} // namespace quillon::engine::avm2stage
