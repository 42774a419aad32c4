#pragma once
// Plays movie files as the window would, keeping what their scripts say.

#include "player/engine/MovieEngine.h"

#include <string>
#include <vector>

namespace quillon::test {

// A movie file loaded and played for a number of frames, with what its scripts traced
// and warned.
struct PlayedFile {
    std::vector<std::string> traces, warnings;
    engine::MovieEngine movie;
    void start(const std::string& path, int frames);
};

} // namespace quillon::test
