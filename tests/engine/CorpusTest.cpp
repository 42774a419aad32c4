// Every movie of the shared corpus loads (or is refused with an error) and draws its
// first ten frames.

#include "codec/Errors.h"
#include "player/engine/MovieEngine.h"

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace quillon;

namespace {

fs::path CorpusFolder() {
    return fs::path(QUILLON_SOURCE_DIR) / ".." / ".." / "shared" / "corpus";
}

fs::path FindCorpus() {
    for (const fs::path& p : {fs::path("/work/shared/corpus"), CorpusFolder()}) {
        if (fs::is_directory(p)) {
            return p;
        }
    }
    return {};
}

} // namespace

TEST(EngineCorpus, EveryMovieLoadsAndDrawsItsFirstTenFrames) {
    const fs::path corpus = FindCorpus();
    if (corpus.empty()) {
        GTEST_SKIP() << "the shared corpus is not on this machine";
    }
    int movies = 0, refused = 0;
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".swf") {
            continue;
        }
        ++movies;
        engine::MovieEngine engine;
        try {
            engine.load(entry.path().string());
        } catch (const QuillonError&) {
            ++refused; // not a movie at all: a clear error is the right answer
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        EXPECT_GE(engine.frameCount(), 1);
        for (int frame = 0; frame < 10; ++frame) {
            QPainter painter(&image);
            engine.render(painter, QRectF(0, 0, 64, 48), engine.frameRect(),
                          engine::ScaleMode::ShowAll);
            painter.end();
            engine.advance();
        }
    }
    EXPECT_GT(movies, 0);
    EXPECT_LT(refused, movies / 10 + 1) << "most corpus files are real movies";
}
