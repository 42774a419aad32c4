#include "codec/swf/TagStream.h"

#include "codec/swf/TagCodes.h"

namespace quillon::swf {

TagStream::TagStream(std::span<const std::uint8_t> bytes, std::size_t start) : in_(bytes) {
    in_.seek(start);
}

TagRead TagStream::next(Tag& tag) {
    tag = Tag{};
    tag.offset = in_.position();
    if (in_.atEnd()) {
        return TagRead::NoMore;
    }
    if (in_.remaining() < 2) {
        in_.skip(in_.remaining());
        return TagRead::HeaderCut;
    }
    const std::uint16_t word = in_.u16();
    tag.code = word >> tags::CodeShift;
    std::size_t length = word & tags::LongLengthMark;
    if (length == tags::LongLengthMark) {
        if (in_.remaining() < 4) {
            in_.skip(in_.remaining());
            return TagRead::HeaderCut;
        }
        length = in_.u32();
    }
    const bool cut = length > in_.remaining();
    tag.body = in_.take(cut ? in_.remaining() : length);
    return cut ? TagRead::BodyCut : TagRead::Ok;
}

} // namespace quillon::swf
