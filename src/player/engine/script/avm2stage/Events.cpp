// flash.events: Event, TimerEvent and EventDispatcher with the capture, target and
// bubble phases of the display tree and listener priorities.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr std::size_t MaxListeners = 10000; // a script adding listeners in a loop stops here
constexpr std::size_t MaxPathLength = 1000;

EventRecord& EventOf(Vm& vm, const Value& self) {
    if (!self.isObject()) {
        vm.throwError(ErrorKind::TypeError, 1009,
                      "Cannot access a property or method of a null "
                      "object reference.");
    }
    return StateOf(vm).events[self.asObject()];
}

Value EventType(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(EventOf(vm, self).type);
}
template <bool EventRecord::*Flag>
Value EventFlag(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(EventOf(vm, self).*Flag);
}
template <Value EventRecord::*Field>
Value EventObject(Vm& vm, const Value& self, std::span<const Value>) {
    const Value& t = EventOf(vm, self).*Field;
    return t.isUndefined() ? Value::null() : t;
}
Value EventPhase(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::integer(EventOf(vm, self).phase);
}
Value StopPropagation(Vm& vm, const Value& self, std::span<const Value>) {
    EventOf(vm, self).stopped = true;
    return Value();
}
Value StopImmediatePropagation(Vm& vm, const Value& self, std::span<const Value>) {
    EventRecord& e = EventOf(vm, self);
    e.stopped = e.stoppedNow = true;
    return Value();
}
Value PreventDefault(Vm& vm, const Value& self, std::span<const Value>) {
    EventRecord& e = EventOf(vm, self);
    e.prevented = e.prevented || e.cancelable;
    return Value();
}
Value IsDefaultPrevented(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(EventOf(vm, self).prevented);
}

// A script's subclass that keeps the built-in clone gets a copy of the built-in class it
// extends: its own constructor might need other arguments.
Value EventClone(Vm& vm, const Value& self, std::span<const Value>) {
    const EventRecord e = EventOf(vm, self);
    const Value args[3] = {Value::string(e.type), Value::boolean(e.bubbles),
                           Value::boolean(e.cancelable)};
    ClassObject* cls = self.asObject()->cls;
    while (cls->init.abc && cls->base) {
        cls = cls->base;
    }
    return ConstructClass(vm, cls, args);
}

std::string ShortClassName(Vm& vm, const Value& v) {
    const std::string name = ClassName(vm, v);
    const auto end = name.find_last_of(".:");
    return end == std::string::npos ? name : name.substr(end + 1);
}

// What the load events of flash.events add after the fields every event has.
std::string MoreFields(Vm& vm, const Value& self) {
    const auto field = [&](const char* name) { return ToString(vm, GetPublic(vm, self, name)); };
    for (const ClassObject* c = self.asObject()->cls; c; c = c->base) {
        if (c->name == "flash.events.ProgressEvent") {
            return " bytesLoaded=" + field("bytesLoaded") + " bytesTotal=" + field("bytesTotal");
        }
        if (c->name == "flash.events.ErrorEvent") {
            return " text=\"" + field("text") + "\" errorID=" + field("errorID");
        }
        if (c->name == "flash.events.TextEvent") {
            return " text=\"" + field("text") + "\"";
        }
    }
    return "";
}

Value EventToString(Vm& vm, const Value& self, std::span<const Value>) {
    const EventRecord& e = EventOf(vm, self);
    std::string text = "[" + ShortClassName(vm, self) + " type=\"" + e.type +
                       "\" bubbles=" + (e.bubbles ? "true" : "false") +
                       " cancelable=" + (e.cancelable ? "true" : "false") +
                       " eventPhase=" + std::to_string(e.phase);
    return Value::string(text + MoreFields(vm, self) + "]");
}

// formatToString(className, ...names): "[className name=value ...]", strings quoted.
Value FormatToString(Vm& vm, const Value& self, std::span<const Value> args) {
    std::string text = "[" + ToString(vm, Arg(args, 0));
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string name = ToString(vm, args[i]);
        const Value v = GetPublic(vm, self, name);
        const std::string shown = ToString(vm, v);
        text += " " + name + "=" + (v.isString() ? "\"" + shown + "\"" : shown);
    }
    return Value::string(text + "]");
}

