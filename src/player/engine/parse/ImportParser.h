#pragma once
// ImportAssets and ImportAssets2: characters another movie exports, read from a file
// beside the movie or below its folder, as if defined here under the ids the tag gives.

#include "player/engine/characters/Timeline.h"
#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

// A library movie read for its exports, with the init actions of its sprites.
struct ImportedLibrary {
    ParseContext context;
    std::vector<InitAction> initActions;
};

// Defines the imported characters in context's dictionary and adds their init actions
// to frame. A library that is missing, outside the folder or damaged imports nothing.
void ParseImportTag(const Tag& tag, ParseContext& context, Frame& frame);

} // namespace quillon::engine
