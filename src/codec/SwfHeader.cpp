#include "SwfHeader.h"

namespace quillon {

namespace {

std::uint32_t ReadLe32(const MemoryStream& image, std::size_t offset) {
    return std::uint32_t(image.at(offset)) | std::uint32_t(image.at(offset + 1)) << 8 |
           std::uint32_t(image.at(offset + 2)) << 16 | std::uint32_t(image.at(offset + 3)) << 24;
}

} // namespace

std::array<std::int32_t, 4> ReadFrameRect(MemoryStream& image) {
    const unsigned nbits = image.at(8) >> 3;
    std::array<std::int32_t, 4> fields{};
    std::size_t bitPosition = 8 * 8 + 5; // the first field starts after Nbits
    for (auto& field : fields) {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < nbits; ++i, ++bitPosition) {
            const unsigned bit = (image.at(bitPosition / 8) >> (7 - bitPosition % 8)) & 1;
            value = value << 1 | bit;
        }
        if (nbits > 0 && (value >> (nbits - 1)) & 1) {
            field = static_cast<std::int32_t>(static_cast<std::int64_t>(value) -
                                              (std::int64_t(1) << nbits));
        } else {
            field = static_cast<std::int32_t>(value);
        }
    }
    return fields;
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
    fields.frameRect = ReadFrameRect(image);
    const std::size_t r = FrameRectBytes(image.at(8) >> 3);
    fields.frameRate8_8 = static_cast<std::uint16_t>(image.at(8 + r) | image.at(9 + r) << 8);
    fields.frameCount = static_cast<std::uint16_t>(image.at(10 + r) | image.at(11 + r) << 8);
    fields.bodyStart = 12 + r;
    return fields;
}

} // namespace quillon
