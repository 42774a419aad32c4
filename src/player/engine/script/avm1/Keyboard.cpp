#include "player/engine/script/avm1/Keyboard.h"

#include "player/engine/display/Focus.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace quillon::engine::avm1 {

namespace {

constexpr int TabKey = 9, EnterKey = 13, SpaceKey = 32;
constexpr int MaxLevel = 1024; // the highest level a movie may load into

// The handlers that make a clip act as a button (and so tab by default).
constexpr const char* ButtonHandlers[] = {"onPress",    "onRelease", "onReleaseOutside",
                                          "onRollOver", "onRollOut", "onDragOver",
                                          "onDragOut"};

FocusState* Focus(Vm& vm) {
    return vm.host().focus();
}

// The focused object, 0 when none or when it has left the display list.
ClipId Focused(Vm& vm) {
    FocusState* focus = Focus(vm);
    if (!focus || !focus->focused()) {
        return 0;
    }
    if (!vm.host().exists(focus->focused())) {
        focus->set(0, false);
        return 0;
    }
    return focus->focused();
}

Value ObjectOf(Vm& vm, ClipId clip) {
    return clip ? Value(vm.clipObject(clip)) : Value::null();
}

bool HasButtonHandlers(Vm& vm, ClipId clip) {
    const Value self(vm.clipObject(clip));
    return std::any_of(std::begin(ButtonHandlers), std::end(ButtonHandlers),
                       [&](const char* name) { return vm.get(self, name).isObject(); });
}

std::optional<bool> OptionalBool(Vm& vm, const Value& v) {
    return v.isUndefined() ? std::nullopt : std::optional<bool>(vm.toBool(v));
}

TabTraits TraitsOf(Vm& vm, ClipId clip) {
    const Value self(vm.clipObject(clip));
    TabTraits traits;
    traits.tabEnabled = OptionalBool(vm, vm.get(self, "tabEnabled"));
    traits.tabChildren = OptionalBool(vm, vm.get(self, "tabChildren"));
    const Value index = vm.get(self, "tabIndex");
    if (index.isNumber()) {
        traits.tabIndex = index.n;
    }
    if (vm.host().kind(clip) == ClipKind::Sprite) {
        traits.buttonHandlers = HasButtonHandlers(vm, clip);
    }
    return traits;
}

// Whether an object may take the focus from Selection.setFocus.
bool Focusable(Vm& vm, ClipId clip) {
    DisplayHost& host = vm.host();
    if (vm.rootOf(clip) == clip) {
        return false; // a movie's root never holds the focus
    }
    switch (host.kind(clip)) {
    case ClipKind::Button:
        return true;
    case ClipKind::Text: {
        const EditField* field = host.textField(clip);
        return field && (field->editable || field->selectable);
    }
    case ClipKind::Sprite:
        return vm.toBool(vm.get(Value(vm.clipObject(clip)), "focusEnabled")) ||
               HasButtonHandlers(vm, clip);
    default:
        return false;
    }
}

void Broadcast(Vm& vm, const char* holder, const char* message, std::vector<Value> args) {
    const Value target = vm.get(Value(vm.global), holder);
    if (!target.isObject()) {
        return;
    }
    args.insert(args.begin(), Value(message));
    vm.callMethodSafely(target, "broadcastMessage", args);
}

void CallHandler(Vm& vm, ClipId clip, const char* name, std::span<const Value> args = {}) {
    if (clip && vm.host().exists(clip)) {
        vm.callMethodSafely(Value(vm.clipObject(clip)), name, args);
    }
}

std::vector<ClipId> TabOrder(Vm& vm) {
    DisplayHost& host = vm.host();
    const TabTraitsOf traits = [&vm](ClipId clip) { return TraitsOf(vm, clip); };
    std::vector<TabCandidate> all;
    for (int level = 0; level <= MaxLevel; ++level) {
        const ClipId top = level == 0 ? host.root() : host.level(level);
        if (top) {
            auto more = GatherTabs(host, top, traits);
            all.insert(all.end(), more.begin(), more.end());
        }
    }
    return OrderTabs(std::move(all));
}

Value KeyIsDown(Vm& vm, CallInfo& c) {
    FocusState* focus = Focus(vm);
    const double code = vm.toNumber(c.arg(0));
    return Value(focus && std::isfinite(code) && focus->keysDown.count(static_cast<int>(code)) > 0);
}

Value KeyGetCode(Vm& vm, CallInfo&) {
    FocusState* focus = Focus(vm);
    return Value(focus ? focus->lastKey : 0);
}

Value GetFocus(Vm& vm, CallInfo&) {
    const ClipId clip = Focused(vm);
    return clip ? Value(vm.targetPath(clip, false)) : Value::null();
}

Value SetFocus(Vm& vm, CallInfo& c) {
    const Value target = c.arg(0);
    if (target.isNullish()) {
        MoveFocus(vm, 0, false);
        return Value(true);
    }
    ClipId clip = vm.clipOf(target);
    if (!clip && target.isString()) {
        clip = vm.clipOf(vm.resolvePath(vm.toString(target), vm.host().root()));
    }
    if (!clip || !Focusable(vm, clip)) {
        return Value(false);
    }
    MoveFocus(vm, clip, vm.host().kind(clip) != ClipKind::Text);
    return Value(true);
}

// The focused text field, if the focus is on one.
EditField* FocusedField(Vm& vm) {
    const ClipId clip = Focused(vm);
    return clip ? vm.host().textField(clip) : nullptr;
}

Value SelectionIndex(Vm& vm, CallInfo& c) {
    FocusState* focus = Focus(vm);
    if (!focus || !FocusedField(vm)) {
        return Value(-1);
    }
    switch (c.callee->magic) {
    case 0:
        return Value(std::min(focus->selectionBegin, focus->selectionEnd));
    case 1:
        return Value(std::max(focus->selectionBegin, focus->selectionEnd));
    default:
        return Value(focus->selectionEnd);
    }
}

Value SetSelection(Vm& vm, CallInfo& c) {
    FocusState* focus = Focus(vm);
    const EditField* field = FocusedField(vm);
    if (!focus || !field) {
        return Value();
    }
    const int length = field->length();
    focus->selectionBegin = std::clamp(IntArg(vm, c, 0, 0), 0, length);
    focus->selectionEnd = std::clamp(IntArg(vm, c, 1, 0), 0, length);
    return Value();
}

// TextField.replaceSel: the focused field's selection becomes the text, the caret after it.
Value ReplaceSel(Vm& vm, CallInfo& c) {
    FocusState* focus = Focus(vm);
    const ClipId clip = vm.clipOf(c.thisValue);
    EditField* field = clip ? vm.host().textField(clip) : nullptr;
    if (!focus || !field || clip != Focused(vm) || c.args.empty()) {
        return Value();
    }
    const QString text = QString::fromStdString(vm.toString(c.arg(0)));
    const int length = field->length();
    const int begin = std::clamp(std::min(focus->selectionBegin, focus->selectionEnd), 0, length);
    const int end = std::clamp(std::max(focus->selectionBegin, focus->selectionEnd), 0, length);
    field->replaceText(begin, end, text);
    focus->selectionBegin = focus->selectionEnd =
        std::min(begin + static_cast<int>(text.size()), field->length());
    return Value();
}

// A press and release, as a click would make them.
void PressFocused(Vm& vm, ClipId clip) {
    CallHandler(vm, clip, "onPress");
    CallHandler(vm, clip, "onRelease");
}

// Whether clip's _focusrect is the movie's own setting: the root's always, and every
// object's before version 6, where objects had no setting of their own.
bool MoviesRectangle(Vm& vm, ClipId clip) {
    return vm.version() <= 5 || vm.rootOf(clip) == clip;
}

// A button's tabIndex: kept as a whole number, where a value that is none (or
// lies past the 32-bit range) reads as the smallest one; null and undefined unset it.
Value TabIndexSetting(Vm& vm, const Value& value) {
    if (value.isNullish()) {
        return Value();
    }
    return Value(vm.toWholeOrSmallest(value));
}

constexpr const char* TabIndexKey = "tabIndex";

Value GetTabIndex(Vm&, CallInfo& c) {
    Object* self = ThisObject(c);
    return self ? self->setting(TabIndexKey) : Value();
}

Value SetTabIndex(Vm& vm, CallInfo& c) {
    if (Object* self = ThisObject(c)) {
        self->keepSetting(TabIndexKey, TabIndexSetting(vm, c.arg(0)));
    }
    return Value();
}

// tabIndex on buttons, from version 6. A clip's is a plain variable, kept as given.
void DefineTabIndex(Vm& vm, Object* proto) {
    if (!proto) {
        return;
    }
    proto->define(TabIndexKey, Value(), DontDelete | FromVersion6);
    Property* p = proto->findAny(TabIndexKey);
    p->getter = vm.newNative(GetTabIndex);
    p->setter = vm.newNative(SetTabIndex);
}

} // namespace

