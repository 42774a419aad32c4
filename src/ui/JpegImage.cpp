#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace quillon::ui {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

// Runs the decoder; kept free of objects with destructors because libjpeg reports
// errors by a long jump out of it.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, std::span<const std::uint8_t> bytes,
            QImage& image) {
    if (setjmp(errors.jump)) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) {
        return {};
    }
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    errors.base.output_message = IgnoreJpegMessage;
    QImage image;
    const bool ok = Decode(info, errors, bytes, image);
    jpeg_destroy_decompress(&info);
    return ok ? image : QImage();
}

} // namespace quillon::ui
