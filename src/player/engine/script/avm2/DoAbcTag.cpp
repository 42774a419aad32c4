#include "player/engine/script/avm2/DoAbcTag.h"

#include "player/engine/script/avm2/AbcError.h"

#include <algorithm>

namespace quillon::avm2 {

DoAbcBody ReadDoAbcBody(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    DoAbcBody result;
    if (tagCode != kDoAbc2Tag) {
        result.abc = body;
        return result;
    }
    if (body.size() < 4) {
        throw AbcError("Damaged DoABC tag: the flags are cut off");
    }
    result.flags = body[0] | (body[1] << 8) | (body[2] << 16) | (std::uint32_t(body[3]) << 24);
    const auto nameStart = body.begin() + 4;
    const auto nameEnd = std::find(nameStart, body.end(), std::uint8_t{0});
    if (nameEnd == body.end()) {
        throw AbcError("Damaged DoABC tag: the name has no end");
    }
    result.name.assign(nameStart, nameEnd);
    result.abc = body.subspan(static_cast<std::size_t>(nameEnd - body.begin()) + 1);
    return result;
}

} // namespace quillon::avm2
