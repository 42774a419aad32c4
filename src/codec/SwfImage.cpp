#include "SwfImage.h"

#include "Errors.h"

#include <algorithm>
#include <climits>
#include <zlib.h>

namespace quillon {

namespace {

std::uint32_t DeclaredLength(std::span<const std::uint8_t> source) {
    return std::uint32_t(source[4]) | std::uint32_t(source[5]) << 8 |
           std::uint32_t(source[6]) << 16 | std::uint32_t(source[7]) << 24;
}

// Room for the output before it has to grow: the declared size when the compressed
// data could plausibly produce it, otherwise a bound that grows as data arrives.
std::size_t InitialCapacity(std::size_t declaredBody, std::size_t compressedBody) {
    const std::size_t plausible = compressedBody * 16 + (std::size_t(1) << 20);
    return 8 + std::min(declaredBody, plausible);
}

void EnsureSize(std::vector<std::uint8_t>& output, std::size_t size, std::size_t limit) {
    if (output.capacity() < size) {
        output.reserve(std::min(limit, std::max(size, output.capacity() * 2)));
    }
    output.resize(size);
}

} // namespace

InflateOutcome DecompressSwfImage(std::span<const std::uint8_t> source,
                                  std::vector<std::uint8_t>& output) {
    output.clear();
    output.push_back('F');
    output.insert(output.end(), source.begin() + 1, source.begin() + 8);

    const std::uint32_t declared = DeclaredLength(source);
    if (declared < 8) {
        return InflateOutcome::OtherError;
    }
    const std::size_t body = declared - 8;
    if (body == 0) {
        return InflateOutcome::Complete;
    }
    const std::span<const std::uint8_t> input = source.subspan(8);
    output.reserve(InitialCapacity(body, input.size()));

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return InflateOutcome::OtherError;
    }
    stream.next_in = const_cast<Bytef*>(input.data());
    std::size_t inputLeft = input.size();
    std::size_t produced = 0;  // bytes inflated into the output so far
    std::size_t completed = 0; // bytes of the blocks filled completely
    InflateOutcome outcome = InflateOutcome::Complete;

    while (produced < body) {
        const std::size_t blockEnd = std::min(produced + InflateBlockSize, body);
        EnsureSize(output, 8 + blockEnd, 8 + body);
        int status = Z_OK;
        while (produced < blockEnd) {
            const uInt feed = static_cast<uInt>(std::min<std::size_t>(inputLeft, UINT_MAX));
            stream.avail_in = feed;
            stream.next_out = output.data() + 8 + produced;
            stream.avail_out = static_cast<uInt>(blockEnd - produced);
            status = inflate(&stream, Z_NO_FLUSH);
            inputLeft -= feed - stream.avail_in;
            produced = blockEnd - stream.avail_out;
            if (status != Z_OK) {
                break;
            }
        }
        // A block counts once all its bytes are there, even when the decoder reported
        // an error in the same call; reaching the declared length is success whatever
        // follows, a bad checksum included.
        if (produced == blockEnd) {
            completed = produced;
        }
        if (produced == body) {
            break;
        }
        if (status == Z_STREAM_END || (status == Z_BUF_ERROR && inputLeft == 0)) {
            outcome = InflateOutcome::RanOut;
        } else if (status == Z_DATA_ERROR) {
            outcome = InflateOutcome::Corrupt;
        } else if (status != Z_OK) {
            outcome = InflateOutcome::OtherError;
        } else {
            continue;
        }
        break;
    }
    inflateEnd(&stream);

    output.resize(8 + completed);
    if (outcome == InflateOutcome::Corrupt) {
        output.insert(output.end(), input.begin(), input.end());
    }
    return outcome;
}

std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source, int level) {
    const std::span<const std::uint8_t> body = source.subspan(8);
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw ECompressionError("Compression error");
    }
    // Room for the worst case is reserved but only touched as output arrives, so memory
    // follows the real compressed size.
    const std::size_t bound = 8 + deflateBound(&stream, static_cast<uLong>(body.size()));
    std::vector<std::uint8_t> output;
    output.reserve(bound);
    output.push_back('C');
    output.insert(output.end(), source.begin() + 1, source.begin() + 8);

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
    return output;
}

} // namespace quillon
