// Keyboard focus in ActionScript 3: stage.focus and stage.stageFocusRect, the tab and
// focus properties of InteractiveObject, FocusEvent, and the Tab key walking the tab
// order with keyFocusChange, focusOut and focusIn in the player's order.

#include "player/engine/display/Focus.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2stage/Keyboard.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <initializer_list>
#include <string>
#include <unordered_map>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr int TabKey = 9;

FocusState* Focus(Vm& vm) {
    return StateOf(vm).host.focus();
}

bool Hidden(Vm& vm, Object* o, const char* key, Value& out) {
    out = HiddenValue(vm, Value::object(o), key);
    return !out.isNull();
}

bool IsClass(Vm& vm, Object* o, const char* name) {
    return IsType(vm, Value::object(o), BuiltinClass(vm, "flash.display", name));
}

// The focused object. One given the focus off the stage keeps it; one that leaves the
// stage loses it.
Object* Focused(Vm& vm) {
    StageState& state = StateOf(vm);
    if (!state.stage) {
        return nullptr;
    }
    const Value stage = Value::object(state.stage);
    const Value v = HiddenValue(vm, stage, "$focus");
    Object* o = v.isObject() ? v.asObject() : nullptr;
    if (o && o != state.stage && ToBoolean(HiddenValue(vm, stage, "$focusOnStage")) &&
        !OnStage(state, o)) {
        KeepHidden(vm, stage, "$focus", Value::null());
        if (FocusState* focus = Focus(vm)) {
            focus->set(0, false);
        }
        return nullptr;
    }
    return o;
}

ClipId ClipOf(Vm& vm, Object* o) {
    const DisplayRecord* r = o ? DisplayOf(vm, Value::object(o)) : nullptr;
    return r ? r->clip : 0;
}

Value FocusEventOf(Vm& vm, const char* type, Object* related, bool cancelable, bool shift,
                   int keyCode) {
    const Value args[6] = {
        Value::string(type),        Value::boolean(true),
        Value::boolean(cancelable), related ? Value::object(related) : Value::null(),
        Value::boolean(shift),      Value::integer(keyCode)};
    return ConstructClass(vm, BuiltinClass(vm, "flash.events", "FocusEvent"), args);
}

// The object's own rectangle setting, handed to the engine when it takes the focus.
void ShareRectSetting(Vm& vm, Object* o) {
    FocusState* focus = Focus(vm);
    const ClipId clip = ClipOf(vm, o);
    if (!focus || !clip) {
        return;
    }
    Value own;
    focus->setObjectRectangle(clip, Hidden(vm, o, "$focusRect", own)
                                        ? std::optional<bool>(ToBoolean(own))
                                        : std::nullopt);
    focus->refreshRectangle();
}

// The stage's focus moves: the one losing it hears focusOut, then the one taking it
// focusIn, each naming the other.
void ChangeFocus(Vm& vm, Object* to, bool highlight) {
    StageState& state = StateOf(vm);
    Object* from = Focused(vm);
    if (from == to || !state.stage) {
        return;
    }
    const Value stage = Value::object(state.stage);
    KeepHidden(vm, stage, "$focus", to ? Value::object(to) : Value::null());
    KeepHidden(vm, stage, "$focusOnStage", Value::boolean(to && OnStage(state, to)));
    if (FocusState* focus = Focus(vm)) {
        const bool text =
            to && DisplayOf(vm, Value::object(to)) && DisplayOf(vm, Value::object(to))->textField;
        focus->set(to == state.stage ? 0 : ClipOf(vm, to), highlight && !text);
        ShareRectSetting(vm, to);
    }
    if (from) {
        Dispatch(vm, from, FocusEventOf(vm, "focusOut", to, false, false, 0));
    }
    if (to && Focused(vm) == to) {
        Dispatch(vm, to, FocusEventOf(vm, "focusIn", from, false, false, 0));
    }
}

