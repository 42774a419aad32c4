#pragma once
// --key FRAME:KEY for run and render: keys pressed (down, then up) once a frame has run.

#include "player/engine/MovieEngine.h"

#include <string>
#include <vector>

namespace quillon::cli {

struct KeyPress {
    long frame = 1; // pressed after this frame (1: the first) has run
    int code = 0;   // as scripts read it: 9 Tab, 13 Enter, 32 Space, 65 A ...
    bool shift = false;
};

// "2:tab", "2:shift+tab", "5:enter", "3:65"; a usage error of command otherwise.
KeyPress ParseKeyPress(const std::string& command, const std::string& text);
// Presses the keys given for frame, in their order.
void PressKeys(engine::MovieEngine& movie, const std::vector<KeyPress>& keys, long frame);

} // namespace quillon::cli
