// engine-bench [CORPUS]: the movie engine's speed and memory figures.
//   1. median time to draw one frame of each visual-test movie at its stage size
//      (movies listed in CORPUS/visual_tests.tsv; target: at most 4 ms);
//   2. time to draw a movie with 10,000 placed shapes (target: at most 50 ms);
//   3. heap taken by the parsed movie and its shape caches against the inflated movie
//      size plus decoded bitmaps (target: at most 4x), for the largest corpus movies;
//   4. every corpus movie loaded and its first ten frames drawn at stage size: the
//      slowest single draw and the movies whose draws took over 2 s (target: none).

#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieWriter.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using quillon::engine::MovieEngine;
using quillon::engine::ScaleMode;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Draws the current frame at stage size and returns the milliseconds it took (best of 3).
double DrawTime(const MovieEngine& engine) {
    const QRectF stage = engine.frameRect();
    const QSize size(std::clamp(static_cast<int>(stage.width() / 20), 1, 4096),
                     std::clamp(static_cast<int>(stage.height() / 20), 1, 4096));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QPainter painter(&image);
        const auto start = Clock::now();
        engine.render(painter, QRectF(QPointF(0, 0), QSizeF(size)), stage, ScaleMode::ShowAll);
        painter.end();
        best = std::min(best, Milliseconds(Clock::now() - start));
    }
    return best;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        out.push_back(field);
    }
    return out;
}

// The manifest's movies that carry scripts, which draw little or nothing without them.
std::set<std::string> ScriptedMovies(const fs::path& corpus) {
    std::ifstream list(corpus / "manifest.tsv");
    std::string line;
    std::getline(list, line);
    const std::vector<std::string> header = Fields(line);
    const auto column = [&](const char* name) {
        return std::find(header.begin(), header.end(), name) - header.begin();
    };
    const auto avm1 = column("has_avm1"), avm2 = column("has_avm2");
    std::set<std::string> out;
    while (std::getline(list, line)) {
        const std::vector<std::string> f = Fields(line);
        const auto flag = [&](std::ptrdiff_t i) {
            return i < static_cast<std::ptrdiff_t>(f.size()) &&
                   f[static_cast<std::size_t>(i)] == "1";
        };
        if (!f.empty() && (flag(avm1) || flag(avm2))) {
            out.insert(f[0]);
        }
    }
    return out;
}

std::vector<std::string> VisualTestMovies(const fs::path& corpus) {
    std::ifstream list(corpus / "visual_tests.tsv");
    std::set<std::string> seen;
    std::vector<std::string> out;
    std::string line;
    std::getline(list, line);
    while (std::getline(list, line)) {
        const std::string path = line.substr(0, line.find('\t'));
        if (seen.insert(path).second) {
            out.push_back(path);
        }
    }
    return out;
}

