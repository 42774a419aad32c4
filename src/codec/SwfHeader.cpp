#include "SwfHeader.h"

#include "codec/swf/BitReader.h"

namespace quillon {

std::int32_t FrameXMin = 0, FrameXMax = 0, FrameYMin = 0, FrameYMax = 0;
std::int32_t ViewLeft = 0, ViewTop = 0, ViewRight = 0, ViewBottom = 0;

namespace {

// The bytes of a plain image from offset 8, where the frame rectangle begins.
swf::BitReader BodyReader(const MemoryStream& image) {
    swf::BitReader in(image.bytes());
    in.seek(8);
    return in;
}

std::array<std::int32_t, 4> FieldsOf(const swf::Rect& rect) {
    return {rect.xMin, rect.xMax, rect.yMin, rect.yMax};
}

std::uint32_t ReadLe32(const MemoryStream& image, std::size_t offset) {
    swf::BitReader in(image.bytes());
    in.seek(offset);
    return in.u32();
}

} // namespace

std::array<std::int32_t, 4> ReadFrameRect(MemoryStream& image) {
    swf::BitReader in = BodyReader(image);
    return FieldsOf(in.rect());
}

SwfHeaderInfo ReadSwfHeader(MemoryStream& image) {
    SwfHeaderInfo info;
    info.version = image.at(3);
    info.declaredLength = static_cast<std::int32_t>(ReadLe32(image, 4));
    const auto rect = ReadFrameRect(image);
    const std::size_t r = FrameRectBytes(image.at(8) >> 3);
    info.frameRate = image.at(9 + r);
    info.Xmin = rect[0];
    info.Xmax = rect[1];
    info.Ymin = rect[2];
    info.Ymax = rect[3];

    FrameXMin = info.Xmin;
    FrameXMax = info.Xmax;
    FrameYMin = info.Ymin;
    FrameYMax = info.Ymax;
    ViewLeft = FrameXMin;
    ViewRight = FrameXMax;
    ViewTop = FrameYMin;
    ViewBottom = FrameYMax;
    image.seek(0);
    return info;
}

SwfHeaderFields ParseSwfHeaderFields(std::span<const std::uint8_t> bytes) {
    MemoryStream image(bytes);
    SwfHeaderFields fields;
    for (std::size_t i = 0; i < 3; ++i) {
        fields.signature[i] = static_cast<char>(image.at(i));
    }
    fields.version = image.at(3);
    fields.declaredLength = ReadLe32(image, 4);
    swf::BitReader in = BodyReader(image);
    fields.frameRect = FieldsOf(in.rect());
    fields.frameRate8_8 = in.u16();
    fields.frameCount = in.u16();
    fields.bodyStart = 8 + FrameRectBytes(image.at(8) >> 3) + 4;
    return fields;
}

} // namespace quillon
