// Every stored sound format decodes to the right length, pitch, level and channel order.

#include "player/engine/MovieEngine.h"
#include "player/engine/characters/Sound.h"
#include "player/engine/sound/SoundDecoder.h"
#include "sound/SoundFixtures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

using engine::Pcm;

struct FormatCase {
    const char* name;
    SoundFormatSpec format;
    const char* encoder; // "" for uncompressed
    int rate;            // of the samples made
    std::size_t frames;
    bool lossy;
};

// Left 440 Hz, right (in stereo) 1000 Hz.
std::vector<double> Tones(bool stereo) {
    return stereo ? std::vector<double>{440, 1000} : std::vector<double>{440};
}

const FormatCase Cases[] = {
    {"pcm-le-16-stereo-44k", {3, 3, true, true}, "", 44100, 44100, false},
    {"pcm-native-16-mono-22k", {0, 2, true, false}, "", 22050, 22050, false},
    {"pcm-native-8-stereo-11k", {0, 1, false, true}, "", 11025, 11025, true},
    {"pcm-le-8-mono-5k", {3, 0, false, false}, "", 5512, 5512, true},
    {"adpcm-mono-22k", {1, 2, true, false}, "adpcm_swf", 22050, 4096, true},
    {"adpcm-stereo-44k", {1, 3, true, true}, "adpcm_swf", 44100, 4096, true},
    {"mp3-stereo-44k", {2, 3, true, true}, "libmp3lame", 44100, 44100, true},
    {"mp3-mono-22k", {2, 2, true, false}, "libmp3lame", 22050, 22050, true},
    {"nellymoser-16k", {4, 0, true, false}, "nellymoser", 16000, 16000, true},
    {"nellymoser-8k", {5, 0, true, false}, "nellymoser", 8000, 8000, true},
    {"nellymoser-22k", {6, 2, true, false}, "nellymoser", 22050, 22050, true},
    {"g711-alaw-11k", {7, 1, false, false}, "pcm_alaw", 11025, 11025, true},
    {"g711-mulaw-22k-stereo", {8, 2, false, true}, "pcm_mulaw", 22050, 22050, true},
};

class DecodeFormat : public ::testing::TestWithParam<FormatCase> {};

// The movie's own sound, read back through the engine.
std::shared_ptr<const engine::SoundCharacter> StoreAndLoad(const FormatCase& c,
                                                           const std::vector<std::int16_t>& samples,
                                                           engine::MovieEngine& movie) {
    MovieWriter writer(100, 100);
    const std::string encoder = c.encoder;
    if (encoder.empty()) {
        writer.defineSound(c.format, static_cast<std::uint32_t>(c.frames),
                           PcmBytes(samples, !c.format.sixteenBit));
    } else {
        const auto encoded = Encode(encoder, c.rate, c.format.stereo ? 2 : 1, samples);
        if (!encoded) {
            return nullptr;
        }
        writer.defineSound(c.format, static_cast<std::uint32_t>(c.frames), encoded->data,
                           static_cast<std::int16_t>(encoded->padding));
    }
    writer.showFrame();
    movie.loadBytes(writer.bytes());
    const auto& sounds = movie.sounds().sounds;
    return sounds.empty() ? nullptr : sounds.front();
}

