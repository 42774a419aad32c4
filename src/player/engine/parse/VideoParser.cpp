#include "codec/swf/TagCodes.h"
#include "player/engine/parse/DefinitionParsers.h"

namespace quillon::engine {

void ParseVideoTag(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t id = in.u16();
    if (tag.code == swf::tags::VideoFrame) {
        auto video = context.dictionary.findAs<VideoCharacter>(id, context.dictionary.epoch());
        if (!video) {
            context.warn("video frame for an unknown stream " + std::to_string(id));
            return;
        }
        const int number = in.u16();
        const auto data = in.rest();
        video->frames[number].assign(data.begin(), data.end());
        return;
    }
    auto video = std::make_shared<VideoCharacter>();
    in.u16(); // frame count
    video->width = in.u16();
    video->height = in.u16();
    const std::uint8_t flags = in.u8();
    video->deblocking = (flags >> 1) & 7;
    video->smoothing = flags & 1;
    video->codec = in.u8();
    context.dictionary.define(id, std::move(video));
}

} // namespace quillon::engine