Value GetStageFocus(Vm& vm, const Value&, std::span<const Value>) {
    Object* o = Focused(vm);
    return o ? Value::object(o) : Value::null();
}

Value SetStageFocus(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    // Focus a script gives shows no rectangle; the keyboard's does.
    ChangeFocus(vm, v.isObject() && DisplayOf(vm, v) ? v.asObject() : nullptr, false);
    return Value();
}

Value GetStageFocusRect(Vm& vm, const Value&, std::span<const Value>) {
    FocusState* focus = Focus(vm);
    return Value::boolean(!focus || focus->rectangleOn());
}

Value SetStageFocusRect(Vm& vm, const Value&, std::span<const Value> args) {
    if (FocusState* focus = Focus(vm)) {
        focus->setRectangleOn(ToBoolean(Arg(args, 0)));
        focus->refreshRectangle(); // the stage's setting holds at once
    }
    return Value();
}

// Whether an object tabs when no script says: buttons and input fields do.
bool TabsByDefault(Vm& vm, Object* o) {
    if (IsClass(vm, o, "SimpleButton")) {
        return true;
    }
    const DisplayRecord* r = DisplayOf(vm, Value::object(o));
    const EditField* field = r && r->clip ? StateOf(vm).host.textField(r->clip) : nullptr;
    return field && field->editable;
}

Value GetTabEnabled(Vm& vm, const Value& self, std::span<const Value>) {
    Value own;
    return Hidden(vm, self.asObject(), "$tabEnabled", own)
               ? own
               : Value::boolean(TabsByDefault(vm, self.asObject()));
}

Value GetTabIndex(Vm& vm, const Value& self, std::span<const Value>) {
    Value own;
    return Hidden(vm, self.asObject(), "$tabIndex", own) ? own : Value::integer(-1);
}

Value SetTabIndex(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::int32_t index = ToInt32(vm, Arg(args, 0));
    if (index < 0) {
        vm.throwError(ErrorKind::RangeError, 2027,
                      "Parameter tabIndex must be a non-negative number; got " +
                          std::to_string(index) + ".");
    }
    KeepHidden(vm, self, "$tabIndex", Value::integer(index));
    return Value();
}

Value GetFocusRect(Vm& vm, const Value& self, std::span<const Value>) {
    return HiddenValue(vm, self, "$focusRect");
}

Value SetFocusRect(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    KeepHidden(vm, self, "$focusRect",
               v.isNullish() ? Value::null() : Value::boolean(ToBoolean(v)));
    if (Focused(vm) == self.asObject()) {
        ShareRectSetting(vm, self.asObject());
    }
    return Value();
}

constexpr char TabEnabledKey[] = "$tabEnabled";
constexpr char TabChildrenKey[] = "$tabChildren";

// FocusEvent(type, bubbles = true, cancelable = false, relatedObject = null,
// shiftKey = false, keyCode = 0).
Value FocusInit(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value base[3] = {Arg(args, 0), args.size() > 1 ? args[1] : Value::boolean(true),
                           Arg(args, 2)};
    EventInit(vm, self, base);
    KeepHidden(vm, self, "$relatedObject", Arg(args, 3).isObject() ? Arg(args, 3) : Value::null());
    KeepHidden(vm, self, "$shiftKey", Value::boolean(ToBoolean(Arg(args, 4))));
    KeepHidden(vm, self, "$keyCode", Value::unsignedInt(ToUint32(vm, Arg(args, 5))));
    return Value();
}

constexpr char RelatedKey[] = "$relatedObject";
constexpr char ShiftKey[] = "$shiftKey";
constexpr char KeyCodeKey[] = "$keyCode";

