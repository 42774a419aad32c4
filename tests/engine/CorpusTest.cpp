// Every movie of the shared corpus loads (or is refused with an error) and draws its
// first ten frames; some of its reference pictures are matched closely.

#include "codec/Errors.h"
#include "player/engine/MovieEngine.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>
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

// The first frame of a movie at its stage size, drawn with hard edges as the reference
// pictures are.
QImage FirstFrame(const fs::path& movie) {
    engine::MovieEngine engine;
    engine.load(movie.string());
    engine.setAntialiasing(false);
    const QRectF stage = engine.frameRect();
    QImage image(static_cast<int>(std::lround(stage.width() / 20)),
                 static_cast<int>(std::lround(stage.height() / 20)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    engine.render(painter, QRectF(QPointF(0, 0), QSizeF(image.size())), stage,
                  engine::ScaleMode::ShowAll);
    painter.end();
    return image;
}

struct Difference {
    double mean = 0;     // mean absolute channel difference
    double farShare = 0; // share of pixels off by more than 32 in some channel
};

Difference Compare(const QImage& ours, const QImage& expected) {
    const QImage a = ours.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    long long sum = 0, far = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d[3] = {std::abs(qRed(pa[x]) - qRed(pb[x])),
                              std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                              std::abs(qBlue(pa[x]) - qBlue(pb[x]))};
            sum += d[0] + d[1] + d[2];
            far += (d[0] > 32 || d[1] > 32 || d[2] > 32) ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(a.width()) * a.height();
    return {static_cast<double>(sum) / (pixels * 3), static_cast<double>(far) / pixels};
}

// The corpus's folder of drawing tests (a "swfs/visual" folder a few levels down), or
// nothing.
fs::path VisualTestsFolder(const fs::path& corpus) {
    std::error_code error;
    if (corpus.empty() || !fs::is_directory(corpus, error)) {
        return {};
    }
    for (fs::recursive_directory_iterator it(corpus, error), end; !error && it != end;
         it.increment(error)) {
        if (it.depth() > 4) {
            it.disable_recursion_pending();
        } else if (it->is_directory(error) && it->path().filename() == "visual" &&
                   it->path().parent_path().filename() == "swfs") {
            return it->path();
        }
    }
    return {};
}

} // namespace

// Layer blend groups with alpha children, and video with an alpha stream: the first
// frames match the reference pictures beside the movies.
TEST(EngineCorpus, LayerAlphaAndAlphaVideoMatchTheirReferencePictures) {
    const fs::path corpus = FindCorpus();
    const fs::path swfs = VisualTestsFolder(corpus);
    if (swfs.empty()) {
        GTEST_SKIP() << "the shared corpus is not on this machine";
    }
    for (const char* name : {"blend_modes/layer_alpha", "video/colorconversion/vp6a"}) {
        SCOPED_TRACE(name);
        const fs::path folder = swfs / name;
        const QImage expected(QString::fromStdString((folder / "output.expected.png").string()));
        if (expected.isNull() || !fs::exists(folder / "test.swf")) {
            ADD_FAILURE() << "the corpus lacks this movie or its reference picture";
            continue;
        }
        const QImage ours = FirstFrame(folder / "test.swf");
        ASSERT_EQ(ours.size(), expected.size());
        const Difference d = Compare(ours, expected);
        EXPECT_LE(d.mean, 3.0);
        EXPECT_LE(d.farShare, 0.01);
    }
}

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
