#pragma once
// What the text classes of ActionScript 3 share: a TextFormat and a TextLineMetrics
// made from the engine's values, and a TextFormat read back.

#include "player/engine/characters/EditField.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::engine::avm2stage {

avm2::Value NewTextFormat(avm2::Vm& vm, const TextFormat& format);
TextFormat ReadTextFormat(avm2::Vm& vm, const avm2::Value& from);
avm2::Value NewLineMetrics(avm2::Vm& vm, const LineMetrics& metrics);
// The model behind a TextField: its clip's, or its own while it has no clip.
EditField* FieldOf(avm2::Vm& vm, const avm2::Value& self);
// The same, or TypeError #1009 when there is none.
EditField& FieldOrThrow(avm2::Vm& vm, const avm2::Value& self);
void InstallTextFormatClasses(avm2::Vm& vm);

} // namespace quillon::engine::avm2stage
