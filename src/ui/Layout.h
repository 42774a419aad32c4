#pragma once
// The main window's fixed sizes: the side panels of the band, and what the batch
// panel's grid and buttons leave at the right of the window's outer width.

namespace quillon::ui::layout {

constexpr int FolderPanelWidth = 200;
constexpr int InfoPanelWidth = 200;
// Both side panels with their frames: the player panel takes the rest.
constexpr int SidePanelsWidth = 408;
constexpr int BatchPanelHeight = 133;
constexpr int GridMargin = 122;
constexpr int ButtonsMargin = 120;

} // namespace quillon::ui::layout
