#include "Zlib.h"

#include "Errors.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <zlib.h>
#include <zopfli/zopfli.h>

namespace quillon {

namespace {

// The library's statuses that mean the same whatever the input.
constexpr LibraryStatus kZlibStatuses[] = {{Z_OK, DecodeStatus::Progress},
                                           {Z_STREAM_END, DecodeStatus::StreamEnd},
                                           {Z_DATA_ERROR, DecodeStatus::Corrupt}};

int WindowBits(ZlibFraming framing) {
    return framing == ZlibFraming::Raw ? -MAX_WBITS : MAX_WBITS;
}

class ZlibDecoder final : public BodyDecoder {
public:
    ZlibDecoder(std::span<const std::uint8_t> input, ZlibFraming framing)
        : inputLeft_(input.size()) {
        if (inflateInit2(&stream_, WindowBits(framing)) != Z_OK) {
            throw ECompressionError("Decompression error");
        }
        stream_.next_in = const_cast<Bytef*>(input.data());
    }
    ~ZlibDecoder() override { inflateEnd(&stream_); }
    ZlibDecoder(const ZlibDecoder&) = delete;
    ZlibDecoder& operator=(const ZlibDecoder&) = delete;

    DecodeStatus decode(std::uint8_t* out, std::size_t room, std::size_t& written) override {
        const uInt feed = static_cast<uInt>(std::min<std::size_t>(inputLeft_, UINT_MAX));
        const uInt space = static_cast<uInt>(std::min<std::size_t>(room, UINT_MAX));
        stream_.avail_in = feed;
        stream_.next_out = out;
        stream_.avail_out = space;
        const int status = inflate(&stream_, Z_NO_FLUSH);
        inputLeft_ -= feed - stream_.avail_in;
        written += space - stream_.avail_out;
        if (const auto meaning = Lookup(kZlibStatuses, status)) {
            return *meaning;
        }
        // zlib's "no progress possible" is the end of the data only when none is left.
        const bool outOfInput = status == Z_BUF_ERROR && inputLeft_ == 0;
        return outOfInput ? DecodeStatus::Exhausted : DecodeStatus::Failed;
    }
    std::size_t inputLeft() const override { return inputLeft_; }

private:
    z_stream stream_{};
    std::size_t inputLeft_;
};

// Zopfli's passes cost time in proportion to the input; large bodies get fewer of them
// so that a movie of several megabytes still finishes in reasonable time.
int ZopfliIterations(std::size_t bodySize) {
    constexpr std::size_t Large = std::size_t(4) << 20;
    return bodySize > Large ? 5 : 15;
}

} // namespace

std::unique_ptr<BodyDecoder> MakeZlibDecoder(std::span<const std::uint8_t> input,
                                             ZlibFraming framing) {
    return std::make_unique<ZlibDecoder>(input, framing);
}

void AppendDeflated(std::span<const std::uint8_t> body, int level,
                    std::vector<std::uint8_t>& output, ZlibFraming framing) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, WindowBits(framing), 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw ECompressionError("Compression error");
    }
    // Room for the worst case is reserved but only touched as output arrives, so memory
    // follows the real compressed size.
    const std::size_t bound =
        output.size() + deflateBound(&stream, static_cast<uLong>(body.size()));
    output.reserve(bound);
    stream.next_in = const_cast<Bytef*>(body.data());
    std::size_t inputLeft = body.size();
    int status = Z_OK;
    while (status == Z_OK) {
        const std::size_t used = output.size();
        const std::size_t room = std::min<std::size_t>(bound - used, std::size_t(1) << 20);
        output.resize(used + room);
        const uInt feed = static_cast<uInt>(std::min<std::size_t>(inputLeft, UINT_MAX));
        stream.avail_in = feed;
        stream.next_out = output.data() + used;
        stream.avail_out = static_cast<uInt>(room);
        status = deflate(&stream, feed == inputLeft ? Z_FINISH : Z_NO_FLUSH);
        inputLeft -= feed - stream.avail_in;
        output.resize(used + room - stream.avail_out);
        if (status == Z_BUF_ERROR && output.size() < bound) {
            status = Z_OK; // no room was left in this round; the next has some
        }
    }
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        throw ECompressionError("Compression error");
    }
}

void AppendDeflatedSmallest(std::span<const std::uint8_t> body, std::vector<std::uint8_t>& output) {
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = ZopfliIterations(body.size());
    unsigned char* out = nullptr;
    std::size_t outSize = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, body.data(), body.size(), &out, &outSize);
    if (!out) {
        throw ECompressionError("Compression error");
    }
    // Zopfli hands back memory of its own; it is released whatever the append does.
    const std::unique_ptr<unsigned char, decltype(&std::free)> owner(out, &std::free);
    output.insert(output.end(), out, out + outSize);
}

} // namespace quillon
