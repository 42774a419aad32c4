#include "player/engine/sound/PacketDecoder.h"

#include "player/engine/sound/SpeexFrames.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace quillon::engine {

namespace {

struct CodecChoice {
    AVCodecID id = AV_CODEC_ID_NONE;
    int rate = 0;
    int channels = 1;
};

CodecChoice ChooseCodec(const SoundFormat& format) {
    CodecChoice choice{AV_CODEC_ID_NONE, format.rate, format.channels};
    switch (static_cast<SoundCodec>(format.codec)) {
    case SoundCodec::PcmNative:
    case SoundCodec::PcmLittle:
        // The native order is the authoring machine's, which was little-endian.
        choice.id = format.bits == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
        break;
    case SoundCodec::Adpcm:
        choice.id = AV_CODEC_ID_ADPCM_SWF;
        break;
    case SoundCodec::Mp3:
        choice.id = AV_CODEC_ID_MP3;
        break;
    case SoundCodec::Nellymoser16k:
        choice = {AV_CODEC_ID_NELLYMOSER, 16000, 1};
        break;
    case SoundCodec::Nellymoser8k:
        choice = {AV_CODEC_ID_NELLYMOSER, 8000, 1};
        break;
    case SoundCodec::Nellymoser:
        choice = {AV_CODEC_ID_NELLYMOSER, format.rate, 1};
        break;
    case SoundCodec::G711ALaw:
        choice.id = AV_CODEC_ID_PCM_ALAW;
        break;
    case SoundCodec::G711MuLaw:
        choice.id = AV_CODEC_ID_PCM_MULAW;
        break;
    case SoundCodec::Speex:
        choice = {AV_CODEC_ID_SPEEX, 16000, 1};
        break;
    }
    return choice;
}

} // namespace

struct PacketDecoder::Impl {
    AVCodecContext* context = nullptr;
    AVCodecParserContext* parser = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* converter = nullptr;
    int blockAlign = 0;
    bool speex = false; // a block of several frames, sent one frame a packet
    bool errors = false;

    ~Impl() {
        swr_free(&converter);
        av_frame_free(&frame);
        av_packet_free(&packet);
        av_parser_close(parser);
        avcodec_free_context(&context);
    }

    void send(const std::uint8_t* data, int size, Pcm& out, std::size_t maxFrames);
    void receive(Pcm& out, std::size_t maxFrames);
    void append(Pcm& out, std::size_t maxFrames);
};

PacketDecoder::PacketDecoder() : impl_(std::make_unique<Impl>()) {}
PacketDecoder::~PacketDecoder() = default;

bool PacketDecoder::hadErrors() const {
    return impl_->errors;
}

bool PacketDecoder::open(const SoundFormat& format, std::string& reason) {
    const CodecChoice choice = ChooseCodec(format);
    if (choice.id == AV_CODEC_ID_NONE) {
        reason = "sound format " + std::to_string(format.codec) + " is unknown";
        return false;
    }
    const AVCodec* codec = avcodec_find_decoder(choice.id);
    if (!codec) {
        reason = "this build cannot decode " + SoundCodecName(format.codec) + " sound";
        return false;
    }
    Impl& d = *impl_;
    d.context = avcodec_alloc_context3(codec);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.context || !d.packet || !d.frame) {
        reason = "not enough memory for a sound decoder";
        return false;
    }
    d.context->sample_rate = std::max(1, choice.rate);
    av_channel_layout_default(&d.context->ch_layout, choice.channels);
    if (choice.id == AV_CODEC_ID_PCM_ALAW || choice.id == AV_CODEC_ID_PCM_MULAW) {
        d.blockAlign = choice.channels;
        d.context->block_align = d.blockAlign;
    }
    if (choice.id == AV_CODEC_ID_PCM_U8 || choice.id == AV_CODEC_ID_PCM_S16LE) {
        d.blockAlign = choice.channels * (format.bits == 8 ? 1 : 2);
        d.context->block_align = d.blockAlign;
    }
    if (choice.id == AV_CODEC_ID_MP3) {
        d.parser = av_parser_init(AV_CODEC_ID_MP3);
    }
    d.speex = choice.id == AV_CODEC_ID_SPEEX;
    if (avcodec_open2(d.context, codec, nullptr) < 0) {
        reason = "the " + SoundCodecName(format.codec) + " decoder could not be opened";
        return false;
    }
    return true;
}

