// FLV streams on any bytes: played as a file, with a seek, and appended in pieces.

#include "player/engine/video/FlvPlayback.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillon::engine::FlvPlayback;
    using quillon::engine::StreamEvent;
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::vector<StreamEvent> events;
    FlvPlayback file(true);
    file.play(bytes);
    for (int frame = 0; frame < 8; ++frame) {
        file.advance(250, events);
        if (frame == 3) {
            file.seek(0.5);
        }
    }
    FlvPlayback appended(false);
    appended.playAppended();
    const std::size_t half = size / 2;
    appended.append({data, half});
    appended.advance(100, events);
    appended.append({data + half, size - half});
    appended.appendAction("endSequence");
    for (int frame = 0; frame < 4; ++frame) {
        appended.advance(250, events);
    }
    return 0;
}
