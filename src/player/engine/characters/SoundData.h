#pragma once
// Sound data as parsed: formats, the sound info that starts or stops an event sound, and
// the stream sound of a timeline. Decoding happens later, in the sound layer.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

// The codec numbers of the movie format (7 and 8, G.711, come from the video container
// format that shares these numbers; some movies hold them all the same).
enum class SoundCodec : int {
    PcmNative = 0, // uncompressed, written in the authoring machine's byte order
    Adpcm = 1,
    Mp3 = 2,
    PcmLittle = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    G711ALaw = 7,
    G711MuLaw = 8,
    Speex = 11,
};

struct SoundFormat {
    int codec = 0;   // a SoundCodec value, or an unknown number as stored
    int rate = 5512; // samples a second of the data as stored
    int bits = 16;
    int channels = 1;
};

// The rate a format's two-bit rate field names (5.5, 11, 22 or 44 kHz).
int SoundRateOfCode(int code);
// A short name for listings ("mp3", "adpcm", "nellymoser", ...).
std::string SoundCodecName(int codec);

struct EnvelopePoint {
    std::uint32_t position = 0;                // in samples at 44.1 kHz from the start of playback
    std::uint16_t left = 32768, right = 32768; // 32768 is full level
};

struct SoundInfo {
    bool syncStop = false;
    bool noMultiple = false;
    std::optional<std::uint32_t> inPoint, outPoint; // samples at 44.1 kHz
    int loops = 1;
    std::vector<EnvelopePoint> envelope;
};

// A StartSound or StartSound2 of a frame, or one transition sound of a button.
struct SoundStart {
    std::uint16_t soundId = 0;
    std::string className; // StartSound2 names the sound by its class
    std::uint32_t epoch = 0;
    SoundInfo info;
};

// The stream sound of one timeline: the head's format and each frame's block.
struct StreamSound {
    SoundFormat format;
    int samplesPerFrame = 0; // as the head declares
    int latencySeek = 0;     // MP3: samples to skip at the start of the stream
    struct Block {
        int frame = 0;
        int sampleCount = 0;            // MP3: as the block declares; 0 when unknown
        std::vector<std::uint8_t> data; // for MP3 the frames alone
    };
    std::vector<Block> blocks;
};

} // namespace quillon::engine
