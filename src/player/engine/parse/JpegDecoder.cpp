#include "player/engine/parse/JpegDecoder.h"

#include "player/engine/parse/ParseContext.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace quillon::engine {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

// Some writers put an end marker and a new start marker before the real stream; and
// some split the stream with such a pair. Both are dropped.
std::vector<std::uint8_t> CleanStream(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(data.size());
    std::size_t i = 0;
    while (i + 4 <= data.size() && data[i] == 0xff && data[i + 1] == 0xd9 && data[i + 2] == 0xff &&
           data[i + 3] == 0xd8) {
        i += 4;
    }
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i), data.end());
    // an end-start pair in the middle joins two halves of one picture
    for (std::size_t k = 2; k + 4 <= out.size(); ++k) {
        if (out[k] == 0xff && out[k + 1] == 0xd9 && out[k + 2] == 0xff && out[k + 3] == 0xd8) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(k),
                      out.begin() + static_cast<std::ptrdiff_t>(k + 4));
            break;
        }
    }
    return out;
}

// Kept apart from any C++ object with a destructor, as longjmp requires.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors,
            const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& tables,
            QImage& image) {
    if (setjmp(errors.jump)) {
        return false;
    }
    jpeg_create_decompress(&info);
    if (!tables.empty()) {
        jpeg_mem_src(&info, tables.data(), static_cast<unsigned long>(tables.size()));
        jpeg_read_header(&info, FALSE);
    }
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (static_cast<std::uint64_t>(info.output_width) * info.output_height > MaxBitmapPixels) {
        std::snprintf(errors.message, sizeof errors.message, "picture too large");
        return false;
    }
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(std::span<const std::uint8_t> data, std::span<const std::uint8_t> tables,
                  std::string& error) {
    const std::vector<std::uint8_t> cleanData = CleanStream(data);
    const std::vector<std::uint8_t> cleanTables =
        tables.empty() ? std::vector<std::uint8_t>{} : CleanStream(tables);
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    QImage image;
    const bool ok = Decode(info, errors, cleanData, cleanTables, image);
    jpeg_destroy_decompress(&info);
    if (!ok) {
        error = std::string("JPEG: ") + errors.message;
        return QImage();
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace quillon::engine
