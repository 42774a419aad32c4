#include "sound/SoundFixtures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libswresample/swresample.h>
}

namespace quillon::testing {

std::vector<std::int16_t> Sine(int rate, std::size_t frames, const std::vector<double>& hertz,
                               double amplitude) {
    const std::size_t channels = hertz.size();
    std::vector<std::int16_t> out(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        for (std::size_t c = 0; c < channels; ++c) {
            const double phase = 2 * std::numbers::pi * hertz[c] * static_cast<double>(i) / rate;
            out[i * channels + c] =
                static_cast<std::int16_t>(std::lround(amplitude * std::sin(phase)));
        }
    }
    return out;
}

std::vector<std::int16_t> Clicks(int channels, std::size_t frames, std::size_t period) {
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; i += period) {
        for (int c = 0; c < channels; ++c) {
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = 30000;
        }
    }
    return out;
}

Bytes PcmBytes(const std::vector<std::int16_t>& samples, bool eightBit) {
    Bytes out;
    for (const std::int16_t s : samples) {
        if (eightBit) {
            out.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
        } else {
            out.push_back(static_cast<std::uint8_t>(s & 0xff));
            out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xff));
        }
    }
    return out;
}

namespace {

void Drain(AVCodecContext* context, AVPacket* packet, Encoded& out) {
    while (avcodec_receive_packet(context, packet) == 0) {
        out.packets.emplace_back(packet->data, packet->data + packet->size);
        out.data.insert(out.data.end(), packet->data, packet->data + packet->size);
        av_packet_unref(packet);
    }
}

} // namespace

std::optional<Encoded> Encode(const std::string& encoder, int rate, int channels,
                              const std::vector<std::int16_t>& samples,
                              const std::string& options) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (!codec) {
        return std::nullopt;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = rate;
    av_channel_layout_default(&context->ch_layout, channels);
    context->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    context->bit_rate = 64000;
    AVDictionary* settings = nullptr;
    av_dict_parse_string(&settings, options.c_str(), "=", ":", 0);
    const int opened = avcodec_open2(context, codec, &settings);
    av_dict_free(&settings);
    if (opened < 0) {
        avcodec_free_context(&context);
        return std::nullopt;
    }
    SwrContext* swr = nullptr;
    swr_alloc_set_opts2(&swr, &context->ch_layout, context->sample_fmt, rate, &context->ch_layout,
                        AV_SAMPLE_FMT_S16, rate, 0, nullptr);
    swr_init(swr);
    Encoded out;
    out.padding = context->initial_padding;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    const std::size_t total = samples.size() / static_cast<std::size_t>(channels);
    const std::size_t step =
        context->frame_size > 0 ? static_cast<std::size_t>(context->frame_size) : 1024;
    for (std::size_t at = 0; at < total; at += step) {
        frame->nb_samples = static_cast<int>(std::min(step, total - at));
        if (!(codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) && context->frame_size > 0) {
            frame->nb_samples = context->frame_size; // the last frame is padded with silence
        }
        frame->format = context->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        frame->sample_rate = rate;
        av_frame_get_buffer(frame, 0);
        std::vector<std::int16_t> chunk(static_cast<std::size_t>(frame->nb_samples * channels), 0);
        std::copy_n(samples.begin() +
                        static_cast<std::ptrdiff_t>(at * static_cast<std::size_t>(channels)),
                    std::min(chunk.size(), (total - at) * static_cast<std::size_t>(channels)),
                    chunk.begin());
        const auto* in = reinterpret_cast<const std::uint8_t*>(chunk.data());
        swr_convert(swr, frame->data, frame->nb_samples, &in, frame->nb_samples);
        avcodec_send_frame(context, frame);
        av_frame_unref(frame);
        Drain(context, packet, out);
    }
    avcodec_send_frame(context, nullptr);
    Drain(context, packet, out);
    av_packet_free(&packet);
    av_frame_free(&frame);
    swr_free(&swr);
    avcodec_free_context(&context);
    return out;
}

int ZeroCrossings(const std::vector<std::int16_t>& samples, int channels, int channel,
                  std::size_t first, std::size_t last) {
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    last = std::min(last, frames);
    int count = 0;
    int previous = 0;
    for (std::size_t i = first; i < last; ++i) {
        const int s =
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
        const int sign = s > 0 ? 1 : (s < 0 ? -1 : 0);
        if (sign != 0 && previous != 0 && sign != previous) {
            ++count;
        }
        if (sign != 0) {
            previous = sign;
        }
    }
    return count;
}

double Rms(const std::vector<std::int16_t>& samples, int channels, int channel, std::size_t first,
           std::size_t last) {
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    last = std::min(last, frames);
    if (last <= first) {
        return 0;
    }
    double sum = 0;
    for (std::size_t i = first; i < last; ++i) {
        const double s =
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
        sum += s * s;
    }
    return std::sqrt(sum / static_cast<double>(last - first));
}

} // namespace quillon::testing