bool MoveFocus(Vm& vm, ClipId to, bool highlight) {
    FocusState* focus = Focus(vm);
    if (!focus) {
        return false;
    }
    const ClipId from = Focused(vm);
    if (!focus->set(to, highlight)) {
        return false;
    }
    const Value oldValue = ObjectOf(vm, from);
    const Value newValue = ObjectOf(vm, to);
    CallHandler(vm, from, "onKillFocus", std::span<const Value>(&newValue, 1));
    CallHandler(vm, to, "onSetFocus", std::span<const Value>(&oldValue, 1));
    Broadcast(vm, "Selection", "onSetFocus", {oldValue, newValue});
    return true;
}

void FocusedTurnedInvisible(Vm& vm, ClipId clip) {
    if (clip && Focused(vm) == clip) {
        MoveFocus(vm, 0, false);
    }
}

void KeyDown(Vm& vm, int code, bool shift) {
    FocusState* focus = Focus(vm);
    if (!focus) {
        return;
    }
    focus->keysDown.insert(code);
    focus->lastKey = code;
    Broadcast(vm, "Key", "onKeyDown", {});
    const ClipId focused = Focused(vm);
    if (code == TabKey) { // the focus moves on; the focused object never hears it go down
        const ClipId next = NextTab(TabOrder(vm), focused, shift);
        if (next) {
            MoveFocus(vm, next, vm.host().kind(next) != ClipKind::Text);
        }
        return;
    }
    CallHandler(vm, focused, "onKeyDown");
    // Enter and Space press only an object that shows the rectangle.
    if ((code == EnterKey || code == SpaceKey) && focused && focus->showsRectangle()) {
        PressFocused(vm, focused);
    }
}

