#pragma once
// The body of a DoABC2 tag (flags, name, ABC bytes) or of the older DoABC tag (the
// ABC bytes alone).

#include <cstdint>
#include <span>
#include <string>

namespace quillon::avm2 {

inline constexpr std::uint16_t kDoAbcTag = 72;
inline constexpr std::uint16_t kDoAbc2Tag = 82;
inline constexpr std::uint32_t kDoAbcLazyInitialize = 1;

struct DoAbcBody {
    std::uint32_t flags = 0;
    std::string name;
    std::span<const std::uint8_t> abc; // points into the tag body
    bool lazy() const { return flags & kDoAbcLazyInitialize; }
};

// Throws AbcError when the flags or the name run past the body.
DoAbcBody ReadDoAbcBody(std::uint16_t tagCode, std::span<const std::uint8_t> body);

} // namespace quillon::avm2
