// The movie engine on any file: load it, then run and draw its first frames small.

#include "codec/Errors.h"
#include "player/engine/MovieEngine.h"

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillon::engine::MovieEngine engine;
    try {
        engine.loadBytes(std::vector<std::uint8_t>(data, data + size));
    } catch (const quillon::QuillonError&) {
        return 0; // not a movie at all: a clear error is the right answer
    }
    if (!engine.isLoaded() || engine.frameCount() < 1) {
        __builtin_trap();
    }
    QImage image(48, 36, QImage::Format_ARGB32_Premultiplied);
    for (int frame = 0; frame < 3; ++frame) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        engine.render(painter, QRectF(0, 0, 48, 36), engine.frameRect(),
                      quillon::engine::ScaleMode::ShowAll);
        painter.end();
        engine.advance();
    }
    engine.gotoFrame(engine.frameCount() - 1);
    // QUILLON_FUZZ_VERBOSE=1 shows what the engine made of a finding.
    if (std::getenv("QUILLON_FUZZ_VERBOSE")) {
        for (const std::string& warning : engine.warnings()) {
            std::fprintf(stderr, "warning: %s\n", warning.c_str());
        }
    }
    return 0;
}
