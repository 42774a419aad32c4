#include "support/MovieBytes.h"

#include "codec/SwfImage.h"
#include "support/MovieFixtures.h"
#include "support/MovieWriter.h"

namespace quillon::test {

Bytes PlainMovie(const MovieParams& params) {
    testing::MovieWriter movie(0, 0, params.frameRate8_8 / 256.0, params.version);
    movie.setStageTwips(params.xmax, params.ymax);
    for (int frame = 0; frame < params.frameCount; ++frame) {
        movie.showFrame();
    }
    for (std::size_t i = 0; i < params.padding; ++i) {
        movie.tag(0, {}); // End
    }
    return movie.bytes();
}

Bytes CompressedMovie(const MovieParams& params) {
    return CompressSwfImage(PlainMovie(params), 9);
}

void SetDeclaredLength(Bytes& movie, std::uint32_t length) {
    PutLe32(movie, 4, length);
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    WriteFile(path.string(), bytes);
}

Bytes ReadBytes(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) ? ReadFile(path.string()) : Bytes{};
}

} // namespace quillon::test
