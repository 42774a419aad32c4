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

// The decoder of each coded format, and the rate and channels it decodes at where the
// format fixes them (0: as the sound's header says). Uncompressed sound is chosen by its
// sample size.
struct CodecRow {
    SoundCodec codec;
    AVCodecID id;
    int rate, channels;
};
constexpr CodecRow CodecTable[] = {
    {SoundCodec::Adpcm, AV_CODEC_ID_ADPCM_SWF, 0, 0},
    {SoundCodec::Mp3, AV_CODEC_ID_MP3, 0, 0},
    {SoundCodec::Nellymoser16k, AV_CODEC_ID_NELLYMOSER, 16000, 1},
    {SoundCodec::Nellymoser8k, AV_CODEC_ID_NELLYMOSER, 8000, 1},
    {SoundCodec::Nellymoser, AV_CODEC_ID_NELLYMOSER, 0, 1},
    {SoundCodec::G711ALaw, AV_CODEC_ID_PCM_ALAW, 0, 0},
    {SoundCodec::G711MuLaw, AV_CODEC_ID_PCM_MULAW, 0, 0},
    {SoundCodec::Speex, AV_CODEC_ID_SPEEX, 16000, 1},
};

CodecChoice ChooseCodec(const SoundFormat& format) {
    const auto codec = static_cast<SoundCodec>(format.codec);
    if (codec == SoundCodec::PcmNative || codec == SoundCodec::PcmLittle) {
        // The native order is the authoring machine's, which was little-endian.
        return {format.bits == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE, format.rate,
                format.channels};
    }
    for (const CodecRow& row : CodecTable) {
        if (row.codec == codec) {
            return {row.id, row.rate ? row.rate : format.rate,
                    row.channels ? row.channels : format.channels};
        }
    }
    return {AV_CODEC_ID_NONE, format.rate, format.channels};
}

// Frees a libavcodec object through its function that takes the pointer's address.
template <auto Free> struct AvFree {
    template <class T> void operator()(T* object) const { Free(&object); }
};
template <class T, auto Free> using AvPtr = std::unique_ptr<T, AvFree<Free>>;
struct ParserClose {
    void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};

} // namespace

struct PacketDecoder::Impl {
    AvPtr<AVCodecContext, avcodec_free_context> context;
    std::unique_ptr<AVCodecParserContext, ParserClose> parser;
    AvPtr<AVPacket, av_packet_free> packet;
    AvPtr<AVFrame, av_frame_free> frame;
    AvPtr<SwrContext, swr_free> converter;
    int blockAlign = 0;
    bool speex = false; // a block of several frames, sent one frame a packet
    bool errors = false;

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
    d.context.reset(avcodec_alloc_context3(codec));
    d.packet.reset(av_packet_alloc());
    d.frame.reset(av_frame_alloc());
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
        d.parser.reset(av_parser_init(AV_CODEC_ID_MP3));
    }
    d.speex = choice.id == AV_CODEC_ID_SPEEX;
    if (avcodec_open2(d.context.get(), codec, nullptr) < 0) {
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
        const int used = av_parser_parse2(d.parser.get(), d.context.get(), &frameData, &frameSize,
                                          data, left, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
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
        av_parser_parse2(d.parser.get(), d.context.get(), &frameData, &frameSize, nullptr, 0,
                         AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (frameSize > 0) {
            d.send(frameData, frameSize, out, maxFrames);
        }
    }
    if (avcodec_send_packet(d.context.get(), nullptr) >= 0) {
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
    const int sent = avcodec_send_packet(context.get(), packet.get());
    av_packet_unref(packet.get());
    if (sent < 0) {
        errors = true; // a damaged packet: the next one starts afresh
        return;
    }
    receive(out, maxFrames);
}

void PacketDecoder::Impl::receive(Pcm& out, std::size_t maxFrames) {
    for (;;) {
        const int got = avcodec_receive_frame(context.get(), frame.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) {
            return;
        }
        if (got < 0) {
            errors = true;
            return;
        }
        append(out, maxFrames);
        av_frame_unref(frame.get());
    }
}

void PacketDecoder::Impl::append(Pcm& out, std::size_t maxFrames) {
    const int channels = std::clamp(frame->ch_layout.nb_channels, 1, 2);
    if (!converter) {
        out.rate = frame->sample_rate > 0 ? frame->sample_rate : context->sample_rate;
        out.channels = channels;
        AVChannelLayout layout;
        av_channel_layout_default(&layout, channels);
        SwrContext* made = nullptr;
        if (swr_alloc_set_opts2(&made, &layout, AV_SAMPLE_FMT_S16, out.rate, &frame->ch_layout,
                                static_cast<AVSampleFormat>(frame->format), out.rate, 0,
                                nullptr) < 0) {
            errors = true;
            return;
        }
        converter.reset(made);
        if (swr_init(converter.get()) < 0) {
            converter.reset();
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
        swr_convert(converter.get(), &target, count,
                    const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    out.samples.resize((have + static_cast<std::size_t>(std::max(0, converted))) *
                       static_cast<std::size_t>(out.channels));
}

} // namespace quillon::engine
