#pragma once
// The unit every length of a movie is counted in; free of Qt so scripts can share it.

namespace quillon::engine {

// Lengths in a movie are in twips, twenty to a pixel.
inline constexpr double TwipsPerPixel = 20.0;

} // namespace quillon::engine
