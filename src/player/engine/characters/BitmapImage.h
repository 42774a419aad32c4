#pragma once
// The picture behind a script's bitmap, for the parts that draw with Qt.

#include "player/engine/characters/BitmapPixels.h"

#include <QImage>

namespace quillon::engine {

struct BitmapPixels::Picture {
    QImage image; // Format_ARGB32_Premultiplied
};

// The bitmap's pixels to draw or to draw onto (premultiplied); call settle() after
// drawing onto an opaque one.
inline QImage& ImageOf(BitmapPixels& pixels) {
    return pixels.picture().image;
}
inline const QImage& ImageOf(const BitmapPixels& pixels) {
    return pixels.picture().image;
}

// A copy of a picture (a bitmap of the movie); none when it is too large.
std::shared_ptr<BitmapPixels> PixelsFromImage(const QImage& image, bool transparent);

// The picture file (PNG, JPEG or GIF) in data as a bitmap, transparent when the file has
// an alpha channel; none for anything else or a picture past the bitmap limits. type,
// when given, receives the file's media type.
// Whether data begins as a movie file does (plain, zlib or LZMA).
bool IsMovieFile(const std::string& data);
std::shared_ptr<BitmapPixels> DecodePictureFile(const std::string& data,
                                                std::string* type = nullptr);

} // namespace quillon::engine
