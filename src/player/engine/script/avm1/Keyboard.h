#pragma once
// The keyboard and its focus as ActionScript 1/2 sees them: Key's state and listeners,
// the focused object's handlers, Tab walking the tab order, Selection and _focusrect.

#include "player/engine/script/avm1/Vm.h"

namespace quillon::engine::avm1 {

// A key goes down (Tab and Shift+Tab move the focus) or up.
void KeyDown(Vm& vm, int code, bool shift);
void KeyUp(Vm& vm, int code);

// Moves the focus (0: none) as the player does: onKillFocus on the object losing it,
// onSetFocus on the one taking it, then Selection's listeners. False when unchanged.
bool MoveFocus(Vm& vm, ClipId to, bool highlight);

// An object that turns invisible loses the focus.
void FocusedTurnedInvisible(Vm& vm, ClipId clip);

// _focusrect of a clip: on a movie's root the movie's setting, elsewhere the object's
// own (null while unset).
Value FocusRectOf(Vm& vm, ClipId clip);
void SetFocusRect(Vm& vm, ClipId clip, const Value& value);

} // namespace quillon::engine::avm1