TEST_P(DecodeFormat, LengthPitchLevelAndChannels) {
    const FormatCase& c = GetParam();
    const int channels = c.format.stereo ? 2 : 1;
    const auto samples = Sine(c.rate, c.frames, Tones(c.format.stereo));
    engine::MovieEngine movie;
    const auto sound = StoreAndLoad(c, samples, movie);
    if (!sound) {
        GTEST_SKIP() << "this build has no " << c.encoder << " encoder";
    }
    std::vector<std::string> warnings;
    const Pcm pcm = engine::DecodeSound(*sound, warnings);
    if (!warnings.empty() && pcm.frames() == 0) {
        GTEST_SKIP() << warnings.front();
    }
    ASSERT_EQ(pcm.channels, channels);
    // Frame-based codecs may only round up to a whole frame.
    EXPECT_GE(pcm.frames(), c.frames * 95 / 100);
    EXPECT_LE(pcm.frames(), c.frames + 1152);
    const double seconds = static_cast<double>(c.frames) / c.rate;
    const std::size_t skip = pcm.frames() / 10; // past any decoder warm-up
    const double measured = static_cast<double>(pcm.frames() - 2 * skip) / pcm.rate;
    const auto tones = Tones(c.format.stereo);
    for (int channel = 0; channel < channels; ++channel) {
        const int crossings =
            ZeroCrossings(pcm.samples, channels, channel, skip, pcm.frames() - skip);
        EXPECT_NEAR(crossings / measured / 2, tones[static_cast<std::size_t>(channel)],
                    tones[static_cast<std::size_t>(channel)] * 0.03)
            << "channel " << channel;
        const double rms = Rms(pcm.samples, channels, channel, skip, pcm.frames() - skip);
        EXPECT_NEAR(rms, 16000 / std::sqrt(2.0), c.lossy ? 2500 : 5) << "channel " << channel;
    }
    EXPECT_GT(seconds, 0);
    // At the mix rate: stereo at 44.1 kHz, lasting as long.
    const Pcm mixed = engine::ToMixFormat(pcm);
    EXPECT_EQ(mixed.frames(), static_cast<std::size_t>(engine::MixFramesFor(
                                  static_cast<std::int64_t>(pcm.frames()), pcm.rate)));
    const int mixedCrossings = ZeroCrossings(mixed.samples, 2, 0);
    EXPECT_NEAR(mixedCrossings, ZeroCrossings(pcm.samples, channels, 0), 4);
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeFormat, ::testing::ValuesIn(Cases), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// A 16 kHz Speex event sound of these bytes as a movie holds it, decoded without a warning.
Pcm DecodeSpeexSound(const Bytes& data, std::uint32_t samples) {
    MovieWriter writer(100, 100);
    writer.defineSound({11, 0, true, false}, samples, data);
    writer.showFrame();
    engine::MovieEngine movie;
    movie.loadBytes(writer.bytes());
    std::vector<std::string> warnings;
    Pcm pcm = engine::DecodeSound(*movie.sounds().sounds.front(), warnings);
    EXPECT_TRUE(warnings.empty());
    return pcm;
}

TEST(DecodeSound, SpeexFrameDecodesAtSixteenKilohertz) {
    const auto samples = Sine(16000, 320, {1000});
    const auto encoded = Encode("libspeex", 16000, 1, samples);
    if (!encoded) {
        GTEST_SKIP() << "this build has no Speex encoder";
    }
    const Pcm pcm = DecodeSpeexSound(encoded->packets.front(), 320);
    EXPECT_EQ(pcm.rate, 16000);
    EXPECT_EQ(pcm.frames(), 320u);
    EXPECT_GT(Rms(pcm.samples, 1, 0), 1000);
}

// A block of five 20 ms frames, as one packet of frames packed bit to bit (at bit rates
// that use different modes) or as five packets joined byte to byte (each padded with its
// terminator): every frame decodes.
TEST(DecodeSound, EverySpeexFrameOfABlockDecodes) {
    const auto samples = Sine(16000, 5 * 320, {1000});
    std::vector<Bytes> blocks;
    for (const char* rate : {"4000", "12000", "28000", "64000"}) {
        const auto packed =
            Encode("libspeex", 16000, 1, samples, std::string("frames_per_packet=5:b=") + rate);
        if (!packed) {
            GTEST_SKIP() << "this build has no Speex encoder";
        }
        ASSERT_EQ(packed->packets.size(), 1u);
        blocks.push_back(packed->data);
    }
    const auto single = Encode("libspeex", 16000, 1, samples);
    ASSERT_EQ(single->packets.size(), 5u);
    blocks.push_back(single->data);
    for (const Bytes& block : blocks) {
        const Pcm pcm = DecodeSpeexSound(block, 5 * 320);
        EXPECT_EQ(pcm.frames(), 5u * 320) << block.size() << " bytes";
        // The tone lasts to the end (faint at the lowest rate): the last frame is no silence.
        EXPECT_GT(Rms(pcm.samples, 1, 0, 4 * 320), 200) << block.size() << " bytes";
    }
}

TEST(DecodeSound, UnknownFormatIsSilentWithAWarning) {
    MovieWriter writer(100, 100);
    writer.defineSound({9, 3, true, false}, 100, Bytes(200, 7));
    writer.showFrame();
    engine::MovieEngine movie;
    movie.loadBytes(writer.bytes());
    ASSERT_EQ(movie.sounds().sounds.size(), 1u);
    std::vector<std::string> warnings;
    const Pcm pcm = engine::DecodeSound(*movie.sounds().sounds.front(), warnings);
    EXPECT_EQ(pcm.frames(), 0u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings.front().find("unknown"), std::string::npos);
}

TEST(DecodeSound, ClicksKeepTheirPlaceThroughResampling) {
    // Clicks of an 11 kHz sound land at four times their position at 44.1 kHz.
    const auto clicks = Clicks(1, 11025, 1000);
    MovieWriter writer(100, 100);
    writer.defineSound({3, 1, true, false}, 11025, PcmBytes(clicks, false));
    writer.showFrame();
    engine::MovieEngine movie;
    movie.loadBytes(writer.bytes());
    std::vector<std::string> warnings;
    const Pcm mixed =
        engine::ToMixFormat(engine::DecodeSound(*movie.sounds().sounds.front(), warnings));
    ASSERT_EQ(mixed.frames(), 44100u);
    for (std::size_t click = 1000; click < 11025; click += 1000) {
        std::size_t peak = click * 4 - 8;
        for (std::size_t i = click * 4 - 8; i < click * 4 + 8; ++i) {
            if (mixed.samples[2 * i] > mixed.samples[2 * peak]) {
                peak = i;
            }
        }
        EXPECT_NEAR(static_cast<double>(peak), click * 4.0, 2) << "click at " << click;
    }
}

} // namespace
} // namespace quillon::testing
