#pragma once
// The toolbar items' icons.

#include <QIcon>

namespace quillon::ui {

enum class IconKind {
    None, // no picture
    Open,
    ModeSingle,
    ModeBatch,
    Options,
    English,
    French,
    About,
    Close,
    Play,
    Stop,
    ZoomIn,
    ZoomOut,
    Expand,
    Fit,
    ScreenShot,
    Compress,
    Decompress,
};

QIcon ToolIcon(IconKind kind);

} // namespace quillon::ui
