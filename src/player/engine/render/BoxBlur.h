#pragma once
// The box blur under every blurring filter: a running sum along a line of interleaved
// 8-bit channels, with rounding to nearest so repeated passes do not darken the picture.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::engine {

// A box centred on each pixel, 2 * radius + 1 pixels across; the two pixels at its ends
// may weigh less than the others.
struct BlurBox {
    int radius = 0;         // pixels reached on each side
    std::int64_t inner = 0; // weight of the pixels wholly inside (fixed point)
    std::int64_t edge = 0;  // weight of the two pixels at the ends
};

// How a blur size in device pixels becomes a box. Objects on the stage blur with whole
// boxes: the widest within the size (blurs, shadows, bevels) or the narrowest covering it
// (glows). Bitmaps a script filters blur by the exact size: the pixels wholly inside a box
// that wide count fully and the two it cuts at its ends by the part it covers, so a size
// of 2 weighs a pixel and its neighbours 1:2:1. Sizes of 1 or less blur nothing.
enum class BoxFit { Within, Covering, Exact };
BlurBox BlurBoxOf(double size, BoxFit fit);

// How many times a filter's quality runs its box: none for 0, at most 15.
int BlurPasses(int quality);

// Blurs count pixels of Channels bytes each, step bytes apart, with box; pixels beyond the
// ends count as zero.
template <int Channels>
void BlurLine(std::uint8_t* line, int count, std::ptrdiff_t step, const BlurBox& box,
              std::vector<std::uint8_t>& scratch) {
    const int r = box.radius;
    if (r <= 0 || count <= 0) {
        return;
    }
    scratch.resize(static_cast<std::size_t>(count) * Channels);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < Channels; ++c) {
            scratch[static_cast<std::size_t>(i) * Channels + c] = line[i * step + c];
        }
    }
    const auto at = [&](int i, int c) -> int {
        return i < 0 || i >= count ? 0 : scratch[static_cast<std::size_t>(i) * Channels + c];
    };
    const std::int64_t total = box.inner * (2 * r - 1) + 2 * box.edge;
    // sums of the pixels wholly inside (within r - 1) for each channel
    std::int64_t inside[Channels] = {};
    for (int i = 0; i < r; ++i) {
        for (int c = 0; c < Channels; ++c) {
            inside[c] += at(i, c);
        }
    }
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < Channels; ++c) {
            const std::int64_t ends = at(i - r, c) + at(i + r, c);
            const std::int64_t sum = inside[c] * box.inner + ends * box.edge;
            line[i * step + c] = static_cast<std::uint8_t>((sum + total / 2) / total);
            inside[c] += at(i + r, c) - at(i - r + 1, c);
        }
    }
}

// Blurs a plane of width x height pixels of Channels bytes, rows stride bytes apart, with
// boxes across and down, passes times.
template <int Channels>
void BlurPlane(std::uint8_t* bits, int width, int height, std::ptrdiff_t stride,
               const BlurBox& across, const BlurBox& down, int passes) {
    std::vector<std::uint8_t> scratch;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height && across.radius > 0; ++y) {
            BlurLine<Channels>(bits + y * stride, width, Channels, across, scratch);
        }
        for (int x = 0; x < width && down.radius > 0; ++x) {
            BlurLine<Channels>(bits + x * Channels, height, stride, down, scratch);
        }
    }
}

} // namespace quillon::engine
