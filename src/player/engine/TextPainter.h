#pragma once
// Draws static text (DefineText) and the initial text of edit fields with the movie's
// embedded glyphs, or a system font for device text.

#include "Characters.h"

#include <QPainter>
#include <functional>

namespace quillon::engine {

using FontLookup = std::function<const FontCharacter*(std::uint16_t)>;

// The painter's transform maps the character's twips to the device.
void DrawStaticText(QPainter& painter, const TextCharacter& text, const ColorTransform& cx,
                    const FontLookup& fonts);
void DrawEditText(QPainter& painter, const EditTextCharacter& text, const ColorTransform& cx,
                  const FontLookup& fonts);

// The plain text of an HTML text field: tags dropped, breaks kept, entities decoded.
std::string PlainTextOfHtml(const std::string& html);

} // namespace quillon::engine
