#include "player/engine/parse/ScriptTagParser.h"

#include "codec/swf/BitReader.h"
#include "codec/swf/TagCodes.h"

namespace quillon::engine {

namespace {

constexpr std::uint8_t ActionScript3Flag = 0x08;
constexpr std::uint8_t UseNetworkFlag = 0x01;
// More classes than this in one movie's SymbolClass tags are ignored.
constexpr std::size_t MaxSymbolClasses = 65536;
// The binary data of one movie together holds at most this many bytes.
constexpr std::size_t MaxMovieBinaryBytes = 64u << 20;

// DefineBinaryData: a character id, four reserved bytes, then the data, which a class
// bound to the id holds as a ByteArray.
void ReadBinaryData(const Tag& tag, ParseContext& context) {
    if (tag.body.size() < 6) {
        return;
    }
    const std::size_t size = tag.body.size() - 6;
    if (context.binaryBytes + size > MaxMovieBinaryBytes) {
        context.warn("the movie's binary data is too large; some is dropped");
        return;
    }
    context.binaryBytes += size;
    const auto id = static_cast<std::uint16_t>(tag.body[0] | (tag.body[1] << 8));
    context.binaryData[id] =
        std::make_shared<const std::vector<std::uint8_t>>(tag.body.begin() + 6, tag.body.end());
}

void ReadSymbolClasses(const Tag& tag, ParseContext& context) {
    swf::BitReader in(tag.body);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count && !in.overrun(); ++i) {
        const std::uint16_t id = in.u16();
        std::string name = in.string();
        if (in.overrun()) {
            context.warn("a SymbolClass tag is cut off");
        } else if (context.symbolClasses.size() < MaxSymbolClasses) {
            context.symbolClasses[id] = std::move(name);
        }
    }
}

void ReadAbc(const Tag& tag, ParseContext& context, int frame) {
    context.abcBlocks.push_back(
        AbcBlock{static_cast<std::uint16_t>(tag.code),
                 std::vector<std::uint8_t>(tag.body.begin(), tag.body.end()), frame});
}

} // namespace

bool IsScriptTag(std::uint16_t code) {
    namespace t = swf::tags;
    return code == t::FileAttributes || code == t::DoAbcDefine || code == t::DoAbc ||
           code == t::SymbolClass || code == t::DefineBinaryData;
}

void ParseScriptTag(const Tag& tag, ParseContext& context, int frame, int depth) {
    namespace t = swf::tags;
    if (tag.code == t::FileAttributes) {
        if (depth == 0 && !tag.body.empty()) {
            context.actionScript3 = (tag.body[0] & ActionScript3Flag) != 0;
            context.useNetwork = (tag.body[0] & UseNetworkFlag) != 0;
        }
    } else if (tag.code == t::SymbolClass) {
        ReadSymbolClasses(tag, context);
    } else if (tag.code == t::DefineBinaryData) {
        ReadBinaryData(tag, context);
    } else if (depth == 0) {
        ReadAbc(tag, context, frame);
    }
}

} // namespace quillon::engine
