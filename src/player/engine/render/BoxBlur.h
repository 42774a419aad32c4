#pragma once
// The box blur under every blurring filter: a running sum along a line of interleaved
// 8-bit channels, with rounding to nearest so repeated passes do not darken the picture.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::engine {

// Radius of the box for a blur size in device pixels. A box spans 2 * radius + 1 pixels:
// blurs, shadows and bevels take the widest such box within the size, glows the narrowest
// that covers it.
int BlurRadius(double size, bool cover);

// Blurs count pixels of Channels bytes each, step bytes apart, with a box of 2 * radius + 1;
// pixels beyond the ends count as zero.
template <int Channels>
void BlurLine(std::uint8_t* line, int count, std::ptrdiff_t step, int radius,
              std::vector<std::uint8_t>& scratch) {
    if (radius <= 0 || count <= 0) {
        return;
    }
    scratch.resize(static_cast<std::size_t>(count) * Channels);
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < Channels; ++c) {
            scratch[static_cast<std::size_t>(i) * Channels + c] = line[i * step + c];
        }
    }
    const int window = 2 * radius + 1;
    int sums[Channels] = {};
    const auto add = [&](int i, int sign) {
        if (i < 0 || i >= count) {
            return;
        }
        const std::uint8_t* p = &scratch[static_cast<std::size_t>(i) * Channels];
        for (int c = 0; c < Channels; ++c) {
            sums[c] += sign * p[c];
        }
    };
    for (int i = 0; i <= radius; ++i) {
        add(i, 1);
    }
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < Channels; ++c) {
            line[i * step + c] = static_cast<std::uint8_t>((sums[c] + window / 2) / window);
        }
        add(i - radius, -1);
        add(i + radius + 1, 1);
    }
}

// Blurs a plane of width x height pixels of Channels bytes, rows stride bytes apart.
template <int Channels>
void BlurPlane(std::uint8_t* bits, int width, int height, std::ptrdiff_t stride, int rx, int ry,
               int passes) {
    std::vector<std::uint8_t> scratch;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height && rx > 0; ++y) {
            BlurLine<Channels>(bits + y * stride, width, Channels, rx, scratch);
        }
        for (int x = 0; x < width && ry > 0; ++x) {
            BlurLine<Channels>(bits + x * Channels, height, stride, ry, scratch);
        }
    }
}

} // namespace quillon::engine
