#pragma once
// What flash.net's NetConnection and NetStream and flash.media's Video keep beside the
// machine: connections, the streams playing (in the order they were made) and which
// stream each Video shows.

#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/video/FlvPlayback.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace quillon::engine::avm2stage {

struct NetConnectionRecord {
    bool connected = false;
};

struct NetStreamRecord {
    std::unique_ptr<FlvPlayback> playback;
    Value client; // undefined: the stream itself
    double bufferTime = 0.1;
};

// Streams made at once; more fail with an error.
inline constexpr std::size_t MaxNetStreams = 64;

struct MediaState {
    std::unordered_map<Object*, NetConnectionRecord> connections;
    std::unordered_map<Object*, NetStreamRecord> streams;
    std::vector<Object*> streamOrder;
    std::unordered_map<Object*, Object*> videoStreams; // Video -> NetStream
};

MediaState& MediaOf(avm2::Vm& vm);
// The stream behind a NetStream, or TypeError #1009 for anything else.
NetStreamRecord& StreamOf(avm2::Vm& vm, const Value& self);
// A netStatus event with an info object of code, description (when there is one) and
// level, sent to target now.
void SendNetStatus(avm2::Vm& vm, Object* target, const std::string& code, const std::string& level,
                   const std::string& description = {});
// A value of a stream's script data (onMetaData's object) as the script sees it.
Value ScriptValue(avm2::Vm& vm, const AmfValue& value, int depth = 0);

void InstallNetClasses(avm2::Vm& vm);
void InstallNetStreamClass(avm2::Vm& vm);
void InstallVideoClass(avm2::Vm& vm);

} // namespace quillon::engine::avm2stage
