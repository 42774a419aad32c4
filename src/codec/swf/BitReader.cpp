#include "codec/swf/BitReader.h"

#include <algorithm>
#include <cstring>

namespace quillon::swf {

void BitReader::seek(std::size_t pos) {
    align();
    if (pos > bytes_.size()) {
        overrun_ = true;
        pos = bytes_.size();
    }
    pos_ = pos;
}

std::span<const std::uint8_t> BitReader::rest() const {
    return pos_ < bytes_.size() ? bytes_.subspan(pos_) : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> BitReader::take(std::size_t count) {
    align();
    const std::size_t n = std::min(count, remaining());
    if (n < count) {
        overrun_ = true;
    }
    auto out = bytes_.subspan(std::min(pos_, bytes_.size()), n);
    pos_ += n;
    return out;
}

std::uint8_t BitReader::u8() {
    align();
    if (pos_ >= bytes_.size()) {
        overrun_ = true;
        return 0;
    }
    return bytes_[pos_++];
}

std::uint16_t BitReader::u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t BitReader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

float BitReader::f32() {
    const std::uint32_t bits = u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string BitReader::string() {
    align();
    std::string out;
    while (pos_ < bytes_.size() && bytes_[pos_] != 0) {
        out.push_back(static_cast<char>(bytes_[pos_++]));
    }
    if (pos_ < bytes_.size()) {
        ++pos_;
    } else {
        overrun_ = true;
    }
    return out;
}

std::uint32_t BitReader::encodedU32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        const std::uint8_t byte = u8();
        value |= static_cast<std::uint32_t>(byte & 0x7f) << (7 * i);
        if (!(byte & 0x80)) {
            break;
        }
    }
    return value;
}

std::uint32_t BitReader::ub(unsigned bits) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < bits; ++i) {
        if (bitCount_ == 0) {
            if (pos_ >= bytes_.size()) {
                overrun_ = true;
                bitBuffer_ = 0;
            } else {
                bitBuffer_ = bytes_[pos_++];
            }
            bitCount_ = 8;
        }
        --bitCount_;
        value = (value << 1) | ((bitBuffer_ >> bitCount_) & 1u);
    }
    return value;
}

std::int32_t BitReader::sb(unsigned bits) {
    if (bits == 0) {
        return 0;
    }
    const std::uint32_t raw = ub(bits);
    if (bits < 32 && (raw & (1u << (bits - 1)))) {
        return static_cast<std::int32_t>(raw | ~((1u << bits) - 1));
    }
    return static_cast<std::int32_t>(raw);
}

Rect BitReader::rect() {
    align();
    const unsigned nbits = ub(5);
    Rect out;
    out.xMin = sb(nbits);
    out.xMax = sb(nbits);
    out.yMin = sb(nbits);
    out.yMax = sb(nbits);
    align();
    return out;
}

} // namespace quillon::swf
