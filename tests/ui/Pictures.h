#pragma once
// Checks on pictures the tests compare.

#include <QImage>

namespace quillon::test {

// True when the picture holds more than one colour, so comparing it means something.
inline bool HasSeveralColours(const QImage& picture) {
    if (picture.isNull()) {
        return false;
    }
    const QRgb first = picture.pixel(0, 0);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

} // namespace quillon::test
