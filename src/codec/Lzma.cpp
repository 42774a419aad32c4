#include "Lzma.h"

#include "Errors.h"

#include <algorithm>
#include <cstdlib>
#include <lzma.h>

namespace quillon {

namespace {

// liblzma hands back the options it decodes from the properties in memory of its own.
struct FreeOptions {
    void operator()(void* options) const { std::free(options); }
};
using OptionsPtr = std::unique_ptr<void, FreeOptions>;

// The library's statuses that mean the same whatever the input.
constexpr LibraryStatus kLzmaStatuses[] = {{LZMA_OK, DecodeStatus::Progress},
                                           {LZMA_STREAM_END, DecodeStatus::StreamEnd},
                                           {LZMA_BUF_ERROR, DecodeStatus::Exhausted}};

class LzmaDecoder final : public BodyDecoder {
public:
    LzmaDecoder(std::span<const std::uint8_t> data, std::size_t lengthHint,
                const lzma_options_lzma& options)
        : size_(data.size()), lengthHint_(lengthHint) {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, const_cast<lzma_options_lzma*>(&options)},
                                  {LZMA_VLI_UNKNOWN, nullptr}};
        if (lzma_raw_decoder(&stream_, filters) != LZMA_OK) {
            lzma_end(&stream_);
            throw ECompressionError("Decompression error");
        }
        stream_.next_in = data.data();
        stream_.avail_in = data.size();
    }
    ~LzmaDecoder() override { lzma_end(&stream_); }
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;

    DecodeStatus decode(std::uint8_t* out, std::size_t room, std::size_t& written) override {
        stream_.next_out = out;
        stream_.avail_out = room;
        // All the input is there from the start, so liblzma's "no progress possible"
        // means the data has run out.
        const lzma_ret status = lzma_code(&stream_, LZMA_RUN);
        written += room - stream_.avail_out;
        if (const auto meaning = Lookup(kLzmaStatuses, status)) {
            return *meaning;
        }
        if (status != LZMA_DATA_ERROR && status != LZMA_OPTIONS_ERROR) {
            return DecodeStatus::Failed;
        }
        // Data without an end marker has no end of its own: failing only beyond the
        // length the header gives means the data ended there and other bytes follow.
        return size_ - stream_.avail_in > lengthHint_ ? DecodeStatus::Exhausted
                                                      : DecodeStatus::Corrupt;
    }
    std::size_t inputLeft() const override { return stream_.avail_in; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
    std::size_t size_;
    std::size_t lengthHint_;
};

// The smallest dictionary size of the usual form (2^n or 3 * 2^(n-1)) that holds size
// bytes; other decoders may insist on that form.
std::uint32_t DictionaryFor(std::size_t size, std::uint32_t ceiling) {
    std::uint32_t dict = LZMA_DICT_SIZE_MIN;
    while (dict < size && dict < ceiling) {
        const std::uint32_t half = dict / 2;
        dict = (dict & (dict - 1)) == 0 ? dict + half : dict / 3 * 4;
    }
    return std::min(dict, ceiling);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

std::unique_ptr<BodyDecoder> MakeLzmaDecoder(std::span<const std::uint8_t> afterHeader,
                                             std::uint64_t maxOutput) {
    const std::size_t propsAt = LzmaDataOffset - 8 - LzmaPropertiesSize;
    lzma_filter filter{LZMA_FILTER_LZMA1, nullptr};
    if (lzma_properties_decode(&filter, nullptr, afterHeader.data() + propsAt,
                               LzmaPropertiesSize) != LZMA_OK) {
        return nullptr;
    }
    const OptionsPtr owner(filter.options);
    auto& options = *static_cast<lzma_options_lzma*>(filter.options);
    // A hostile header may ask for a dictionary of 4 GiB for a tiny movie. No match
    // reaches further back than the output, and LZMA1 cannot give much more than 7,600
    // bytes for each byte of data (a longest repeat match at the likeliest odds), so
    // the dictionary need not be larger than either bound.
    const std::uint64_t dataSize = afterHeader.size() - (LzmaDataOffset - 8);
    const std::uint64_t reachable = dataSize * 32768 + (std::uint64_t(1) << 20);
    options.dict_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        options.dict_size,
        std::max<std::uint64_t>(std::min(maxOutput, reachable), LZMA_DICT_SIZE_MIN)));
    const std::size_t lengthHint = std::size_t(afterHeader[0]) | std::size_t(afterHeader[1]) << 8 |
                                   std::size_t(afterHeader[2]) << 16 |
                                   std::size_t(afterHeader[3]) << 24;
    return std::make_unique<LzmaDecoder>(afterHeader.subspan(LzmaDataOffset - 8), lengthHint,
                                         options);
}

void AppendLzmaBody(std::span<const std::uint8_t> body, std::vector<std::uint8_t>& output) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 9)) {
        throw ECompressionError("Compression error");
    }
    options.dict_size = DictionaryFor(body.size(), options.dict_size);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

    const std::size_t lengthAt = output.size();
    const std::size_t dataAt = lengthAt + LzmaDataOffset - 8;
    output.resize(dataAt);
    if (lzma_properties_encode(&filters[0], output.data() + lengthAt + 4) != LZMA_OK) {
        throw ECompressionError("Compression error");
    }
    lzma_stream stream = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&stream, filters) != LZMA_OK) {
        lzma_end(&stream);
        throw ECompressionError("Compression error");
    }
    stream.next_in = body.data();
    stream.avail_in = body.size();
    // Output grows as it arrives, so memory follows the real compressed size.
    lzma_ret status = LZMA_OK;
    while (status == LZMA_OK) {
        const std::size_t used = output.size();
        const std::size_t room = std::clamp<std::size_t>(used, 4096, std::size_t(1) << 20);
        output.resize(used + room);
        stream.next_out = output.data() + used;
        stream.avail_out = room;
        status = lzma_code(&stream, LZMA_FINISH);
        output.resize(used + room - stream.avail_out);
    }
    lzma_end(&stream);
    if (status != LZMA_STREAM_END) {
        throw ECompressionError("Compression error");
    }
    PutLe32(output.data() + lengthAt, static_cast<std::uint32_t>(output.size() - dataAt));
}

} // namespace quillon
