#include "player/engine/script/avm2/AbcStream.h"

#include <cstring>

namespace quillon::avm2 {

void AbcStream::fail(const std::string& what) const {
    throw AbcError("Damaged ABC data: " + what + " at byte " + std::to_string(pos_));
}

void AbcStream::need(std::size_t n) const {
    if (n > remaining()) {
        fail("unexpected end of data");
    }
}

std::uint8_t AbcStream::u8() {
    need(1);
    return bytes_[pos_++];
}

std::uint16_t AbcStream::u16() {
    need(2);
    const std::uint16_t value = bytes_[pos_] | (bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return value;
}

std::int32_t AbcStream::s24() {
    need(3);
    std::uint32_t value = bytes_[pos_] | (bytes_[pos_ + 1] << 8) | (bytes_[pos_ + 2] << 16);
    pos_ += 3;
    if (value & 0x800000u) {
        value |= 0xff000000u;
    }
    return static_cast<std::int32_t>(value);
}

std::uint32_t AbcStream::u32() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        const std::uint8_t byte = u8();
        value |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) {
            break;
        }
    }
    return value;
}

std::uint32_t AbcStream::u30() {
    return u32() & 0x3fffffffu;
}

double AbcStream::d64() {
    need(8);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = (bits << 8) | bytes_[pos_ + i];
    }
    pos_ += 8;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::span<const std::uint8_t> AbcStream::take(std::size_t length) {
    need(length);
    const auto part = bytes_.subspan(pos_, length);
    pos_ += length;
    return part;
}

std::string AbcStream::utf8(std::size_t length) {
    const auto part = take(length);
    return std::string(part.begin(), part.end());
}

std::uint32_t AbcStream::count(const char* what, std::size_t minBytes) {
    const std::uint32_t n = u30();
    if (static_cast<std::uint64_t>(n) * minBytes > remaining()) {
        fail(std::string(what) + " count " + std::to_string(n) + " larger than the data");
    }
    return n;
}

} // namespace quillon::avm2

namespace quillon::avm2 {

std::uint32_t AbcStream::poolCount(const char* what, std::size_t minBytes) {
    const std::uint32_t n = u30();
    const std::uint64_t entries = n ? n - 1 : 0;
    if (entries * minBytes > remaining()) {
        fail(std::string(what) + " count " + std::to_string(n) + " larger than the data");
    }
    return n;
}

} // namespace quillon::avm2
