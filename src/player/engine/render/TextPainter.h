#pragma once
// Draws static text (DefineText) and text fields with the movie's
// embedded glyphs, or a system font for device text.

#include "player/engine/characters/Characters.h"
#include "player/engine/characters/TextLayout.h"

#include <QPainter>

namespace quillon::engine {

// The painter's transform maps the character's twips to the device.
void DrawStaticText(QPainter& painter, const TextCharacter& text, const ColorTransform& cx,
                    const FontSource& fonts);
// A field draws with the fonts it was made with, its background and border under its text.
void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx);

} // namespace quillon::engine
