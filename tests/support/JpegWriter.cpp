#include "MovieWriter.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace quillon::testing {

Bytes EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& rgb, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = rgb[static_cast<std::size_t>(info.next_scanline) * width + x];
            row[3 * x] = static_cast<JSAMPLE>((p >> 16) & 0xff);
            row[3 * x + 1] = static_cast<JSAMPLE>((p >> 8) & 0xff);
            row[3 * x + 2] = static_cast<JSAMPLE>(p & 0xff);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

} // namespace quillon::testing
