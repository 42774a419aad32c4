// flash.utils on the virtual clock: Timer, setTimeout/setInterval and getTimer; and the
// class-name functions getQualifiedClassName, getQualifiedSuperclassName and
// getDefinitionByName, which ApplicationDomain's definition lookups share.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr std::size_t MaxCallbacks = 10000;
constexpr std::size_t MaxTimers = 10000;

TimerRecord& TimerOf(Vm& vm, const Value& self) {
    return StateOf(vm).timers[self.asObject()];
}

Value TimerInit(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    if (state.timerOrder.size() >= MaxTimers) {
        vm.limitReached("the limit of timers");
    }
    TimerRecord& t = state.timers[self.asObject()];
    t.delay = ToNumber(vm, Arg(args, 0));
    if (!(t.delay >= 0) || std::isinf(t.delay)) {
        vm.throwError(ErrorKind::RangeError, 2066, "The Timer delay specified is out of range.");
    }
    t.repeatCount = args.size() > 1 ? ToInt32(vm, args[1]) : 0;
    state.timerOrder.push_back(self.asObject());
    return Value();
}

Value TimerStart(Vm& vm, const Value& self, std::span<const Value>) {
    TimerRecord& t = TimerOf(vm, self);
    if (!t.running) {
        t.running = true;
        t.due = StateOf(vm).clockMs + t.delay;
    }
    return Value();
}
Value TimerStop(Vm& vm, const Value& self, std::span<const Value>) {
    TimerOf(vm, self).running = false;
    return Value();
}
Value TimerReset(Vm& vm, const Value& self, std::span<const Value>) {
    TimerRecord& t = TimerOf(vm, self);
    t.running = false;
    t.currentCount = 0;
    return Value();
}
template <auto Field> Value TimerField(Vm& vm, const Value& self, std::span<const Value>) {
    const auto value = TimerOf(vm, self).*Field;
    if constexpr (std::is_same_v<decltype(value), const bool>) {
        return Value::boolean(value);
    } else {
        return NumberValue(value);
    }
}
Value TimerSetDelay(Vm& vm, const Value& self, std::span<const Value> args) {
    TimerOf(vm, self).delay = std::max(0.0, ToNumber(vm, Arg(args, 0)));
    return Value();
}
Value TimerSetRepeat(Vm& vm, const Value& self, std::span<const Value> args) {
    TimerOf(vm, self).repeatCount = ToInt32(vm, Arg(args, 0));
    return Value();
}

Value AddCallback(Vm& vm, std::span<const Value> args, bool repeat) {
    StageState& state = StateOf(vm);
    if (state.callbacks.size() >= MaxCallbacks) {
        vm.limitReached("the limit of pending timeouts");
    }
    Callback c;
    c.fn = Arg(args, 0);
    c.interval = std::max(0.0, ToNumber(vm, Arg(args, 1)));
    if (std::isnan(c.interval)) {
        c.interval = 0;
    }
    c.args.assign(args.begin() + std::min<std::size_t>(2, args.size()), args.end());
    c.due = state.clockMs + c.interval;
    c.repeat = repeat;
    const int id = state.nextCallback++;
    state.callbacks[id] = std::move(c);
    return Value::unsignedInt(static_cast<std::uint32_t>(id));
}
Value SetTimeout(Vm& vm, const Value&, std::span<const Value> args) {
    return AddCallback(vm, args, false);
}
Value SetInterval(Vm& vm, const Value&, std::span<const Value> args) {
    return AddCallback(vm, args, true);
}
Value ClearCallback(Vm& vm, const Value&, std::span<const Value> args) {
    StateOf(vm).callbacks.erase(ToInt32(vm, Arg(args, 0)));
    return Value();
}
Value GetTimer(Vm& vm, const Value&, std::span<const Value>) {
    return Value::integer(static_cast<std::int32_t>(StateOf(vm).clockMs));
}

