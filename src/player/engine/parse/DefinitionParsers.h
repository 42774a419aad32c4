#pragma once
// One entry per family of definition tags; each adds what it reads to the dictionary
// and notes damage in the context's warnings.

#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

void ParseShapeTag(const Tag& tag, ParseContext& context);
void ParseMorphShapeTag(const Tag& tag, ParseContext& context);
void ParseFontTag(const Tag& tag, ParseContext& context);
void ParseTextTag(const Tag& tag, ParseContext& context);
void ParseEditTextTag(const Tag& tag, ParseContext& context);
void ParseTextSettingsTag(const Tag& tag, ParseContext& context);
void ParseButtonTag(const Tag& tag, ParseContext& context);
void ParseVideoTag(const Tag& tag, ParseContext& context);

} // namespace quillon::engine
