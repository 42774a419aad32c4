// flash.display.SimpleButton: four states (up, over, down, hit), each a display object
// or null. The one on show hangs below the button, out of its parent's sight: it is on
// the stage with the button, yet its parent reads null. The others stand off the list.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr char EnabledKey[] = "$buttonEnabled";
constexpr char HandCursorKey[] = "$buttonHandCursor";
constexpr char TrackAsMenuKey[] = "$trackAsMenu";
constexpr char SoundTransformKey[] = "$buttonSoundTransform";

enum State { Up = 0, Over = 1, Down = 2, Hit = 3 };

Object* DisplayArg(Vm& vm, std::span<const Value> args, std::size_t at) {
    const Value& v = Arg(args, at);
    return DisplayOf(vm, v) ? v.asObject() : nullptr;
}

// The player's way with a state it is given on the stage: it is constructed as a frame
// would, at once.
void RunNewState(Vm& vm, Object* o) {
    Dispatch(vm, o, NewEvent(vm, "Event", "frameConstructed"));
    Dispatch(vm, o, NewEvent(vm, "Event", "exitFrame"));
}

template <int Which> Value GetState(Vm& vm, const Value& self, std::span<const Value>) {
    StageState& state = StateOf(vm);
    const auto it = state.buttons.find(self.asObject());
    Object* o = it == state.buttons.end() ? nullptr : it->second.states[Which];
    return o ? Value::object(o) : Value::null();
}
template <int Which> Value SetState(Vm& vm, const Value& self, std::span<const Value> args) {
    SetButtonState(vm, self.asObject(), Which, DisplayArg(vm, args, 0));
    return Value();
}

Value ButtonInit(Vm& vm, const Value& self, std::span<const Value> args) {
    StageState& state = StateOf(vm);
    state.buttons[self.asObject()];
    DisplayInit(vm, self, args);
    for (int k = Up; k <= Hit; ++k) {
        if (Object* o = DisplayArg(vm, args, static_cast<std::size_t>(k))) {
            SetButtonState(vm, self.asObject(), k, o);
        }
    }
    return Value();
}

} // namespace

bool IsButton(StageState& state, Object* o) {
    return o && state.buttons.contains(o);
}

void SetButtonState(Vm& vm, Object* button, int which, Object* o) {
    StageState& state = StateOf(vm);
    if (which < Up || which > Hit || o == button) {
        return;
    }
    ButtonStates& b = state.buttons[button];
    Object* old = b.states[which];
    b.states[which] = o;
    if (which != b.shown || old == o) {
        return;
    }
    if (old && state.displays[old].parent == button) {
        Withdraw(vm, old);
        std::erase(state.displays[button].children, old);
        state.displays[old].parent = nullptr;
    }
    if (!o) {
        return;
    }
    // One shown elsewhere leaves that place first, quietly.
    if (Object* before = state.displays[o].parent) {
        Withdraw(vm, o);
        std::erase(state.displays[before].children, o);
        state.displays[o].parent = nullptr;
    }
    state.displays[button].children.push_back(o);
    state.displays[o].parent = button;
    Realize(vm, o);
    NotifyArrival(vm, o, "added", "addedToStage");
    if (OnStage(state, o)) {
        RunNewState(vm, o);
    }
}

void InstallButtonClass(Vm& vm, ClassObject* interactive) {
    NativeClass(vm, "SimpleButton", interactive, "flash.display")
        .init(ButtonInit)
        .getter("upState", GetState<Up>)
        .setter("upState", SetState<Up>)
        .getter("overState", GetState<Over>)
        .setter("overState", SetState<Over>)
        .getter("downState", GetState<Down>)
        .setter("downState", SetState<Down>)
        .getter("hitTestState", GetState<Hit>)
        .setter("hitTestState", SetState<Hit>)
        .getter("enabled", GetHiddenFlag<EnabledKey, true>)
        .setter("enabled", SetHiddenFlag<EnabledKey>)
        .getter("useHandCursor", GetHiddenFlag<HandCursorKey, true>)
        .setter("useHandCursor", SetHiddenFlag<HandCursorKey>)
        .getter("trackAsMenu", GetHiddenFlag<TrackAsMenuKey, false>)
        .setter("trackAsMenu", SetHiddenFlag<TrackAsMenuKey>)
        .getter("soundTransform", GetHidden<SoundTransformKey>)
        .setter("soundTransform", SetHidden<SoundTransformKey>);
}

} // namespace quillon::engine::avm2stage