Value GetQualifiedClassName(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    if (v.isObject() && v.asObject()->kind == ObjectKind::Class) {
        return Value::string(QualifiedClassName(static_cast<ClassObject*>(v.asObject())->name));
    }
    if (v.isNullish()) {
        return Value::string(v.isNull() ? "null" : "void");
    }
    const ClassObject* cls = ClassOf(vm, v);
    return Value::string(cls ? QualifiedClassName(cls->name) : "Object");
}

Value QualifiedSuperclassName(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    const ClassObject* cls = v.isObject() && v.asObject()->kind == ObjectKind::Class
                                 ? static_cast<ClassObject*>(v.asObject())
                                 : ClassOf(vm, v);
    if (!cls || !cls->base) {
        return Value::null();
    }
    return Value::string(QualifiedClassName(cls->base->name));
}

Value DefinitionByName(Vm& vm, const Value&, std::span<const Value> args) {
    const std::string text = ToString(vm, Arg(args, 0));
    const Name name = NameFromText(vm, text);
    const Value found = FindDefinition(vm, name);
    if (found.isUndefined()) {
        vm.throwError(ErrorKind::ReferenceError, 1065, "Variable " + text + " is not defined.");
    }
    return found;
}

Value HasDefinition(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::boolean(
        !FindDefinition(vm, NameFromText(vm, ToString(vm, Arg(args, 0)))).isUndefined());
}

// A subclass of ByteArray bound to the movie's binary data starts with its bytes.
Value ByteArrayInit(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.asObject()->kind != ObjectKind::ByteArray ||
        self.asObject()->cls == vm.core.byteArray) {
        return Value();
    }
    const std::optional<std::uint16_t> id = SymbolOfObject(vm, self.asObject());
    if (const auto data = id ? StateOf(vm).host.binaryData(*id) : nullptr) {
        auto& bytes = static_cast<ByteArrayObject*>(self.asObject())->bytes;
        bytes.assign(data->begin(), data->end());
    }
    return Value();
}

void InstallTimerClass(Vm& vm, ClassObject* dispatcher);

} // namespace

void InstallUtilityClasses(Vm& vm) {
    InstallTimerClass(vm, BuiltinClass(vm, "flash.events", "EventDispatcher"));
    const char* utils = "flash.utils";
    DefineGlobalFunction(vm, "setTimeout", SetTimeout, utils);
    DefineGlobalFunction(vm, "setInterval", SetInterval, utils);
    DefineGlobalFunction(vm, "clearTimeout", ClearCallback, utils);
    DefineGlobalFunction(vm, "clearInterval", ClearCallback, utils);
    DefineGlobalFunction(vm, "getTimer", GetTimer, utils);
    NativeClass(vm, vm.core.byteArray).init(ByteArrayInit);
    // one domain holds every definition
    NativeClass(vm, BuiltinClass(vm, "flash.system", "ApplicationDomain"))
        .method("getDefinition", DefinitionByName)
        .method("hasDefinition", HasDefinition);
    // Some movies look the class-name functions up in this second package.
    for (const char* package : {utils, "avmplus"}) {
        DefineGlobalFunction(vm, "getQualifiedClassName", GetQualifiedClassName, package);
        DefineGlobalFunction(vm, "getQualifiedSuperclassName", QualifiedSuperclassName, package);
        DefineGlobalFunction(vm, "getDefinitionByName", DefinitionByName, package);
    }
    InstallDescribeType(vm);
}

namespace {

void InstallTimerClass(Vm& vm, ClassObject* dispatcher) {
    NativeClass(vm, "Timer", dispatcher, "flash.utils")
        .init(TimerInit)
        .methods({{"start", TimerStart}, {"stop", TimerStop}, {"reset", TimerReset}})
        .getters({{"running", TimerField<&TimerRecord::running>},
                  {"currentCount", TimerField<&TimerRecord::currentCount>},
                  {"delay", TimerField<&TimerRecord::delay>},
                  {"repeatCount", TimerField<&TimerRecord::repeatCount>}})
        .setter("delay", TimerSetDelay)
        .setter("repeatCount", TimerSetRepeat);
}

} // namespace

} // namespace quillon::engine::avm2stage
