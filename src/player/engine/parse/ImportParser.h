#pragma once
// ImportAssets and ImportAssets2: characters another movie exports, read from a file
// beside the movie or below its folder, as if defined here under the ids the tag gives.

#include "player/engine/characters/Timeline.h"
#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

// A movie read for another: a library for its exports, or a movie loaded into a clip.
// Its characters place from its own dictionary.
struct ImportedLibrary {
    ParseContext context;
    Timeline timeline;
    std::size_t declaredLength = 0; // from the movie's header
    std::size_t fileBytes = 0;      // the size of the file read
    double width = 0, height = 0;   // the frame's size in pixels
    double frameRate = 0;           // frames a second
};

// The movie a script or an import names by url, beside the movie of context or below
// its folder; nullptr when it is not there, lies elsewhere or holds no movie.
std::shared_ptr<ImportedLibrary> ReadMovieBeside(const std::string& url,
                                                 const ParseContext& context);

// The same from a movie file's bytes (plain or compressed); nullptr when they hold no
// movie.
std::shared_ptr<ImportedLibrary> ReadMovieBytes(const std::string& file,
                                                const ParseContext& context);

// Defines the imported characters in context's dictionary and adds their init actions
// to frame. A library that is missing, outside the folder or damaged imports nothing.
void ParseImportTag(const Tag& tag, ParseContext& context, Frame& frame);

} // namespace quillon::engine