bool SameFunction(const Value& a, const Value& b) {
    if (StrictEquals(a, b)) {
        return true;
    }
    if (!a.isObject() || !b.isObject() || a.asObject()->kind != ObjectKind::Function ||
        b.asObject()->kind != ObjectKind::Function) {
        return false;
    }
    const auto* fa = static_cast<const FunctionObject*>(a.asObject());
    const auto* fb = static_cast<const FunctionObject*>(b.asObject());
    return fa->bound && fb->bound && fa->method.abc == fb->method.abc &&
           fa->method.native == fb->method.native && StrictEquals(fa->boundThis, fb->boundThis);
}

Value AddListener(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    const std::string type = ToString(vm, Arg(args, 0));
    const Value fn = Arg(args, 1);
    if (!fn.isObject() || fn.asObject()->kind != ObjectKind::Function) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter listener must be non-null.");
    }
    const bool capture = ToBoolean(Arg(args, 2));
    auto& list = state.listeners[self.asObject()][type];
    for (const Listener& l : list) {
        if (l.capture == capture && SameFunction(l.fn, fn)) {
            return Value();
        }
    }
    if (list.size() >= MaxListeners) {
        vm.limitReached("the limit of listeners for one event");
    }
    const int priority = ToInt32(vm, Arg(args, 3));
    const auto at = std::find_if(list.begin(), list.end(),
                                 [&](const Listener& l) { return l.priority < priority; });
    list.insert(at, Listener{fn, capture, priority});
    if (type == "enterFrame" || type == "exitFrame" || type == "frameConstructed") {
        auto& targets = state.broadcasters[type];
        if (std::find(targets.begin(), targets.end(), self.asObject()) == targets.end()) {
            targets.push_back(self.asObject());
        }
    }
    return Value();
}

Value RemoveListener(Vm& vm, const Value& self, std::span<const Value> args) {
    auto& byType = StateOf(vm).listeners[self.asObject()];
    const auto it = byType.find(ToString(vm, Arg(args, 0)));
    if (it != byType.end()) {
        const bool capture = ToBoolean(Arg(args, 2));
        std::erase_if(it->second, [&](const Listener& l) {
            return l.capture == capture && SameFunction(l.fn, Arg(args, 1));
        });
    }
    return Value();
}

bool HasListeners(StageState& state, Object* obj, const std::string& type) {
    const auto it = state.listeners.find(obj);
    if (it == state.listeners.end()) {
        return false;
    }
    const auto list = it->second.find(type);
    return list != it->second.end() && !list->second.empty();
}

Value HasEventListener(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(HasListeners(StateOf(vm), self.asObject(), ToString(vm, Arg(args, 0))));
}

std::vector<Object*> PathOf(StageState& state, Object* target) {
    std::vector<Object*> path; // the target's ancestors, nearest first
    for (auto it = state.displays.find(target);
         it != state.displays.end() && it->second.parent && path.size() < MaxPathLength;
         it = state.displays.find(it->second.parent)) {
        path.push_back(it->second.parent);
    }
    return path;
}

Value WillTrigger(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    const std::string type = ToString(vm, Arg(args, 0));
    bool any = HasListeners(state, self.asObject(), type);
    for (Object* o : PathOf(state, self.asObject())) {
        any = any || HasListeners(state, o, type);
    }
    return Value::boolean(any);
}

