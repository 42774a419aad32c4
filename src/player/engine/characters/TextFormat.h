#pragma once
// The format of a text field's characters and paragraphs. Each part is optional: a
// format read over a range leaves out what differs within it, and a format applied to
// a range changes only the parts it sets.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

enum class TextAlign { Left = 0, Right = 1, Center = 2, Justify = 3 };

struct TextFormat {
    // character parts
    std::optional<std::string> font;
    std::optional<double> size;         // pixels
    std::optional<std::uint32_t> color; // 0xRRGGBB
    std::optional<bool> bold, italic, underline, kerning;
    std::optional<std::string> url, target;
    std::optional<double> letterSpacing; // pixels
    // paragraph parts: the first character of a paragraph decides them
    std::optional<TextAlign> align;
    std::optional<double> leftMargin, rightMargin, indent, blockIndent, leading; // pixels
    std::optional<bool> bullet;
    std::optional<std::vector<double>> tabStops;

    bool operator==(const TextFormat&) const = default;

    // Takes every part that over sets.
    void apply(const TextFormat& over);
    // Leaves out every part that differs from other's.
    void keepCommon(const TextFormat& other);
    // Whether any paragraph part is set.
    bool hasParagraphParts() const;

    // The format a field made by a script starts with: every part set.
    static TextFormat Defaults();
};

} // namespace quillon::engine
