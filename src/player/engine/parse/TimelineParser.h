#pragma once
// Walks a tag stream (the movie's or a sprite's) into the dictionary and a timeline.

#include "player/engine/characters/Timeline.h"
#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

// Reads tags from body until End or the end of the bytes. depth counts sprite nesting.
void ParseTimeline(std::span<const std::uint8_t> body, ParseContext& context, Timeline& timeline,
                   int depth);

// PlaceObject, PlaceObject2/3, RemoveObject and RemoveObject2 bodies.
PlaceCommand ParsePlaceCommand(const Tag& tag, const ParseContext& context);

} // namespace quillon::engine