// The listeners of one object for one phase, called in order on a copy of the list.
void Deliver(Vm& vm, Object* at, const Value& event, EventRecord& e, int phase) {
    StageState& state = StateOf(vm);
    const auto byType = state.listeners.find(at);
    if (byType == state.listeners.end()) {
        return;
    }
    const auto found = byType->second.find(e.type);
    if (found == byType->second.end()) {
        return;
    }
    const std::vector<Listener> list = found->second;
    for (const Listener& l : list) {
        if (l.capture != (phase == 1) || e.stoppedNow) {
            continue;
        }
        e.phase = phase;
        e.currentTarget = Value::object(at);
        // A listener that is a plain function runs on the top-level global object, which
        // holds the built-in definitions but none of the movie's own script variables.
        const Value args[1] = {event};
        CallValue(vm, l.fn, Value::object(vm.builtins), args);
    }
}

Value DispatchEvent(Vm& vm, const Value& self, std::span<const Value> args) {
    Value event = Arg(args, 0);
    if (!event.isObject()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter event must be non-null.");
    }
    return Value::boolean(Dispatch(vm, self.asObject(), event));
}

} // namespace

Value CallHandler(Vm& vm, const Value& fn, std::span<const Value> args) {
    Value self = Value::null();
    if (fn.isObject() && fn.asObject()->kind == ObjectKind::Function) {
        const auto* closure = static_cast<const FunctionObject*>(fn.asObject());
        if (!closure->bound && closure->scope && !closure->scope->entries.empty()) {
            self = closure->scope->entries.front().value;
        }
    }
    return CallValue(vm, fn, self, args);
}

bool Dispatch(Vm& vm, Object* target, const Value& given) {
    StageState& state = StateOf(vm);
    Value event = given;
    if (!state.events[given.asObject()].target.isUndefined()) {
        event = CallProperty(vm, given, PublicName(vm, "clone"), {});
    }
    EventRecord& e = state.events[event.asObject()];
    e.target = Value::object(target);
    e.stopped = e.stoppedNow = false;
    const std::vector<Object*> path = PathOf(state, target);
    for (auto it = path.rbegin(); it != path.rend() && !e.stopped; ++it) {
        Deliver(vm, *it, event, e, 1);
    }
    if (!e.stopped) {
        Deliver(vm, target, event, e, 2);
    }
    for (auto it = path.begin(); e.bubbles && it != path.end() && !e.stopped; ++it) {
        Deliver(vm, *it, event, e, 3);
    }
    e.currentTarget = Value::null();
    e.phase = 2;
    return !e.prevented;
}

namespace {

// Class constants written "NAME=value".
void Constants(NativeClass& cls, std::initializer_list<const char*> pairs) {
    for (const char* text : pairs) {
        const std::string pair = text;
        const auto eq = pair.find('=');
        cls.constant(pair.substr(0, eq), Value::string(pair.substr(eq + 1)));
    }
}

// The pointer reaches a movie only as positions and roll states, so mouse events are
// made by scripts alone and their input fields read as at rest; keys and focus events
// get their own fields in FocusClasses.cpp.
void InstallInputEvents(Vm& vm, ClassObject* event) {
    NativeClass mouse(vm, "MouseEvent", event, "flash.events");
    mouse.init(EventInit);
    Constants(mouse, {"CLICK=click", "DOUBLE_CLICK=doubleClick", "MOUSE_DOWN=mouseDown",
                      "MOUSE_UP=mouseUp", "MOUSE_MOVE=mouseMove", "MOUSE_OVER=mouseOver",
                      "MOUSE_OUT=mouseOut", "ROLL_OVER=rollOver", "ROLL_OUT=rollOut",
                      "MOUSE_WHEEL=mouseWheel", "RIGHT_CLICK=rightClick",
                      "MIDDLE_CLICK=middleClick", "RELEASE_OUTSIDE=releaseOutside"});
    for (const char* name : {"localX", "localY", "stageX", "stageY", "delta"}) {
        mouse.getter(name,
                     [](Vm&, const Value&, std::span<const Value>) { return Value::integer(0); });
    }
    for (const char* name : {"buttonDown", "ctrlKey", "altKey", "shiftKey"}) {
        mouse.getter(
            name, [](Vm&, const Value&, std::span<const Value>) { return Value::boolean(false); });
    }
    mouse.method("updateAfterEvent",
                 [](Vm&, const Value&, std::span<const Value>) { return Value(); });
    NativeClass keys(vm, "KeyboardEvent", event, "flash.events");
    keys.init(EventInit);
    Constants(keys, {"KEY_DOWN=keyDown", "KEY_UP=keyUp"});
    for (const char* name : {"keyCode", "charCode", "keyLocation"}) {
        keys.getter(name,
                    [](Vm&, const Value&, std::span<const Value>) { return Value::integer(0); });
    }
    NativeClass focus(vm, "FocusEvent", event, "flash.events");
    focus.init(EventInit);
    Constants(focus, {"FOCUS_IN=focusIn", "FOCUS_OUT=focusOut", "KEY_FOCUS_CHANGE=keyFocusChange",
                      "MOUSE_FOCUS_CHANGE=mouseFocusChange"});
}

} // namespace

