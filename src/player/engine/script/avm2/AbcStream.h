#pragma once
// The primitive reads of the ABC format. Every read checks what is left and throws
// AbcError naming the offset, so a truncated file never reads past its end.

#include "player/engine/script/avm2/AbcError.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quillon::avm2 {

class AbcStream {
public:
    explicit AbcStream(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

    std::uint8_t u8();
    std::uint16_t u16();
    std::int32_t s24();
    std::uint32_t u32(); // variable length, up to five bytes
    std::uint32_t u30();
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    double d64();
    std::string utf8(std::size_t length);
    std::span<const std::uint8_t> take(std::size_t length);

    // A count read from the file, refused when it could not fit in what is left
    // (each entry takes at least minBytes), so a damaged count cannot reserve memory.
    std::uint32_t count(const char* what, std::size_t minBytes = 1);
    // A constant pool's count, which includes the implied entry 0.
    std::uint32_t poolCount(const char* what, std::size_t minBytes = 1);
    [[noreturn]] void fail(const std::string& what) const;

private:
    void need(std::size_t n) const;

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace quillon::avm2
