#pragma once
// The streams ActionScript 1 and 2 play: each NetStream object with its stream, and the
// screen of each Video a stream was attached to.

#include "player/engine/script/avm1/Vm.h"
#include "player/engine/video/FlvPlayback.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace quillon::engine::avm1 {

// Streams made at once; more stay silent.
inline constexpr std::size_t MaxNetStreams = 64;

struct NetStreams {
    std::vector<std::pair<Object*, std::unique_ptr<FlvPlayback>>> streams; // in making order
    std::unordered_map<ClipId, std::shared_ptr<VideoScreen>> screens;
};

// Plays every stream on by a frame's time and calls its object's onStatus and data
// handlers with what happened.
void AdvanceNetStreams(Vm& vm, double frameMs);
// The stream objects stay alive while the movie runs.
void MarkNetStreams(Vm& vm, const std::function<void(Object*)>& push);

} // namespace quillon::engine::avm1