void PrintMedian(const char* what, const std::vector<double>& times) {
    std::printf("%s: %zu frames drawn; median draw %.2f ms, slowest %.2f ms (target <= 4 ms "
                "median)\n",
                what, times.size(), Median(times),
                times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
}

void BenchVisualTests(const fs::path& corpus, bool smooth) {
    const std::set<std::string> scripted = ScriptedMovies(corpus);
    std::vector<double> all, unscripted;
    for (const std::string& movie : VisualTestMovies(corpus)) {
        MovieEngine engine;
        engine.setAntialiasing(smooth);
        try {
            engine.load((corpus / movie).string());
        } catch (const std::exception&) {
            continue;
        }
        for (int frame = 0; frame < 5; ++frame) {
            const double ms = DrawTime(engine);
            all.push_back(ms);
            if (!scripted.contains(movie)) {
                unscripted.push_back(ms);
            }
            engine.advance();
        }
    }
    PrintMedian(smooth ? "visual-test movies, smooth edges" : "visual-test movies, hard edges",
                all);
    PrintMedian(smooth ? "visual-test movies without scripts, smooth edges"
                       : "visual-test movies without scripts, hard edges",
                unscripted);
}

void BenchManyShapes() {
    using namespace quillon::testing;
    MovieWriter movie(1000, 1000);
    const auto square = movie.defineRectangle(0, 0, 100, 100, {200, 40, 40});
    ShapeBuilder disc;
    disc.setFill1(disc.addSolidFill({40, 40, 200}));
    disc.moveTo(60, 0);
    disc.curveTo(60, 60, 0, 60);
    disc.curveTo(-60, 60, -60, 0);
    disc.curveTo(-60, -60, 0, -60);
    disc.curveTo(60, -60, 60, 0);
    const auto round = movie.defineShape(disc);
    for (int i = 0; i < 10000; ++i) {
        movie.place(Place{i + 1, i % 2 ? square : round}.at((i % 100) * 200, (i / 100) * 200));
    }
    movie.showFrame();
    MovieEngine engine;
    engine.loadBytes(movie.bytes());
    std::vector<double> times;
    for (bool smooth : {false, true}) {
        engine.setAntialiasing(smooth);
        times.clear();
        for (int i = 0; i < 5; ++i) {
            times.push_back(DrawTime(engine));
        }
        std::printf("10,000 placed shapes (%s): median draw %.2f ms (target <= 50 ms)\n",
                    smooth ? "smooth edges" : "hard edges", Median(times));
    }
}

std::size_t HeapInUse() {
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BenchMemory(const fs::path& corpus) {
    std::vector<std::pair<std::uintmax_t, fs::path>> movies;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (entry.is_regular_file() && entry.path().extension() == ".swf") {
            movies.emplace_back(entry.file_size(), entry.path());
        }
    }
    std::sort(movies.rbegin(), movies.rend());
    movies.resize(std::min<std::size_t>(movies.size(), 8));
    for (const auto& [size, path] : movies) {
        const auto bytes = quillon::ReadWholeFile(path.string());
        std::vector<std::uint8_t> image;
        if (bytes.size() > 8 && bytes[0] == 'C') {
            quillon::DecompressSwfImage(bytes, image);
        }
        const std::size_t inflated = std::max(bytes.size(), image.size());
        image.clear();
        image.shrink_to_fit();
        const std::size_t before = HeapInUse();
        MovieEngine engine;
        try {
            engine.loadBytes(bytes);
        } catch (const std::exception&) {
            continue;
        }
        for (int i = 0; i < 10; ++i) {
            DrawTime(engine);
            engine.advance();
        }
        const std::size_t used = HeapInUse() - std::min(before, HeapInUse());
        const std::size_t parsed = used - std::min(used, engine.bitmapBytes());
        std::printf("%-80s inflated %8zu B, engine heap %9zu B, of which bitmaps %9zu B; "
                    "the rest %.2fx the movie (target <= 4x)\n",
                    fs::relative(path, corpus).string().c_str(), inflated, used,
                    engine.bitmapBytes(), double(parsed) / double(inflated));
    }
}

void BenchCorpusSweep(const fs::path& corpus) {
    int movies = 0, refused = 0, slow = 0;
    double slowest = 0;
    fs::path slowestMovie;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".swf") {
            continue;
        }
        ++movies;
        MovieEngine engine;
        try {
            engine.load(entry.path().string());
        } catch (const std::exception&) {
            ++refused;
            continue;
        }
        const QRectF stage = engine.frameRect();
        QImage image(std::clamp(static_cast<int>(stage.width() / 20), 1, 4096),
                     std::clamp(static_cast<int>(stage.height() / 20), 1, 4096),
                     QImage::Format_ARGB32_Premultiplied);
        double worst = 0;
        for (int frame = 0; frame < 10; ++frame) {
            QPainter painter(&image);
            const auto start = Clock::now();
            engine.render(painter, QRectF(image.rect()), stage, ScaleMode::ShowAll);
            painter.end();
            worst = std::max(worst, Milliseconds(Clock::now() - start));
            engine.advance();
        }
        if (worst > 2000) {
            ++slow;
            std::printf("over 2 s: %s (%.0f ms)\n",
                        fs::relative(entry.path(), corpus).string().c_str(), worst);
        }
        if (worst > slowest) {
            slowest = worst;
            slowestMovie = entry.path();
        }
    }
    std::printf("corpus sweep: %d movies, %d refused as not movies, %d with a draw over 2 s; "
                "slowest draw %.0f ms (%s)\n",
                movies, refused, slow, slowest,
                fs::relative(slowestMovie, corpus).string().c_str());
}

} // namespace

int main(int argc, char** argv) {
    const fs::path corpus = argc > 1 ? fs::path(argv[1]) : fs::path("/work/shared/corpus");
    BenchManyShapes();
    if (fs::is_directory(corpus)) {
        BenchVisualTests(corpus, false);
        BenchVisualTests(corpus, true);
        BenchMemory(corpus);
        BenchCorpusSweep(corpus);
    } else {
        std::printf("no corpus at %s: only the synthetic figures\n", corpus.string().c_str());
    }
    return 0;
}
