#include "player/engine/parse/BitmapParser.h"

#include "codec/swf/TagCodes.h"
#include "player/engine/parse/JpegDecoder.h"

#include <zlib.h>

namespace quillon::engine {

namespace {

using namespace swf::tags;

// Inflates a zlib stream up to limit bytes; false when it holds fewer than wanted.
bool Inflate(std::span<const std::uint8_t> in, std::size_t wanted, std::vector<std::uint8_t>& out) {
    out.assign(wanted, 0);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return false;
    }
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(wanted);
    int rc = Z_OK;
    while (rc == Z_OK && z.avail_out > 0) {
        rc = inflate(&z, Z_NO_FLUSH);
    }
    const bool complete = z.avail_out == 0;
    inflateEnd(&z);
    return complete;
}

bool IsJpeg(std::span<const std::uint8_t> d) {
    return d.size() >= 2 && ((d[0] == 0xff && d[1] == 0xd8) || (d[0] == 0xff && d[1] == 0xd9));
}

QImage ApplyAlphaPlane(QImage image, std::span<const std::uint8_t> compressed) {
    if (compressed.empty() || image.isNull()) {
        return image;
    }
    std::vector<std::uint8_t> alpha;
    const std::size_t wanted = static_cast<std::size_t>(image.width()) * image.height();
    if (!Inflate(compressed, wanted, alpha)) {
        return image;
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = alpha[static_cast<std::size_t>(y) * image.width() + x];
            const QRgb p = line[x];
            line[x] = qRgba(qRed(p) * a / 255, qGreen(p) * a / 255, qBlue(p) * a / 255, a);
        }
    }
    return image;
}

// The pixel formats of lossless bitmaps.
enum LosslessFormat : int {
    ColorMapped = 3, // 8-bit palette indices
    Rgb15 = 4,       // 15-bit colours, lossless (version 1) only
    Rgb32 = 5,       // 32-bit colours
};

// Bytes from one row of pixels to the next: rows are padded to 32 bits.
std::size_t RowStride(int format, int width) {
    const auto w = static_cast<std::size_t>(width);
    switch (format) {
    case ColorMapped:
        return (w + 3) & ~std::size_t{3};
    case Rgb15:
        return (w * 2 + 3) & ~std::size_t{3};
    case Rgb32:
        return w * 4;
    default:
        return 0;
    }
}

std::vector<QRgb> ReadPalette(const std::uint8_t* data, int size, bool withAlpha) {
    std::vector<QRgb> palette(256, qRgba(0, 0, 0, 0));
    for (int i = 0; i < size; ++i) {
        const std::uint8_t* p = data + static_cast<std::size_t>(i) * (withAlpha ? 4 : 3);
        // Palette alpha is straight alpha; the pixels are stored premultiplied.
        const int a = withAlpha ? p[3] : 255;
        palette[static_cast<std::size_t>(i)] =
            qRgba(p[0] * a / 255, p[1] * a / 255, p[2] * a / 255, a);
    }
    return palette;
}

QRgb PixelAt(const std::uint8_t* row, int x, int format, bool withAlpha,
             const std::vector<QRgb>& palette) {
    if (format == ColorMapped) {
        return palette[row[x]];
    }
    if (format == Rgb15) {
        const int v = (row[2 * x] << 8) | row[2 * x + 1];
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return qRgb(r * 255 / 31, g * 255 / 31, b * 255 / 31);
    }
    const std::uint8_t* p = row + 4 * x;
    const int a = withAlpha ? p[0] : 255;
    // premultiplied already; clamp damaged values so the image stays valid
    return qRgba(std::min<int>(p[1], a), std::min<int>(p[2], a), std::min<int>(p[3], a), a);
}

