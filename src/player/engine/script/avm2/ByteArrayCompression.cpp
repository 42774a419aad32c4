#include "player/engine/script/avm2/ByteArrayCompression.h"

#include "codec/Lzma.h"
#include "codec/Zlib.h"

#include <algorithm>
#include <exception>

namespace quillon::avm2 {
namespace {

constexpr int CompressLevel = 9; // the player compresses at zlib's best
constexpr std::size_t LzmaHeader = LzmaPropertiesSize + 8;

std::optional<std::vector<std::uint8_t>> DecodeAll(BodyDecoder& decoder, std::size_t cap,
                                                   std::optional<std::size_t> expected) {
    std::vector<std::uint8_t> out;
    for (int idle = 0; idle < 4;) {
        const std::size_t at = out.size();
        if (expected && at == *expected) {
            return out; // a stream without an end marker ends at its declared length
        }
        if (at >= cap) {
            return std::nullopt;
        }
        out.resize(std::min(expected.value_or(cap), std::min(cap, at + 65536)));
        std::size_t written = 0;
        const DecodeStatus status = decoder.decode(out.data() + at, out.size() - at, written);
        out.resize(at + written);
        if (status == DecodeStatus::StreamEnd) {
            return out;
        }
        if (status != DecodeStatus::Progress) {
            return expected && out.size() == *expected ? std::optional(out) : std::nullopt;
        }
        idle = written == 0 ? idle + 1 : 0;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> LzmaCompress(std::span<const std::uint8_t> input) {
    // The codec writes a movie's framing: a 4-byte data length, the properties, the data.
    std::vector<std::uint8_t> body;
    AppendLzmaBody(input, body);
    std::vector<std::uint8_t> out(body.begin() + 4, body.begin() + 4 + LzmaPropertiesSize);
    for (int i = 0; i < 8; ++i) {
        out.push_back(
            static_cast<std::uint8_t>(static_cast<std::uint64_t>(input.size()) >> (8 * i)));
    }
    out.insert(out.end(), body.begin() + 4 + LzmaPropertiesSize, body.end());
    return out;
}

std::optional<std::vector<std::uint8_t>> LzmaUncompress(std::span<const std::uint8_t> input,
                                                        std::size_t cap) {
    if (input.size() < LzmaHeader) {
        return std::nullopt;
    }
    std::uint64_t length = 0;
    for (int i = 7; i >= 0; --i) {
        length = (length << 8) | input[LzmaPropertiesSize + static_cast<std::size_t>(i)];
    }
    const bool known = length != ~std::uint64_t{0};
    if (known && length > cap) {
        return std::nullopt;
    }
    const std::size_t dataSize = input.size() - LzmaHeader;
    std::vector<std::uint8_t> framed;
    for (int i = 0; i < 4; ++i) {
        framed.push_back(static_cast<std::uint8_t>(dataSize >> (8 * i)));
    }
    framed.insert(framed.end(), input.begin(), input.begin() + LzmaPropertiesSize);
    framed.insert(framed.end(), input.begin() + LzmaHeader, input.end());
    try {
        const auto decoder = MakeLzmaDecoder(framed, known ? length : cap);
        if (!decoder) {
            return std::nullopt;
        }
        return DecodeAll(*decoder, cap,
                         known ? std::optional(static_cast<std::size_t>(length)) : std::nullopt);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

Algorithm AlgorithmNamed(std::string_view name) {
    if (name == "deflate") {
        return Algorithm::Deflate;
    }
    return name == "lzma" ? Algorithm::Lzma : Algorithm::Zlib;
}

std::vector<std::uint8_t> CompressBytes(std::span<const std::uint8_t> input, Algorithm algorithm) {
    if (algorithm == Algorithm::Lzma) {
        return input.empty() ? std::vector<std::uint8_t>{} : LzmaCompress(input);
    }
    std::vector<std::uint8_t> out;
    AppendDeflated(input, CompressLevel, out,
                   algorithm == Algorithm::Deflate ? ZlibFraming::Raw : ZlibFraming::Zlib);
    return out;
}

std::optional<std::vector<std::uint8_t>> UncompressBytes(std::span<const std::uint8_t> input,
                                                         Algorithm algorithm, std::size_t cap) {
    if (algorithm == Algorithm::Lzma) {
        return input.empty() ? std::optional(std::vector<std::uint8_t>{})
                             : LzmaUncompress(input, cap);
    }
    const auto decoder = MakeZlibDecoder(
        input, algorithm == Algorithm::Deflate ? ZlibFraming::Raw : ZlibFraming::Zlib);
    return DecodeAll(*decoder, cap, std::nullopt);
}

} // namespace quillon::avm2
