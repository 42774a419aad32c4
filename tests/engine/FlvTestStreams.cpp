#include "FlvTestStreams.h"

#include <algorithm>
#include <bit>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace quillon::testing {

namespace {

void PutBig(FlvBytes& out, std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// The NAL units of an Annex B stream (start code separated), without the start codes.
std::vector<FlvBytes> NalUnits(const std::uint8_t* data, std::size_t size) {
    std::vector<FlvBytes> units;
    std::size_t i = 0, start = SIZE_MAX;
    while (i + 3 <= size) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            if (start != SIZE_MAX) {
                std::size_t end = i;
                while (end > start && data[end - 1] == 0) {
                    --end;
                }
                units.emplace_back(data + start, data + end);
            }
            i += 3;
            start = i;
        } else {
            ++i;
        }
    }
    if (start != SIZE_MAX && start < size) {
        units.emplace_back(data + start, data + size);
    }
    return units;
}

// Length-prefixed NAL units, as FLV carries H.264.
FlvBytes LengthPrefixed(const std::uint8_t* data, std::size_t size) {
    FlvBytes out;
    for (const FlvBytes& unit : NalUnits(data, size)) {
        PutBig(out, unit.size(), 4);
        out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

// The decoder configuration record from the encoder's SPS and PPS.
FlvBytes ConfigurationRecord(const std::uint8_t* data, std::size_t size) {
    FlvBytes sps, pps;
    for (const FlvBytes& unit : NalUnits(data, size)) {
        const int type = unit.empty() ? 0 : unit[0] & 0x1f;
        if (type == 7 && sps.empty()) {
            sps = unit;
        } else if (type == 8 && pps.empty()) {
            pps = unit;
        }
    }
    if (sps.size() < 4 || pps.empty()) {
        return {};
    }
    FlvBytes out = {1, sps[1], sps[2], sps[3], 0xff, 0xe1};
    PutBig(out, sps.size(), 2);
    out.insert(out.end(), sps.begin(), sps.end());
    out.push_back(1);
    PutBig(out, pps.size(), 2);
    out.insert(out.end(), pps.begin(), pps.end());
    return out;
}

AVCodecContext* OpenEncoder(int codec, int w, int h) {
    av_log_set_level(AV_LOG_QUIET); // the encoders' statistics are no test output
    const AVCodec* encoder = codec == 7 ? avcodec_find_encoder_by_name("libx264")
                                        : avcodec_find_encoder(AV_CODEC_ID_FLV1);
    if (!encoder) {
        return nullptr;
    }
    AVCodecContext* c = avcodec_alloc_context3(encoder);
    c->width = w;
    c->height = h;
    c->time_base = {1, 10};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 100;
    c->max_b_frames = codec == 7 ? 2 : 0;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codec == 7) {
        av_opt_set(c->priv_data, "preset", "ultrafast", 0);
        av_opt_set(c->priv_data, "tune", "", 0);
        av_opt_set(c->priv_data, "x264-params", "bframes=2:b-adapt=0:scenecut=0:threads=1", 0);
    }
    if (avcodec_open2(c, encoder, nullptr) < 0) {
        avcodec_free_context(&c);
    }
    return c;
}

void Fill(AVFrame* frame, std::uint32_t rgb) {
    const double r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
    const auto y = static_cast<std::uint8_t>(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255);
    const auto u = static_cast<std::uint8_t>(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255);
    const auto v = static_cast<std::uint8_t>(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255);
    for (int row = 0; row < frame->height; ++row) {
        std::memset(frame->data[0] + row * frame->linesize[0], y, frame->width);
    }
    for (int row = 0; row < frame->height / 2; ++row) {
        std::memset(frame->data[1] + row * frame->linesize[1], u, frame->width / 2);
        std::memset(frame->data[2] + row * frame->linesize[2], v, frame->width / 2);
    }
}

void Collect(AVCodecContext* c, int codec, EncodedStream& out) {
    AVPacket* packet = av_packet_alloc();
    while (avcodec_receive_packet(c, packet) == 0) {
        EncodedPacket p;
        p.data = codec == 7 ? LengthPrefixed(packet->data, packet->size)
                            : FlvBytes(packet->data, packet->data + packet->size);
        p.pts = packet->pts;
        p.dts = packet->dts;
        p.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        out.packets.push_back(std::move(p));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
}

} // namespace

FlvBytes WriteFlv(const std::vector<FlvTagSpec>& tags) {
    FlvBytes out = {'F', 'L', 'V', 1, 0x05, 0, 0, 0, 9, 0, 0, 0, 0};
    for (const FlvTagSpec& tag : tags) {
        out.push_back(tag.type);
        PutBig(out, tag.body.size(), 3);
        PutBig(out, tag.timestamp & 0xffffff, 3);
        out.push_back(static_cast<std::uint8_t>(tag.timestamp >> 24));
        PutBig(out, 0, 3);
        out.insert(out.end(), tag.body.begin(), tag.body.end());
        PutBig(out, tag.body.size() + 11, 4);
    }
    return out;
}

FlvBytes AmfString(const std::string& text) {
    FlvBytes out = {2};
    PutBig(out, text.size(), 2);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

FlvBytes AmfNumber(double value) {
    FlvBytes out = {0};
    PutBig(out, std::bit_cast<std::uint64_t>(value), 8);
    return out;
}

FlvBytes MetaDataBody(double duration, double width, double height) {
    FlvBytes out = AmfString("onMetaData");
    out.push_back(8);
    PutBig(out, 3, 4);
    for (const auto& [name, value] :
         {std::pair{"duration", duration}, {"width", width}, {"height", height}}) {
        const std::string key = name;
        PutBig(out, key.size(), 2);
        out.insert(out.end(), key.begin(), key.end());
        const FlvBytes number = AmfNumber(value);
        out.insert(out.end(), number.begin(), number.end());
    }
    out.insert(out.end(), {0, 0, 9});
    return out;
}

EncodedStream EncodeColours(int codec, int w, int h, const std::vector<std::uint32_t>& colours) {
    EncodedStream out;
    AVCodecContext* c = OpenEncoder(codec, w, h);
    if (!c) {
        return out;
    }
    if (codec == 7) {
        out.setup = ConfigurationRecord(c->extradata, static_cast<std::size_t>(c->extradata_size));
    }
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = w;
    frame->height = h;
    av_frame_get_buffer(frame, 0);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        av_frame_make_writable(frame);
        Fill(frame, colours[i]);
        frame->pts = static_cast<std::int64_t>(i);
        avcodec_send_frame(c, frame);
        Collect(c, codec, out);
    }
    avcodec_send_frame(c, nullptr);
    Collect(c, codec, out);
    av_frame_free(&frame);
    avcodec_free_context(&c);
    return out;
}

std::vector<FlvTagSpec> VideoTags(int codec, const EncodedStream& stream, int frameMs) {
    std::vector<FlvTagSpec> tags;
    if (codec == 7) {
        FlvTagSpec config{9, 0, {0x17, 0, 0, 0, 0}};
        config.body.insert(config.body.end(), stream.setup.begin(), stream.setup.end());
        tags.push_back(std::move(config));
    }
    // Decoding times start at 0 (x264 starts them below zero when it reorders), and
    // presentation keeps its offset from decoding.
    const std::int64_t first = stream.packets.empty() ? 0 : stream.packets.front().dts;
    for (const EncodedPacket& p : stream.packets) {
        FlvTagSpec tag;
        tag.timestamp = static_cast<std::uint32_t>((p.dts - first) * frameMs);
        tag.body.push_back(static_cast<std::uint8_t>((p.key ? 0x10 : 0x20) | codec));
        if (codec == 7) {
            const std::int64_t offset = (p.pts - p.dts) * frameMs;
            tag.body.push_back(1);
            PutBig(tag.body, static_cast<std::uint32_t>(offset) & 0xffffff, 3);
        }
        tag.body.insert(tag.body.end(), p.data.begin(), p.data.end());
        tags.push_back(std::move(tag));
    }
    return tags;
}

} // namespace quillon::testing
