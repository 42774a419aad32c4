#pragma once
// What a Video object on the stage shows: the feed of the stream attached to it,
// stretched over the object's size. Scripts hold and change it; drawing reads it. No Qt
// here: the script interpreters include this.

#include <cstdint>
#include <memory>

namespace quillon::engine {

struct VideoFeed; // the picture a stream shows now (VideoFeed.h)

struct VideoScreen {
    std::shared_ptr<const VideoFeed> feed; // none: nothing shows
    double width = 320, height = 240;      // pixels
    bool smoothing = false;
    int deblocking = 0;
    std::uint64_t hiddenUpTo = 0; // pictures of the feed up to this one are cleared away
};

} // namespace quillon::engine
