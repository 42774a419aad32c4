#include "player/engine/script/avm2/DoAbcTag.h"

#include "codec/swf/BitReader.h"
#include "player/engine/script/avm2/AbcError.h"

namespace quillon::avm2 {

DoAbcBody ReadDoAbcBody(std::uint16_t tagCode, std::span<const std::uint8_t> body) {
    DoAbcBody result;
    if (tagCode != kDoAbc2Tag) {
        result.abc = body;
        return result;
    }
    swf::BitReader in(body);
    result.flags = in.u32();
    if (in.overrun()) {
        throw AbcError("Damaged DoABC tag: the flags are cut off");
    }
    result.name = in.string();
    if (in.overrun()) {
        throw AbcError("Damaged DoABC tag: the name has no end");
    }
    result.abc = in.rest();
    return result;
}

} // namespace quillon::avm2
