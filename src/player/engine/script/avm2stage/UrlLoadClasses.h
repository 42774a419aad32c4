#pragma once
// flash.net on local files: URLRequest, URLVariables, URLLoader and the load events.

#include "player/engine/script/avm2stage/StageState.h"

namespace quillon::engine::avm2stage {

void InstallUrlLoadClasses(avm2::Vm& vm);
// The URLLoader loads asked for since the last frame: each reads its file and sends
// open, progress and complete, or ioError.
void FinishUrlLoads(avm2::Vm& vm);

// An event of flash.events with two more constructor arguments (ProgressEvent's counts,
// an error event's text and id).
avm2::Value NewNetEvent(avm2::Vm& vm, const char* className, const char* type, avm2::Value a,
                        avm2::Value b);
// Sets the name=value pairs of a URL-encoded query on an object (URLVariables.decode);
// error 2101 for text that is no such list.
void DecodeVariables(avm2::Vm& vm, const avm2::Value& self, const std::string& text);
// A failed load: an ioError to target, or when nothing listens, the player's line.
void SendIoError(avm2::Vm& vm, avm2::Object* target, const std::string& message, int id);

} // namespace quillon::engine::avm2stage
