#pragma once
// Draws static text (DefineText) and the initial text of edit fields with the movie's
// embedded glyphs, or a system font for device text.

#include "player/engine/characters/Characters.h"
#include "player/engine/render/TextLayout.h"

#include <QPainter>

namespace quillon::engine {

// The painter's transform maps the character's twips to the device.
void DrawStaticText(QPainter& painter, const TextCharacter& text, const ColorTransform& cx,
                    const FontSource& fonts);
void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx,
                  const FontSource& fonts);

} // namespace quillon::engine
