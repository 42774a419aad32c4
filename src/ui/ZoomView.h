#pragma once
// The zoom's state: the frame rectangle of the movie opened last and the part of it the
// player shows, both in twips. Opening a movie sets the frame and resets the view to
// it; zoom and pan change the view. Only the UI thread touches it.

#include "codec/SwfHeader.h"

#include <cstdint>

namespace quillon::ui {

struct ZoomView {
    std::int32_t FrameXMin = 0, FrameXMax = 0, FrameYMin = 0, FrameYMax = 0;
    std::int32_t ViewLeft = 0, ViewTop = 0, ViewRight = 0, ViewBottom = 0;

    void showFrame(const SwfHeaderInfo& header) {
        FrameXMin = ViewLeft = header.Xmin;
        FrameXMax = ViewRight = header.Xmax;
        FrameYMin = ViewTop = header.Ymin;
        FrameYMax = ViewBottom = header.Ymax;
    }
};

// The one the window's zoom and pan work on; defined beside them.
extern ZoomView Zoom;

} // namespace quillon::ui