Value FocusEventToString(Vm& vm, const Value& self, std::span<const Value>) {
    const Value args[8] = {Value::string("FocusEvent"), Value::string("type"),
                           Value::string("bubbles"),    Value::string("cancelable"),
                           Value::string("eventPhase"), Value::string("relatedObject"),
                           Value::string("shiftKey"),   Value::string("keyCode")};
    return CallProperty(vm, self, PublicName(vm, "formatToString"), args);
}

Value FocusEventClone(Vm& vm, const Value& self, std::span<const Value>) {
    const Value args[6] = {GetPublic(vm, self, "type"),       GetPublic(vm, self, "bubbles"),
                           GetPublic(vm, self, "cancelable"), HiddenValue(vm, self, RelatedKey),
                           HiddenValue(vm, self, ShiftKey),   HiddenValue(vm, self, KeyCodeKey)};
    return ConstructClass(vm, self.asObject()->cls, args);
}

constexpr char CharCodeKey[] = "$charCode";

// KeyboardEvent(type, bubbles = true, cancelable = false, charCode = 0, keyCode = 0).
Value KeyboardInit(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value base[3] = {Arg(args, 0), args.size() > 1 ? args[1] : Value::boolean(true),
                           Arg(args, 2)};
    EventInit(vm, self, base);
    KeepHidden(vm, self, CharCodeKey, Value::unsignedInt(ToUint32(vm, Arg(args, 3))));
    KeepHidden(vm, self, KeyCodeKey, Value::unsignedInt(ToUint32(vm, Arg(args, 4))));
    return Value();
}

// keyDown or keyUp for the focused object, or the stage when nothing has the focus.
void SendKey(Vm& vm, const char* type, int code) {
    StageState& state = StateOf(vm);
    Object* to = Focused(vm);
    const Value args[5] = {Value::string(type), Value::boolean(true), Value::boolean(false),
                           Value::integer(0), Value::integer(code)};
    Guarded(vm, [&] {
        Dispatch(vm, to ? to : state.stage,
                 ConstructClass(vm, BuiltinClass(vm, "flash.events", "KeyboardEvent"), args));
    });
}

// What scripts set for the tab order, for the clips of the display objects.
TabTraitsOf TraitsReader(Vm& vm) {
    auto byClip = std::make_shared<std::unordered_map<ClipId, Object*>>();
    for (const auto& [object, record] : StateOf(vm).displays) {
        if (record.clip) {
            (*byClip)[record.clip] = object;
        }
    }
    return [&vm, byClip](ClipId clip) {
        TabTraits traits;
        const auto found = byClip->find(clip);
        if (found == byClip->end()) {
            return traits;
        }
        Value v;
        if (Hidden(vm, found->second, TabEnabledKey, v)) {
            traits.tabEnabled = ToBoolean(v);
        }
        if (Hidden(vm, found->second, TabChildrenKey, v)) {
            traits.tabChildren = ToBoolean(v);
        }
        if (Hidden(vm, found->second, "$tabIndex", v)) {
            traits.tabIndex = ToNumber(vm, v);
        }
        return traits;
    };
}

Object* ObjectOfClip(Vm& vm, ClipId clip) {
    for (const auto& [object, record] : StateOf(vm).displays) {
        if (clip && record.clip == clip) {
            return object;
        }
    }
    return nullptr;
}

} // namespace

void KeyDown(Vm& vm, int code, bool shift) {
    StageState& state = StateOf(vm);
    FocusState* focus = Focus(vm);
    if (!focus || !state.stage) {
        return;
    }
    focus->keysDown.insert(code);
    focus->lastKey = code;
    SendKey(vm, "keyDown", code);
    if (code != TabKey) {
        return;
    }
    Object* from = Focused(vm);
    const std::vector<ClipId> order =
        OrderTabs(GatherTabs(state.host, state.host.root(), TraitsReader(vm)));
    Object* next = ObjectOfClip(vm, NextTab(order, from ? ClipOf(vm, from) : 0, shift));
    if (!next) {
        return;
    }
    const Value change = FocusEventOf(vm, "keyFocusChange", next, true, shift, TabKey);
    if (Dispatch(vm, from ? from : state.stage, change)) {
        ChangeFocus(vm, next, true);
    }
}

