#pragma once
// Reads the bytes and bit fields of a movie: the header, tag headers and tag bodies.
// Integers are little-endian, bit fields most significant bit first. Reading past the
// end never fails: it yields zeros and marks the reader as overrun, so damaged records
// end early instead of throwing from deep inside a parser.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quillon::swf {

// A rectangle as a movie stores it, in twips.
struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool operator==(const Rect&) const = default;
};

class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t remaining() const { return pos_ < bytes_.size() ? bytes_.size() - pos_ : 0; }
    bool overrun() const { return overrun_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }
    void seek(std::size_t pos);
    void skip(std::size_t count) { seek(pos_ + count); }
    // The bytes from here to the end, or count of them.
    std::span<const std::uint8_t> rest() const;
    std::span<const std::uint8_t> take(std::size_t count);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    float fixed8() { return s16() / 256.0f; }
    float fixed16() { return static_cast<std::int32_t>(u32()) / 65536.0f; }
    float f32();
    // A zero-terminated string.
    std::string string();
    // ULEB-style 32-bit value of the later file versions.
    std::uint32_t encodedU32();

    // Bit fields, most significant bit first; a byte read realigns.
    std::uint32_t ub(unsigned bits);
    std::int32_t sb(unsigned bits);
    double fb(unsigned bits) { return sb(bits) / 65536.0; }
    bool flag() { return ub(1) != 0; }
    void align() { bitCount_ = 0; }

    // A rectangle: five bits of field width, then Xmin, Xmax, Ymin, Ymax.
    Rect rect();

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::uint8_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    bool overrun_ = false;
};

// The length in bytes of a rectangle whose fields are nbits wide.
constexpr std::size_t RectBytes(unsigned nbits) {
    return (5 + 4 * nbits + 7) / 8;
}

} // namespace quillon::swf