void KeyUp(Vm& vm, int code) {
    FocusState* focus = Focus(vm);
    if (!focus) {
        return;
    }
    focus->keysDown.erase(code);
    focus->lastKey = code;
    Broadcast(vm, "Key", "onKeyUp", {});
    CallHandler(vm, Focused(vm), "onKeyUp");
}

Value FocusRectOf(Vm& vm, ClipId clip) {
    FocusState* focus = Focus(vm);
    if (!focus) {
        return Value(true);
    }
    if (MoviesRectangle(vm, clip)) {
        return Value(focus->rectangleOn());
    }
    const std::optional<bool> own = focus->objectRectangle(clip);
    return own ? Value(*own) : Value::null();
}

void SetFocusRect(Vm& vm, ClipId clip, const Value& value) {
    FocusState* focus = Focus(vm);
    if (!focus) {
        return;
    }
    if (MoviesRectangle(vm, clip)) {
        // The movie's setting: null and undefined leave it, an object turns it off, and
        // otherwise it is on unless the value reads as 0.
        if (!value.isNullish()) {
            focus->setRectangleOn(!value.isObject() && vm.toNumber(value) != 0);
        }
        return;
    }
    // An object's own setting reads its value as a condition (strings by their number
    // before version 7); null and undefined give the choice back to the movie.
    focus->setObjectRectangle(clip, value.isNullish() ? std::nullopt
                                                      : std::optional<bool>(vm.toBool(value)));
}

void InstallSelectionBuiltins(Vm& vm) {
    Object* selection = Broadcaster(vm, "Selection");
    // clang-format off
    vm.methods(selection, {
        {"getFocus", GetFocus}, {"setFocus", SetFocus},
        {"getBeginIndex", SelectionIndex, 0}, {"getEndIndex", SelectionIndex, 1},
        {"getCaretIndex", SelectionIndex, 2}, {"setSelection", SetSelection}});
    // clang-format on
    const Value key = vm.get(Value(vm.global), "Key");
    if (key.isObject()) {
        vm.methods(key.o, {{"isDown", KeyIsDown}, {"getCode", KeyGetCode}});
    }
    vm.method(vm.textFieldProto, "replaceSel", ReplaceSel);
    DefineTabIndex(vm, vm.buttonProto);
}

} // namespace quillon::engine::avm1