void KeyUp(Vm& vm, int code) {
    FocusState* focus = Focus(vm);
    if (!focus || !StateOf(vm).stage) {
        return;
    }
    focus->keysDown.erase(code);
    SendKey(vm, "keyUp", code);
}

void InstallInteractiveFocus(NativeClass& interactive) {
    interactive.getter("tabEnabled", GetTabEnabled)
        .setter("tabEnabled", SetHiddenFlag<TabEnabledKey>)
        .getter("tabIndex", GetTabIndex)
        .setter("tabIndex", SetTabIndex)
        .getter("focusRect", GetFocusRect)
        .setter("focusRect", SetFocusRect);
}

void InstallContainerFocus(NativeClass& container) {
    container.getter("tabChildren", GetHiddenFlag<TabChildrenKey, true>)
        .setter("tabChildren", SetHiddenFlag<TabChildrenKey>);
}

void InstallFocusClasses(Vm& vm) {
    NativeClass(vm, BuiltinClass(vm, "flash.display", "Stage"))
        .getter("focus", GetStageFocus)
        .setter("focus", SetStageFocus)
        .getter("stageFocusRect", GetStageFocusRect)
        .setter("stageFocusRect", SetStageFocusRect);
    NativeClass(vm, BuiltinClass(vm, "flash.events", "FocusEvent"))
        .init(FocusInit)
        .getters(
            {{"relatedObject", GetHidden<RelatedKey>},
             {"shiftKey", GetHidden<ShiftKey>},
             {"keyCode", GetHidden<KeyCodeKey>},
             {"isRelatedObjectInaccessible",
              [](Vm&, const Value&, std::span<const Value>) { return Value::boolean(false); }}})
        .setter("relatedObject", SetHidden<RelatedKey>)
        .setter("shiftKey", SetHidden<ShiftKey>)
        .setter("keyCode", SetHidden<KeyCodeKey>)
        .methods({{"toString", FocusEventToString}, {"clone", FocusEventClone}});
    NativeClass(vm, BuiltinClass(vm, "flash.events", "KeyboardEvent"))
        .init(KeyboardInit)
        .getters({{"keyCode", GetHidden<KeyCodeKey>}, {"charCode", GetHidden<CharCodeKey>}})
        .setter("keyCode", SetHidden<KeyCodeKey>)
        .setter("charCode", SetHidden<CharCodeKey>);
    NativeClass keyboard(vm, "Keyboard", vm.core.object, "flash.ui");
    // clang-format off
    for (const auto& [name, code] : std::initializer_list<std::pair<const char*, int>>{
             {"BACKSPACE", 8}, {"TAB", 9}, {"ENTER", 13}, {"SHIFT", 16}, {"CONTROL", 17},
             {"ALTERNATE", 18}, {"CAPS_LOCK", 20}, {"ESCAPE", 27}, {"SPACE", 32},
             {"PAGE_UP", 33}, {"PAGE_DOWN", 34}, {"END", 35}, {"HOME", 36}, {"LEFT", 37},
             {"UP", 38}, {"RIGHT", 39}, {"DOWN", 40}, {"INSERT", 45}, {"DELETE", 46}}) {
        keyboard.constant(name, Value::unsignedInt(static_cast<std::uint32_t>(code)));
    }
    // clang-format on
    for (char c = 'A'; c <= 'Z'; ++c) {
        keyboard.constant(std::string(1, c), Value::unsignedInt(static_cast<std::uint32_t>(c)));
    }
    for (char c = '0'; c <= '9'; ++c) {
        keyboard.constant(std::string("NUMBER_") + c,
                          Value::unsignedInt(static_cast<std::uint32_t>(c)));
    }
}

} // namespace quillon::engine::avm2stage
