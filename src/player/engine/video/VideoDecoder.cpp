#include "player/engine/video/VideoDecoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace quillon::engine {

namespace {

AVCodecID CodecIdOf(int codec) {
    switch (codec) {
    case 2:
        return AV_CODEC_ID_FLV1;
    case 3:
        return AV_CODEC_ID_FLASHSV;
    case 4:
        return AV_CODEC_ID_VP6F;
    case 5:
        return AV_CODEC_ID_VP6A;
    case 6:
        return AV_CODEC_ID_FLASHSV2;
    case 7:
        return AV_CODEC_ID_H264;
    default:
        return AV_CODEC_ID_NONE;
    }
}

} // namespace

void ClampToAlpha(QImage& image) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        return;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            if (a == 255) {
                continue;
            }
            line[x] = qRgba(std::min(qRed(p), a), std::min(qGreen(p), a), std::min(qBlue(p), a), a);
        }
    }
}

struct VideoDecoder::Impl {
    AVCodecContext* context = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;

    ~Impl() {
        sws_freeContext(scaler);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }

    QImage picture() {
        const int w = frame->width, h = frame->height;
        scaler = sws_getCachedContext(scaler, w, h, static_cast<AVPixelFormat>(frame->format), w, h,
                                      AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler) {
            return QImage();
        }
        // swscale may write past the end of a tightly sized picture, so it writes into
        // its own padded buffer first.
        uint8_t* planes[4] = {};
        int strides[4] = {};
        if (av_image_alloc(planes, strides, w, h + 1, AV_PIX_FMT_BGRA, 64) < 0) {
            return QImage();
        }
        sws_scale(scaler, frame->data, frame->linesize, 0, h, planes, strides);
        // Colour streams that carry an alpha stream are stored premultiplied already.
        QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h && !image.isNull(); ++y) {
            std::memcpy(image.scanLine(y), planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0],
                        static_cast<std::size_t>(w) * 4);
        }
        av_freep(&planes[0]);
        const AVPixFmtDescriptor* desc =
            av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
        if (desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA)) {
            ClampToAlpha(image);
        }
        return image;
    }
};

VideoDecoder::VideoDecoder(int codec, std::span<const std::uint8_t> setup)
    : impl_(std::make_unique<Impl>()), codec_(codec), setup_(setup.begin(), setup.end()) {
    reset();
}

VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::isOpen() const {
    return impl_->context != nullptr;
}

void VideoDecoder::reset() {
    // Damaged packets are reported by what plays them; libavcodec's own log would only
    // repeat that on the standard error of every run.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    impl_ = std::make_unique<Impl>();
    const AVCodec* codec = avcodec_find_decoder(CodecIdOf(codec_));
    if (!codec) {
        error_ = "no decoder for video codec " + std::to_string(codec_);
        return;
    }
    impl_->context = avcodec_alloc_context3(codec);
    impl_->frame = av_frame_alloc();
    impl_->packet = av_packet_alloc();
    if (impl_->context && !setup_.empty()) {
        // libavcodec owns the copy and wants it padded.
        auto* extra =
            static_cast<std::uint8_t*>(av_mallocz(setup_.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (extra) {
            std::copy(setup_.begin(), setup_.end(), extra);
            impl_->context->extradata = extra;
            impl_->context->extradata_size = static_cast<int>(setup_.size());
        }
    }
    if (!impl_->context || !impl_->frame || !impl_->packet ||
        avcodec_open2(impl_->context, codec, nullptr) < 0) {
        error_ = "the video decoder could not start";
        avcodec_free_context(&impl_->context);
    }
}

void VideoDecoder::send(std::span<const std::uint8_t> data, std::int64_t dts, std::int64_t pts) {
    if (!isOpen() || data.empty() || data.size() > INT32_MAX / 2) {
        return;
    }
    AVPacket* packet = impl_->packet;
    if (av_new_packet(packet, static_cast<int>(data.size())) < 0) {
        return;
    }
    std::copy(data.begin(), data.end(), packet->data);
    packet->dts = dts;
    packet->pts = pts;
    avcodec_send_packet(impl_->context, packet);
    av_packet_unref(packet);
}

void VideoDecoder::drain() {
    if (isOpen()) {
        avcodec_send_packet(impl_->context, nullptr);
    }
}

std::vector<TimedPicture> VideoDecoder::receive() {
    std::vector<TimedPicture> out;
    while (isOpen() && avcodec_receive_frame(impl_->context, impl_->frame) == 0) {
        const std::int64_t pts = impl_->frame->best_effort_timestamp != AV_NOPTS_VALUE
                                     ? impl_->frame->best_effort_timestamp
                                     : impl_->frame->pts;
        QImage picture = impl_->picture();
        av_frame_unref(impl_->frame);
        if (!picture.isNull()) {
            out.push_back({std::move(picture), pts});
        }
    }
    return out;
}

QImage VideoDecoder::decode(std::span<const std::uint8_t> data) {
    send(data, AV_NOPTS_VALUE, AV_NOPTS_VALUE);
    std::vector<TimedPicture> pictures = receive();
    return pictures.empty() ? QImage() : std::move(pictures.back().picture);
}

} // namespace quillon::engine
