// The sound tags of the movie writer.

#include "support/MovieWriter.h"

namespace quillon::testing {

// Tag codes of the sound tags.
constexpr int DefineSound = 14, StartSound = 15, DefineButtonSound = 17, SoundStreamBlock = 19,
              SoundStreamHead2 = 45, ExportAssets = 56, StartSound2 = 89;

Bytes SoundInfoSpec::bytes() const {
    BitWriter w;
    std::uint8_t flags = 0;
    flags |= syncStop ? 0x20 : 0;
    flags |= noMultiple ? 0x10 : 0;
    flags |= envelope.empty() ? 0 : 0x08;
    flags |= loops ? 0x04 : 0;
    flags |= outPoint ? 0x02 : 0;
    flags |= inPoint ? 0x01 : 0;
    w.u8(flags);
    if (inPoint) {
        w.u32(*inPoint);
    }
    if (outPoint) {
        w.u32(*outPoint);
    }
    if (loops) {
        w.u16(*loops);
    }
    if (!envelope.empty()) {
        w.u8(static_cast<std::uint8_t>(envelope.size()));
        for (const Point& point : envelope) {
            w.u32(point.position);
            w.u16(point.left);
            w.u16(point.right);
        }
    }
    return w.take();
}

std::uint8_t SoundFormatSpec::byte() const {
    return static_cast<std::uint8_t>(codec << 4 | (rateCode & 3) << 2 | (sixteenBit ? 2 : 0) |
                                     (stereo ? 1 : 0));
}

void TagStream::startSound(std::uint16_t soundId, const SoundInfoSpec& info) {
    BitWriter w;
    w.u16(soundId);
    w.bytes(info.bytes());
    tag(StartSound, w.data());
}

void TagStream::startSound2(const std::string& className, const SoundInfoSpec& info) {
    BitWriter w;
    w.string(className);
    w.bytes(info.bytes());
    tag(StartSound2, w.data());
}

void TagStream::soundStreamHead(const SoundFormatSpec& format, std::uint16_t samplesPerFrame,
                                std::int16_t latencySeek) {
    BitWriter w;
    w.u8(static_cast<std::uint8_t>(format.byte() & 0x0f));
    w.u8(format.byte());
    w.u16(samplesPerFrame);
    if (format.codec == 2) {
        w.u16(static_cast<std::uint16_t>(latencySeek));
    }
    tag(SoundStreamHead2, w.data());
}

void TagStream::soundStreamBlock(const Bytes& data) {
    tag(SoundStreamBlock, data);
}

void TagStream::soundStreamBlockMp3(std::uint16_t sampleCount, std::int16_t seekSamples,
                                    const Bytes& frames) {
    BitWriter w;
    w.u16(sampleCount);
    w.u16(static_cast<std::uint16_t>(seekSamples));
    w.bytes(frames);
    tag(SoundStreamBlock, w.data());
}

std::uint16_t MovieWriter::defineSound(const SoundFormatSpec& format, std::uint32_t sampleCount,
                                       const Bytes& data, std::int16_t mp3SeekSamples) {
    const std::uint16_t id = takeId();
    BitWriter w;
    w.u16(id);
    w.u8(format.byte());
    w.u32(sampleCount);
    if (format.codec == 2) {
        w.u16(static_cast<std::uint16_t>(mp3SeekSamples));
    }
    w.bytes(data);
    tag(DefineSound, w.data());
    return id;
}

void MovieWriter::defineButtonSound(
    std::uint16_t buttonId, const std::vector<std::pair<std::uint16_t, SoundInfoSpec>>& sounds) {
    BitWriter w;
    w.u16(buttonId);
    for (const auto& [soundId, info] : sounds) {
        w.u16(soundId);
        if (soundId != 0) {
            w.bytes(info.bytes());
        }
    }
    tag(DefineButtonSound, w.data());
}

void MovieWriter::exportAsset(std::uint16_t id, const std::string& name) {
    BitWriter w;
    w.u16(1);
    w.u16(id);
    w.string(name);
    tag(ExportAssets, w.data());
}

} // namespace quillon::testing
