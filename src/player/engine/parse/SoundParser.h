#pragma once
// The sound tags: DefineSound, StartSound and StartSound2, the stream head and blocks,
// DefineButtonSound, and the export names scripts attach sounds by.

#include "codec/swf/BitReader.h"
#include "player/engine/parse/ParseContext.h"

namespace quillon::engine {

// True for the tags ParseSoundTag reads.
bool IsSoundTag(int code);
// Reads one of them into the timeline being built (frame is the one under way) and the
// movie's sound library.
void ParseSoundTag(const Tag& tag, ParseContext& context, Timeline& timeline, Frame& frame);
// The sound info record that follows a sound id.
SoundInfo ReadSoundInfo(swf::BitReader& in);

} // namespace quillon::engine