Value EventInit(Vm& vm, const Value& self, std::span<const Value> args) {
    EventRecord& e = EventOf(vm, self);
    e.type = ToString(vm, Arg(args, 0));
    e.bubbles = ToBoolean(Arg(args, 1));
    e.cancelable = ToBoolean(Arg(args, 2));
    return Value();
}

Value NewEvent(Vm& vm, const char* className, const std::string& type, bool bubbles) {
    const Value args[2] = {Value::string(type), Value::boolean(bubbles)};
    return ConstructClass(vm, BuiltinClass(vm, "flash.events", className), args);
}

void InstallEventClasses(Vm& vm) {
    NativeClass(vm, "EventDispatcher", vm.core.object, "flash.events")
        .method("addEventListener", AddListener)
        .method("removeEventListener", RemoveListener)
        .method("dispatchEvent", DispatchEvent)
        .method("hasEventListener", HasEventListener)
        .method("willTrigger", WillTrigger);
    NativeClass event(vm, "Event", vm.core.object, "flash.events");
    event.init(EventInit)
        .getters({{"type", EventType},
                  {"bubbles", EventFlag<&EventRecord::bubbles>},
                  {"cancelable", EventFlag<&EventRecord::cancelable>},
                  {"target", EventObject<&EventRecord::target>},
                  {"currentTarget", EventObject<&EventRecord::currentTarget>},
                  {"eventPhase", EventPhase}})
        .methods({{"stopPropagation", StopPropagation},
                  {"stopImmediatePropagation", StopImmediatePropagation},
                  {"preventDefault", PreventDefault},
                  {"isDefaultPrevented", IsDefaultPrevented},
                  {"clone", EventClone},
                  {"toString", EventToString},
                  {"formatToString", FormatToString}});
    Constants(event, {"ENTER_FRAME=enterFrame",
                      "EXIT_FRAME=exitFrame",
                      "FRAME_CONSTRUCTED=frameConstructed",
                      "ADDED=added",
                      "ADDED_TO_STAGE=addedToStage",
                      "REMOVED=removed",
                      "REMOVED_FROM_STAGE=removedFromStage",
                      "COMPLETE=complete",
                      "CHANGE=change",
                      "INIT=init",
                      "OPEN=open",
                      "CLOSE=close",
                      "RENDER=render",
                      "RESIZE=resize",
                      "ACTIVATE=activate",
                      "DEACTIVATE=deactivate",
                      "SELECT=select",
                      "CANCEL=cancel",
                      "UNLOAD=unload",
                      "SOUND_COMPLETE=soundComplete",
                      "ID3=id3",
                      "SCROLL=scroll",
                      "TAB_CHILDREN_CHANGE=tabChildrenChange",
                      "FULLSCREEN=fullScreen"});
    InstallInputEvents(vm, event.get());
    NativeClass(vm, "TimerEvent", event.get(), "flash.events")
        .init(EventInit)
        .constant("TIMER", Value::string("timer"))
        .constant("TIMER_COMPLETE", Value::string("timerComplete"))
        .method("updateAfterEvent",
                [](Vm&, const Value&, std::span<const Value>) { return Value(); });
}

} // namespace quillon::engine::avm2stage
