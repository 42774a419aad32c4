#include "SwfImage.h"

#include "Errors.h"
#include "Lzma.h"
#include "Zlib.h"
#include "codec/swf/BitReader.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

std::uint32_t DeclaredLength(std::span<const std::uint8_t> source) {
    swf::BitReader in(source);
    in.seek(4);
    return in.u32();
}

bool IsLzmaMovie(std::span<const std::uint8_t> source) {
    return source[0] == 'Z';
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

// The plain output starts with "F" and the seven header bytes after the signature.
void BeginPlain(std::span<const std::uint8_t> source, std::vector<std::uint8_t>& output) {
    output.clear();
    output.push_back('F');
    output.insert(output.end(), source.begin() + 1, source.begin() + 8);
}

// The decoder of a movie's body. When there is none, `failure` says how decoding ended
// before it began: a "ZWS" file that ends inside its LZMA header has run out, LZMA
// properties that make no sense are corrupt data, a decoder that cannot be set up is
// another error. maxOutput bounds what will be asked of the decoder.
struct BodyDecoderSetup {
    std::unique_ptr<BodyDecoder> decoder;
    InflateOutcome failure = InflateOutcome::OtherError;
};

BodyDecoderSetup MakeDecoder(std::span<const std::uint8_t> source, std::uint64_t maxOutput) {
    BodyDecoderSetup setup;
    try {
        if (!IsLzmaMovie(source)) {
            setup.decoder = MakeZlibDecoder(source.subspan(8));
        } else if (source.size() < LzmaDataOffset) {
            setup.failure = InflateOutcome::RanOut;
        } else {
            setup.decoder = MakeLzmaDecoder(source.subspan(8), maxOutput);
            setup.failure = InflateOutcome::Corrupt;
        }
    } catch (const ECompressionError&) {
        setup.failure = InflateOutcome::OtherError;
    }
    return setup;
}

InflateOutcome OutcomeOf(DecodeStatus status) {
    switch (status) {
    case DecodeStatus::StreamEnd:
    case DecodeStatus::Exhausted:
        return InflateOutcome::RanOut;
    case DecodeStatus::Corrupt:
        return InflateOutcome::Corrupt;
    default:
        return InflateOutcome::OtherError;
    }
}

// Decodes body bytes after output's eight header bytes, block by block: only blocks
// filled completely stay in the output.
InflateOutcome DecodeInBlocks(BodyDecoder& decoder, std::size_t body,
                              std::vector<std::uint8_t>& output) {
    std::size_t produced = 0;  // bytes decoded into the output so far
    std::size_t completed = 0; // bytes of the blocks filled completely
    InflateOutcome outcome = InflateOutcome::Complete;
    while (produced < body) {
        const std::size_t blockEnd = std::min(produced + InflateBlockSize, body);
        EnsureSize(output, 8 + blockEnd, 8 + body);
        DecodeStatus status = DecodeStatus::Progress;
        while (produced < blockEnd && status == DecodeStatus::Progress) {
            status = decoder.decode(output.data() + 8 + produced, blockEnd - produced, produced);
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
        if (status != DecodeStatus::Progress) {
            outcome = OutcomeOf(status);
            break;
        }
    }
    output.resize(8 + completed);
    return outcome;
}

} // namespace

InflateOutcome DecompressSwfImage(std::span<const std::uint8_t> source,
                                  std::vector<std::uint8_t>& output) {
    BeginPlain(source, output);
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

    const BodyDecoderSetup setup = MakeDecoder(source, body);
    const InflateOutcome outcome =
        setup.decoder ? DecodeInBlocks(*setup.decoder, body, output) : setup.failure;
    if (outcome == InflateOutcome::Corrupt) {
        output.insert(output.end(), input.begin(), input.end());
    }
    return outcome;
}

std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source, int level) {
    return CompressSwfImage(source, CompressionMethod::ZlibLevel, level);
}

std::vector<std::uint8_t> CompressSwfImage(std::span<const std::uint8_t> source,
                                           CompressionMethod method, int level) {
    const std::span<const std::uint8_t> body = source.subspan(8);
    std::vector<std::uint8_t> output;
    output.push_back(method == CompressionMethod::Lzma ? 'Z' : 'C');
    output.insert(output.end(), source.begin() + 1, source.begin() + 8);
    switch (method) {
    case CompressionMethod::ZlibLevel:
        AppendDeflated(body, level, output);
        break;
    case CompressionMethod::ZlibSmallest:
        AppendDeflatedSmallest(body, output);
        break;
    case CompressionMethod::Lzma:
        output[3] = std::max(output[3], LzmaMinimumVersion);
        AppendLzmaBody(body, output);
        break;
    }
    return output;
}

WholeBody DecodeWholeBody(std::span<const std::uint8_t> source) {
    WholeBody result;
    BeginPlain(source, result.image);
    // No movie is longer than its 32-bit length field can say.
    constexpr std::size_t Limit = std::numeric_limits<std::uint32_t>::max() - 8;
    const std::size_t declaredBody = std::max<std::uint32_t>(DeclaredLength(source), 8) - 8;
    // An honest movie decodes to about its declared length; a dictionary beyond that
    // (and a generous margin) is only ever a hostile header's request for memory.
    const BodyDecoderSetup setup =
        MakeDecoder(source, std::max<std::size_t>(declaredBody, std::size_t(1) << 28));
    if (!setup.decoder) {
        result.outcome = setup.failure;
        return result;
    }
    BodyDecoder* decoder = setup.decoder.get();
    std::size_t produced = 0;
    DecodeStatus status = DecodeStatus::Progress;
    while (status == DecodeStatus::Progress && produced < Limit) {
        const std::size_t end = std::min(produced + InflateBlockSize, Limit);
        result.image.resize(8 + end);
        status = decoder->decode(result.image.data() + 8 + produced, end - produced, produced);
    }
    result.image.resize(8 + produced);
    switch (status) {
    case DecodeStatus::StreamEnd:
        result.trailingBytes = decoder->inputLeft();
        break;
    case DecodeStatus::Exhausted:
    case DecodeStatus::Corrupt:
        // Without an end marker an LZMA stream ends where its input does, and decoding
        // on from there meets the range coder's flush or whatever follows: once the
        // declared length is reached, that is the end of the movie.
        if (IsLzmaMovie(source) && produced >= declaredBody) {
            result.image.resize(8 + declaredBody);
            break;
        }
        result.outcome = OutcomeOf(status);
        break;
    case DecodeStatus::Progress:
        break;
    default:
        result.outcome = OutcomeOf(status);
        break;
    }
    return result;
}

} // namespace quillon