QImage DecodeLossless(swf::BitReader& in, bool withAlpha, std::string& error) {
    const int format = in.u8();
    const int width = in.u16();
    const int height = in.u16();
    if (static_cast<std::int64_t>(width) * height > MaxBitmapPixels) {
        error = "bitmap larger than the limit";
        return QImage();
    }
    const int paletteSize = format == ColorMapped ? in.u8() + 1 : 0;
    if (format != ColorMapped && format != Rgb15 && format != Rgb32) {
        error = "unknown lossless bitmap format " + std::to_string(format);
        return QImage();
    }
    const std::size_t stride = RowStride(format, width);
    const std::size_t paletteBytes = static_cast<std::size_t>(paletteSize) * (withAlpha ? 4 : 3);
    // zlib gives at most about 1,032 bytes for each byte it reads: a bitmap declared far
    // larger than its data can fill is damage, and is not worth its memory.
    const std::size_t wanted = paletteBytes + stride * height;
    if (wanted > in.rest().size() * 1032 + 4096) {
        error = "bitmap of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels holds only " + std::to_string(in.rest().size()) + " bytes of data";
        return QImage();
    }
    std::vector<std::uint8_t> data;
    if (!Inflate(in.rest(), wanted, data)) {
        error = "bitmap data ends early";
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    const std::vector<QRgb> palette = ReadPalette(data.data(), paletteSize, withAlpha);
    const std::uint8_t* pixels = data.data() + paletteBytes;
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* row = pixels + stride * y;
        for (int x = 0; x < width; ++x) {
            line[x] = PixelAt(row, x, format, withAlpha, palette);
        }
    }
    return image;
}

} // namespace

QImage DecodeImageData(std::span<const std::uint8_t> data, std::span<const std::uint8_t> tables,
                       std::string& error) {
    if (IsJpeg(data)) {
        return DecodeJpeg(data, tables, error);
    }
    QImage image = QImage::fromData(data.data(), static_cast<int>(data.size()));
    if (image.isNull()) {
        error = "unreadable picture data";
        return image;
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void ParseBitmapTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    if (tag.code == JpegTables) {
        context.jpegTables.assign(tag.body.begin(), tag.body.end());
        return;
    }
    const std::uint16_t id = in.u16();
    std::string error;
    QImage image;
    // pictures without an alpha channel of their own make bitmaps scripts see as opaque
    bool opaque = false;
    switch (tag.code) {
    case DefineBits:
        image = DecodeImageData(in.rest(), context.jpegTables, error);
        opaque = true;
        break;
    case DefineBitsJpeg2: {
        const auto picture = in.rest();
        image = DecodeImageData(picture, {}, error);
        opaque = IsJpeg(picture);
        break;
    }
    case DefineBitsJpeg3:
    case DefineBitsJpeg4: {
        const std::uint32_t size = in.u32();
        if (tag.code == DefineBitsJpeg4) {
            in.u16(); // deblocking
        }
        const auto picture = in.take(size);
        image = DecodeImageData(picture, {}, error);
        if (IsJpeg(picture)) {
            image = ApplyAlphaPlane(image, in.rest());
        }
        break;
    }
    case DefineBitsLossless:
    case DefineBitsLossless2:
        image = DecodeLossless(in, tag.code == DefineBitsLossless2, error);
        opaque = tag.code == DefineBitsLossless;
        break;
    default:
        return;
    }
    const std::int64_t pixels = static_cast<std::int64_t>(image.width()) * image.height();
    if (pixels > MaxBitmapPixels) {
        error = "bitmap larger than the limit";
        image = QImage();
    } else if (context.bitmapPixels + pixels > MaxMovieBitmapPixels) {
        error = "the movie's bitmaps pass the memory limit; this one is not drawn";
        image = QImage();
    }
    context.bitmapPixels += image.width() * static_cast<std::int64_t>(image.height());
    if (!error.empty()) {
        context.warn("bitmap " + std::to_string(id) + ": " + error);
    }
    context.bitmapBytes += static_cast<std::size_t>(image.sizeInBytes());
    auto character = std::make_shared<BitmapCharacter>();
    character->image = std::move(image);
    character->opaque = opaque;
    context.dictionary.define(id, std::move(character));
}

} // namespace quillon::engine