void PacketDecoder::decode(std::span<const std::uint8_t> bytes, Pcm& out, std::size_t maxFrames) {
    Impl& d = *impl_;
    if (!d.context) {
        return;
    }
    if (d.speex) {
        for (std::vector<std::uint8_t>& frame : SplitSpeexFrames(bytes)) {
            frame.resize(frame.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            d.send(frame.data(), static_cast<int>(frame.size() - AV_INPUT_BUFFER_PADDING_SIZE), out,
                   maxFrames);
        }
        return;
    }
    std::size_t size = bytes.size();
    if (d.blockAlign > 0) {
        size -= size % static_cast<std::size_t>(d.blockAlign);
    }
    // The parser and decoders read a little past the end of what they are given.
    std::vector<std::uint8_t> padded(bytes.begin(),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(size));
    padded.resize(size + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const std::uint8_t* data = padded.data();
    int left = static_cast<int>(std::min<std::size_t>(size, INT32_MAX / 2));
    if (!d.parser) {
        d.send(data, left, out, maxFrames);
        return;
    }
    while (left > 0) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        const int used = av_parser_parse2(d.parser, d.context, &frameData, &frameSize, data, left,
                                          AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used < 0) {
            d.errors = true;
            return;
        }
        data += used;
        left -= used;
        if (frameSize > 0) {
            d.send(frameData, frameSize, out, maxFrames);
        }
        if (used == 0 && frameSize == 0) {
            break;
        }
    }
}

void PacketDecoder::flush(Pcm& out, std::size_t maxFrames) {
    Impl& d = *impl_;
    if (!d.context) {
        return;
    }
    if (d.parser) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        av_parser_parse2(d.parser, d.context, &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE,
                         AV_NOPTS_VALUE, 0);
        if (frameSize > 0) {
            d.send(frameData, frameSize, out, maxFrames);
        }
    }
    if (avcodec_send_packet(d.context, nullptr) >= 0) {
        d.receive(out, maxFrames);
    }
}

void PacketDecoder::Impl::send(const std::uint8_t* data, int size, Pcm& out,
                               std::size_t maxFrames) {
    if (size <= 0) {
        return;
    }
    packet->data = const_cast<std::uint8_t*>(data);
    packet->size = size;
    const int sent = avcodec_send_packet(context, packet);
    av_packet_unref(packet);
    if (sent < 0) {
        errors = true; // a damaged packet: the next one starts afresh
        return;
    }
    receive(out, maxFrames);
}

void PacketDecoder::Impl::receive(Pcm& out, std::size_t maxFrames) {
    for (;;) {
        const int got = avcodec_receive_frame(context, frame);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
            return;
        }
        if (got < 0) {
            errors = true;
            return;
        }
        append(out, maxFrames);
        av_frame_unref(frame);
    }
}

void PacketDecoder::Impl::append(Pcm& out, std::size_t maxFrames) {
    const int channels = std::clamp(frame->ch_layout.nb_channels, 1, 2);
    if (!converter) {
        out.rate = frame->sample_rate > 0 ? frame->sample_rate : context->sample_rate;
        out.channels = channels;
        AVChannelLayout layout;
        av_channel_layout_default(&layout, channels);
        if (swr_alloc_set_opts2(&converter, &layout, AV_SAMPLE_FMT_S16, out.rate, &frame->ch_layout,
                                static_cast<AVSampleFormat>(frame->format), out.rate, 0,
                                nullptr) < 0 ||
            swr_init(converter) < 0) {
            swr_free(&converter);
            errors = true;
            return;
        }
    }
    if (frame->sample_rate != out.rate || channels != out.channels) {
        errors = true; // a stream that changes its format mid-way: the odd frames are dropped
        return;
    }
    const std::size_t have = out.frames();
    if (have >= maxFrames || frame->nb_samples <= 0) {
        return;
    }
    const int count = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(frame->nb_samples), maxFrames - have));
    out.samples.resize((have + static_cast<std::size_t>(count)) *
                       static_cast<std::size_t>(out.channels));
    auto* target = reinterpret_cast<std::uint8_t*>(out.samples.data() +
                                                   have * static_cast<std::size_t>(out.channels));
    const int converted =
        swr_convert(converter, &target, count,
                    const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    out.samples.resize((have + static_cast<std::size_t>(std::max(0, converted))) *
                       static_cast<std::size_t>(out.channels));
}

} // namespace quillon::engine
