// Sound figures on the shared corpus (or the folder given):
//   sound-corpus [CORPUS]
// 1. Every event sound and stream of every movie is decoded and brought to the mix
//    format: counts per format, those the build cannot decode, and failures (none
//    expected; a crash ends the run).
// 2. For the movies of CORPUS/ffmpeg with an MP3 stream on the main timeline: the sound
//    `quillon-cli audio` writes (one pass of the timeline) against a direct libavcodec
//    decode of the same MP3 frames, brought to 44.1 kHz stereo the same way; sample
//    for sample after the stream's start, and the stream's length against the
//    timeline's.

#include "codec/FolderSearch.h"
#include "player/engine/MovieEngine.h"
#include "player/engine/characters/Sound.h"
#include "player/engine/sound/SoundDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

using namespace quillon::engine;

namespace {

std::vector<std::string> Movies(const std::string& folder) {
    std::vector<std::string> paths;
    quillon::SearchSwfFiles(folder, paths);
    return paths;
}

struct Tally {
    int decoded = 0, missingDecoder = 0, damaged = 0, empty = 0;
    double seconds = 0;
};

void Count(std::map<std::string, Tally>& tallies, int codec, const Pcm& pcm,
           const std::vector<std::string>& warnings) {
    Tally& t = tallies[SoundCodecName(codec)];
    const bool missing = std::any_of(warnings.begin(), warnings.end(), [](const auto& w) {
        return w.find("cannot decode") != std::string::npos ||
               w.find("unknown") != std::string::npos;
    });
    const bool damaged = std::any_of(warnings.begin(), warnings.end(), [](const auto& w) {
        return w.find("damaged") != std::string::npos;
    });
    t.missingDecoder += missing;
    t.damaged += damaged && !missing;
    t.empty += !missing && pcm.frames() == 0;
    t.decoded += !missing && pcm.frames() > 0;
    t.seconds += static_cast<double>(ToMixFormat(pcm).frames()) / MixRate;
}

void DecodeAll(const std::vector<std::string>& movies) {
    std::map<std::string, Tally> tallies;
    int withSound = 0, unreadable = 0;
    for (const auto& path : movies) {
        MovieEngine movie;
        try {
            movie.load(path);
        } catch (const std::exception&) {
            ++unreadable;
            continue;
        }
        const SoundLibrary& library = movie.sounds();
        withSound += !library.sounds.empty() || !library.streams.empty();
        for (const auto& sound : library.sounds) {
            std::vector<std::string> warnings;
            Count(tallies, sound->format.codec, DecodeSound(*sound, warnings), warnings);
        }
        for (const auto& [timeline, stream] : library.streams) {
            std::vector<std::string> warnings;
            Count(tallies, stream->format.codec, DecodeStream(*stream, warnings).pcm, warnings);
        }
    }
    std::printf("decode: %zu movies, %d unreadable, %d with sound\n", movies.size(), unreadable,
                withSound);
    for (const auto& [name, t] : tallies) {
        std::printf("  %-15s decoded %4d  no decoder %3d  damaged %3d  empty %3d  %8.1f s\n",
                    name.c_str(), t.decoded, t.missingDecoder, t.damaged, t.empty, t.seconds);
    }
}

// The MP3 frames decoded by libavcodec directly, mono or stereo 16-bit at their rate.
Pcm DirectMp3(const std::vector<std::uint8_t>& bytes) {
    Pcm pcm;
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MP3);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    avcodec_open2(context, codec, nullptr);
    AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_MP3);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    SwrContext* swr = nullptr;
    std::vector<std::uint8_t> data(bytes);
    data.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE);
    const auto drain = [&] {
        while (avcodec_receive_frame(context, frame) == 0) {
            if (!swr) {
                pcm.rate = frame->sample_rate;
                pcm.channels = frame->ch_layout.nb_channels;
                swr_alloc_set_opts2(&swr, &frame->ch_layout, AV_SAMPLE_FMT_S16, pcm.rate,
                                    &frame->ch_layout, static_cast<AVSampleFormat>(frame->format),
                                    pcm.rate, 0, nullptr);
                swr_init(swr);
            }
            const std::size_t at = pcm.samples.size();
            pcm.samples.resize(at + static_cast<std::size_t>(frame->nb_samples * pcm.channels));
            auto* out = reinterpret_cast<std::uint8_t*>(pcm.samples.data() + at);
            swr_convert(swr, &out, frame->nb_samples,
                        const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
        }
    };
    const std::uint8_t* in = data.data();
    int left = static_cast<int>(bytes.size());
    while (true) {
        std::uint8_t* out = nullptr;
        int size = 0;
        const int used = av_parser_parse2(parser, context, &out, &size, in, left, AV_NOPTS_VALUE,
                                          AV_NOPTS_VALUE, 0);
        in += used;
        left -= used;
        if (size > 0) {
            packet->data = out;
            packet->size = size;
            avcodec_send_packet(context, packet);
            drain();
        }
        if (left <= 0 && size == 0) {
            break;
        }
    }
    avcodec_send_packet(context, nullptr);
    drain();
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&packet);
    av_parser_close(parser);
    avcodec_free_context(&context);
    return pcm;
}

