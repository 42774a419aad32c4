#include "player/engine/parse/ImportParser.h"

#include "codec/SwfHeader.h"
#include "codec/SwfImage.h"
#include "codec/swf/TagCodes.h"
#include "player/engine/MovieFiles.h"
#include "player/engine/parse/TimelineParser.h"

#include <algorithm>

namespace quillon::engine {

namespace {

// Libraries that import libraries are followed this deep, and a movie reads at most
// this many, so a chain of imports cannot go on without end.
constexpr int MaxImportNesting = 4;
constexpr std::size_t MaxLibraries = 16;

} // namespace

std::shared_ptr<ImportedLibrary> ReadMovieBeside(const std::string& url,
                                                 const ParseContext& context) {
    const std::optional<std::string> file = ReadBesideMovie(context.folder, url);
    return file ? ReadMovieBytes(*file, context) : nullptr;
}

std::shared_ptr<ImportedLibrary> ReadMovieBytes(const std::string& file,
                                                const ParseContext& context) {
    if (file.size() < 8 || file[1] != 'W' || file[2] != 'S') {
        return nullptr;
    }
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()),
                                              file.size());
    std::vector<std::uint8_t> image;
    if (file[0] == 'F') {
        image.assign(bytes.begin(), bytes.end());
    } else {
        DecompressSwfImage(bytes, image); // a damaged library gives what could be read
    }
    if (image.size() < 8) {
        return nullptr;
    }
    const SwfHeaderFields header = ParseSwfHeaderFields(image);
    auto library = std::make_shared<ImportedLibrary>();
    library->context.version = header.version;
    library->declaredLength = header.declaredLength;
    library->fileBytes = file.size();
    const auto& r = header.frameRect;
    library->width = (r[1] - r[0]) / 20.0;
    library->height = (r[3] - r[2]) / 20.0;
    library->frameRate = header.frameRate8_8 / 256.0;
    library->context.folder = context.folder;
    library->context.library = true;
    library->context.importNesting = context.importNesting + 1;
    ParseTimeline(
        std::span<const std::uint8_t>(image).subspan(std::min(header.bodyStart, image.size())),
        library->context, library->timeline, 0);
    return library;
}

namespace {

std::shared_ptr<ImportedLibrary> LibraryFor(const std::string& url, ParseContext& context) {
    if (const auto it = context.libraries.find(url); it != context.libraries.end()) {
        return it->second;
    }
    if (context.importNesting >= MaxImportNesting || context.libraries.size() >= MaxLibraries) {
        context.warn("too many libraries imported; " + url + " is not read");
        return nullptr;
    }
    auto library = ReadMovieBeside(url, context);
    if (!library) {
        context.warn("the library " + url + " is not beside the movie or cannot be read");
    }
    context.libraries[url] = library;
    return library;
}

} // namespace

void ParseImportTag(const Tag& tag, ParseContext& context, Frame& frame) {
    swf::BitReader in(tag.body);
    const std::string url = in.string();
    if (tag.code == swf::tags::ImportAssets2) {
        in.u8(); // reserved
        in.u8();
    }
    const std::shared_ptr<ImportedLibrary> library = LibraryFor(url, context);
    const std::uint16_t count = in.u16();
    for (std::uint16_t i = 0; i < count && !in.overrun() && library; ++i) {
        const std::uint16_t id = in.u16();
        const std::string name = AsciiLowerName(in.string());
        const auto exported = library->context.exports.find(name);
        if (in.overrun() || exported == library->context.exports.end()) {
            continue;
        }
        auto character =
            library->context.dictionary.find(exported->second, library->context.dictionary.epoch());
        if (!character) {
            continue;
        }
        context.dictionary.define(id, std::move(character));
        context.exports[name] = id;
        for (const Frame& from : library->timeline.frames) {
            for (const InitAction& init : from.initActions) {
                if (init.spriteId == exported->second) {
                    frame.initActions.push_back(InitAction{id, init.code});
                }
            }
        }
    }
}

} // namespace quillon::engine
