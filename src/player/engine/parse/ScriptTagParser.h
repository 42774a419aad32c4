#pragma once
// The tags that carry ActionScript 3: FileAttributes (its flag), DoABC, DoABC2 and
// SymbolClass. They are kept as read; the script side loads them.

#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

bool IsScriptTag(std::uint16_t code);
// frame: the index of the frame the tag sits in; depth: sprite nesting (ABC blocks
// count only on the main timeline).
void ParseScriptTag(const Tag& tag, ParseContext& context, int frame, int depth);

} // namespace quillon::engine
