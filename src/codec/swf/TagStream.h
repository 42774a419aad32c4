#pragma once
// Walks a stream of tags: the top level of a plain movie from the end of its header,
// or the body of a sprite. Reads tag headers only; the bodies are views of the bytes.

#include "codec/swf/BitReader.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quillon::swf {

struct Tag {
    int code = 0;
    std::size_t offset = 0; // of the tag header within the stream's bytes
    std::span<const std::uint8_t> body;
};

enum class TagRead {
    Ok,
    NoMore,    // the bytes ended between tags
    HeaderCut, // the bytes ended inside a tag header (code 0 when not even that is there)
    BodyCut,   // the body runs past the end; the tag holds what is there of it
};

class TagStream {
public:
    explicit TagStream(std::span<const std::uint8_t> bytes, std::size_t start = 0);

    // Reads the next tag. After anything but Ok the stream stays at its end.
    TagRead next(Tag& tag);
    std::size_t position() const { return in_.position(); }

private:
    BitReader in_;
};

} // namespace quillon::swf
