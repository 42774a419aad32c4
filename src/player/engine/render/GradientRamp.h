#pragma once
// The 256-entry colour ramp that a gradient's records make. Movies rely on how players
// build it when ratios repeat or fall, so the ramp is filled the way they fill it.

#include "player/engine/characters/Shape.h"

#include <QGradientStops>
#include <QRgb>
#include <array>
#include <vector>

namespace quillon::engine {

// Unpremultiplied colours; entry k is the colour from position k/256 to (k+1)/256.
using GradientRamp = std::array<QRgb, 256>;

// Walks the records in their order, filling entries up to each record's ratio with the
// blend from the record before; a record at or behind the entries already filled still
// takes one entry (so records with equal ratios each show as a one-entry band). Entries
// past the last filled one keep the last record's colour. linearRgb blends in linear
// light. No records make a transparent ramp.
GradientRamp BuildGradientRamp(const std::vector<GradientStop>& stops, bool linearRgb);

// The ramp as hard-stepped gradient stops over 0..1 (runs of one colour merged), so a
// painter's own smooth interpolation cannot blur the steps.
QGradientStops RampStops(const GradientRamp& ramp);

} // namespace quillon::engine
