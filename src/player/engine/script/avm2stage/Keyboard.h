#pragma once
// The keyboard reaching ActionScript 3: Tab and Shift+Tab move the stage's focus along
// the tab order (FocusClasses.cpp, which also installs the focus classes).

#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::engine::avm2stage {

void KeyDown(avm2::Vm& vm, int code, bool shift);
void KeyUp(avm2::Vm& vm, int code);
// InteractiveObject's tab and focus properties and DisplayObjectContainer's
// tabChildren, before their subclasses are made.
void InstallInteractiveFocus(avm2::NativeClass& interactive);
void InstallContainerFocus(avm2::NativeClass& container);
// stage.focus, stageFocusRect, FocusEvent's and KeyboardEvent's own members and
// flash.ui.Keyboard; after the display and event classes.
void InstallFocusClasses(avm2::Vm& vm);

} // namespace quillon::engine::avm2stage
