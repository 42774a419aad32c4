#pragma once
// Reading shape tags: fill and line styles and the edge records.

#include "codec/swf/BitReader.h"
#include "player/engine/characters/Shape.h"

namespace quillon::engine {

// Shapes with more edges than this are cut short with a warning.
inline constexpr std::size_t MaxShapeEdges = 500000;

struct ShapeReadOptions {
    int version = 1;       // DefineShape 1..4 (3 and up carry alpha)
    bool morph = false;    // morph styles: start and end values side by side
    bool morph2 = false;   // DefineMorphShape2 line styles
    bool hasStyles = true; // glyph shapes carry no style arrays
};

FillStyle ReadFillStyle(swf::BitReader& in, const ShapeReadOptions& opt, FillStyle* morphEnd);
// Reads a style array pair into set (and the end values of morph styles into endSet).
void ReadStyleSet(swf::BitReader& in, const ShapeReadOptions& opt, StyleSet& set, StyleSet* endSet);
// Reads the edge records after the style arrays; style arrays met on the way are
// appended to data.styleSets. Returns false when the records were cut short.
bool ReadShapeRecords(swf::BitReader& in, const ShapeReadOptions& opt, ShapeData& data,
                      std::vector<StyleSet>* morphEndSets = nullptr);

// DefineShape 1..4 body after the character id.
ShapeData ReadDefineShape(swf::BitReader& in, int version, bool& complete);

} // namespace quillon::engine
