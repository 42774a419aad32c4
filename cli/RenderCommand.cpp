// quillon-cli render: draws frames of a movie into PNG files with the movie engine.

#include "CommandLine.h"
#include "Commands.h"
#include "KeyPresses.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "player/engine/MovieEngine.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

namespace quillon::cli {

namespace {

// Frames asked for beyond this are refused rather than run for hours.
constexpr long MaxFrameNumber = 1000000;
constexpr int MaxPictureSide = 8192;

struct RenderOptions {
    std::string source;
    long frame = 0;
    std::string output;
    std::optional<QSize> size;
    std::string allFramesDir;
    // Hard edges by default, as the reference pictures of player test suites are drawn;
    // --quality high smooths them.
    bool antialiasing = false;
    std::vector<KeyPress> keys;
};

QSize ParseSize(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) {
        throw UsageError{"render: --size takes WxH, not \"" + text + "\""};
    }
    const long w = WholeNumber("render", text.substr(0, x), "the width");
    const long h = WholeNumber("render", text.substr(x + 1), "the height");
    if (w < 1 || h < 1 || w > MaxPictureSide || h > MaxPictureSide) {
        throw UsageError{"render: --size must be between 1x1 and 8192x8192"};
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

RenderOptions ParseOptions(const Args& args) {
    RenderOptions options;
    OptionWords words(args, "render");
    options.source = words.read({
        {"--frame",
         [&] {
             options.frame =
                 words.number(1, MaxFrameNumber, "--frame counts from 1 (at most 1000000)");
         }},
        {"--output", [&] { options.output = words.value(); }},
        {"--size", [&] { options.size = ParseSize(words.value()); }},
        {"--quality",
         [&] {
             const std::string& quality = words.value();
             if (quality != "low" && quality != "high") {
                 throw words.error("--quality is low or high, not \"" + quality + "\"");
             }
             options.antialiasing = quality == "high";
         }},
        {"--all-frames", [&] { options.allFramesDir = words.value(); }},
        {"--key", [&] { options.keys.push_back(ParseKeyPress("render", words.value())); }},
    });
    if (options.allFramesDir.empty() && (options.frame == 0 || options.output.empty())) {
        throw UsageError{"render: give --frame N and --output OUT.png, or --all-frames DIR"};
    }
    return options;
}

QImage Draw(const engine::MovieEngine& movie, const std::optional<QSize>& size) {
    const QRectF stage = movie.frameRect();
    QSize pixels = size.value_or(QSize(static_cast<int>(std::lround(stage.width() / 20.0)),
                                       static_cast<int>(std::lround(stage.height() / 20.0))));
    pixels = pixels.boundedTo(QSize(MaxPictureSide, MaxPictureSide)).expandedTo(QSize(1, 1));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        throw QuillonError("render: not enough memory for the picture");
    }
    QPainter painter(&image);
    movie.render(painter, QRectF(QPointF(0, 0), QSizeF(pixels)), stage, engine::ScaleMode::ShowAll);
    painter.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

void WritePng(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw QuillonError("render: the picture could not be encoded");
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (!WriteFileReplacing(
            path, std::span<const std::uint8_t>(data, static_cast<std::size_t>(bytes.size())))) {
        throw EWriteError();
    }
}

void ReportWarnings(const engine::MovieEngine& movie, const std::string& source) {
    for (const std::string& warning : movie.warnings()) {
        std::cerr << "quillon-cli: " << source << ": " << warning << "\n";
    }
}

// Qt's own notes (runtime folders, font fallbacks) are not the user's business here.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << "quillon-cli: " << message.toStdString() << "\n";
    }
}

// Text needs a font database, which needs a GUI application; no display is used.
std::unique_ptr<QGuiApplication> StartGui() {
    if (QGuiApplication::instance()) {
        return nullptr;
    }
    qInstallMessageHandler(QuietQtMessages);
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    static int argc = 1;
    static char name[] = "quillon-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int RunRenderCommand(const Args& args) {
    const RenderOptions options = ParseOptions(args);
    const auto gui = StartGui();
    engine::MovieEngine movie;
    movie.setAntialiasing(options.antialiasing);
    movie.load(options.source);
    if (!options.allFramesDir.empty()) {
        if (!QDir().mkpath(QString::fromStdString(options.allFramesDir))) {
            throw QuillonError("render: cannot create folder \"" + options.allFramesDir + "\"");
        }
        const int count = movie.frameCount();
        const int digits = std::max(4, static_cast<int>(std::to_string(count).size()));
        for (int n = 1; n <= count; ++n) {
            if (n > 1) {
                movie.advance();
            }
            PressKeys(movie, options.keys, n);
            std::string number = std::to_string(n);
            number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
            WritePng(Draw(movie, options.size), options.allFramesDir + "/frame-" + number + ".png");
        }
    }
    if (options.frame > 0) {
        if (!options.allFramesDir.empty()) {
            movie.load(options.source);
        }
        PressKeys(movie, options.keys, 1);
        for (long n = 1; n < options.frame; ++n) {
            movie.advance();
            PressKeys(movie, options.keys, n + 1);
        }
        WritePng(Draw(movie, options.size), options.output);
    }
    ReportWarnings(movie, options.source);
    return ExitOk;
}

} // namespace quillon::cli
