#pragma once
// Helpers for the engine tests: load movie bytes, run frames, draw, read pixels.

#include "player/engine/MovieEngine.h"
#include "support/MovieWriter.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <string>

namespace quillon::testing {

// Colours the drawing tests look for.
inline const QColor Red(255, 0, 0);
inline const QColor Green(0, 255, 0);
inline const QColor Blue(0, 0, 255);
inline const QColor White(255, 255, 255);

// Loads bytes into engine (frames counted from 1, as the command line does).
void LoadAndRun(engine::MovieEngine& engine, const Bytes& movie, int frames = 1);

// Draws the whole stage at its pixel size (or into size, fitted).
QImage Draw(const engine::MovieEngine& engine, QSize size = {},
            engine::ScaleMode mode = engine::ScaleMode::ShowAll,
            std::optional<QRectF> viewTwips = std::nullopt);

// Loads, runs and draws in one go.
QImage RenderFrame(const Bytes& movie, int frames = 1, QSize size = {});

// True when every channel of the pixel is within tolerance of expected.
bool PixelIs(const QImage& image, int x, int y, const QColor& expected, int tolerance = 8);
std::string Describe(const QImage& image, int x, int y);

} // namespace quillon::testing

#define EXPECT_PIXEL(image, x, y, color)                                                           \
    EXPECT_TRUE(::quillon::testing::PixelIs(image, x, y, color))                                   \
        << "pixel (" << (x) << "," << (y) << ") is " << ::quillon::testing::Describe(image, x, y)
