#pragma once
// A decoder of a compressed movie body, driven a piece at a time by the block loop of
// SwfImage.cpp. The zlib and LZMA bodies each have one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quillon {

enum class DecodeStatus {
    Progress,  // more output may follow
    StreamEnd, // the compressed stream ended (zlib's end, LZMA's end marker)
    Exhausted, // the input ran out before the stream ended
    Corrupt,   // the decoder found the data corrupt
    Failed,    // any other decoder error
};

// A library's status code that always means the same thing.
struct LibraryStatus {
    int code;
    DecodeStatus meaning;
};

// The meaning of `code` in `table`, or nothing when the decoder must judge it itself.
inline std::optional<DecodeStatus> Lookup(std::span<const LibraryStatus> table, int code) {
    for (const LibraryStatus& entry : table) {
        if (entry.code == code) {
            return entry.meaning;
        }
    }
    return std::nullopt;
}

class BodyDecoder {
public:
    virtual ~BodyDecoder() = default;
    // Decodes into out[0, room), adding the bytes written to `written`.
    virtual DecodeStatus decode(std::uint8_t* out, std::size_t room, std::size_t& written) = 0;
    // Input bytes the decoder has not consumed (after StreamEnd: what follows the stream).
    virtual std::size_t inputLeft() const = 0;
};

} // namespace quillon
