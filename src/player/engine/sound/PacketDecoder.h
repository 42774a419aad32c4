#pragma once
// One libavcodec audio decoder for a movie sound format, turning packets of stored
// bytes into interleaved 16-bit samples at the sound's own rate.

#include "player/engine/characters/SoundData.h"
#include "player/engine/sound/Pcm.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quillon::engine {

class PacketDecoder {
public:
    PacketDecoder();
    ~PacketDecoder();

    // Opens the decoder for a format; false, with the reason, when the installed
    // libavcodec lacks it or the format is unknown.
    bool open(const SoundFormat& format, std::string& reason);
    // Decodes the bytes of one block (MP3 is split into its frames first) and appends
    // the samples to out, whose rate and channels the first decoded frame sets. Damaged
    // data is skipped. Stops adding past maxFrames samples per channel.
    void decode(std::span<const std::uint8_t> bytes, Pcm& out, std::size_t maxFrames);
    // Drains what the decoder still holds.
    void flush(Pcm& out, std::size_t maxFrames);
    // True once some data could not be decoded.
    bool hadErrors() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillon::engine