void CompareMp3Stream(const std::string& path) {
    MovieEngine movie;
    movie.load(path);
    const StreamSound* stream = nullptr;
    for (const auto& [timeline, s] : movie.sounds().streams) {
        if (timeline == 0 && s->format.codec == static_cast<int>(SoundCodec::Mp3)) {
            stream = s.get();
        }
    }
    if (!stream || stream->blocks.empty()) {
        return;
    }
    std::vector<std::int16_t> audio;
    for (int n = 0; n < movie.frameCount(); ++n) {
        if (n > 0) {
            movie.advance();
        }
        movie.renderSound(audio);
    }
    std::vector<std::uint8_t> bytes;
    for (const auto& block : stream->blocks) {
        bytes.insert(bytes.end(), block.data.begin(), block.data.end());
    }
    Pcm direct = DirectMp3(bytes);
    const std::size_t skip = std::min<std::size_t>(stream->latencySeek, direct.frames());
    direct.samples.erase(direct.samples.begin(),
                         direct.samples.begin() +
                             static_cast<std::ptrdiff_t>(skip * direct.channels));
    const Pcm expected = ToMixFormat(direct);
    const double fps = movie.frameRate8_8() / 256.0;
    const auto start = static_cast<std::size_t>(stream->blocks.front().frame * MixRate / fps) * 2;
    std::size_t compared = 0, differing = 0;
    int worst = 0;
    for (std::size_t i = 0; start + i < audio.size() && i < expected.samples.size();
         ++i, ++compared) {
        const int diff = std::abs(audio[start + i] - expected.samples[i]);
        differing += diff != 0;
        worst = std::max(worst, diff);
    }
    const double streamFrames = static_cast<double>(expected.frames()) / MixRate * fps;
    std::printf("mp3 stream: %s\n  %zu samples compared from sample %zu, %zu differ (largest "
                "difference %d)\n  stream %.2f frames long, timeline %d frames (%+.2f)\n",
                path.c_str(), compared / 2, start / 2, differing, worst, streamFrames,
                movie.frameCount(), streamFrames - movie.frameCount());
}

} // namespace

int main(int argc, char** argv) {
    const std::string corpus = argc > 1 ? argv[1] : QUILLON_SOURCE_DIR "/../../shared/corpus";
    if (!std::filesystem::is_directory(corpus)) {
        std::fprintf(stderr, "no corpus at %s\n", corpus.c_str());
        return 1;
    }
    DecodeAll(Movies(corpus));
    if (std::filesystem::is_directory(corpus + "/ffmpeg")) {
        for (const auto& path : Movies(corpus + "/ffmpeg")) {
            CompareMp3Stream(path);
        }
    }
    return 0;
}
