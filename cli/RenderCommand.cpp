// quillon-cli render: draws frames of a movie into PNG files with the movie engine.

#include "Commands.h"
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
};

long ParseNumber(const std::string& text, const std::string& what) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw UsageError{"render: " + what + " must be a whole number, not \"" + text + "\""};
    }
    return value;
}

QSize ParseSize(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) {
        throw UsageError{"render: --size takes WxH, not \"" + text + "\""};
    }
    const long w = ParseNumber(text.substr(0, x), "the width");
    const long h = ParseNumber(text.substr(x + 1), "the height");
    if (w < 1 || h < 1 || w > MaxPictureSide || h > MaxPictureSide) {
        throw UsageError{"render: --size must be between 1x1 and 8192x8192"};
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

RenderOptions ParseOptions(const Args& args) {
    RenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) {
                throw UsageError{"render: " + word + " needs a value"};
            }
            return args[++i];
        };
        if (word == "--frame") {
            options.frame = ParseNumber(value(), "--frame");
            if (options.frame < 1 || options.frame > MaxFrameNumber) {
                throw UsageError{"render: --frame counts from 1 (at most 1000000)"};
            }
        } else if (word == "--output") {
            options.output = value();
        } else if (word == "--size") {
            options.size = ParseSize(value());
        } else if (word == "--quality") {
            const std::string& quality = value();
            if (quality != "low" && quality != "high") {
                throw UsageError{"render: --quality is low or high, not \"" + quality + "\""};
            }
            options.antialiasing = quality == "high";
        } else if (word == "--all-frames") {
            options.allFramesDir = value();
        } else if (word.starts_with("--")) {
            throw UsageError{"render: unknown option " + word};
        } else if (options.source.empty()) {
            options.source = word;
        } else {
            throw UsageError{"render: more than one source given"};
        }
    }
    if (options.source.empty()) {
        throw UsageError{"render: no source movie given"};
    }
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
            std::string number = std::to_string(n);
            number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
            WritePng(Draw(movie, options.size), options.allFramesDir + "/frame-" + number + ".png");
        }
    }
    if (options.frame > 0) {
        if (!options.allFramesDir.empty()) {
            movie.load(options.source);
        }
        for (long n = 1; n < options.frame; ++n) {
            movie.advance();
        }
        WritePng(Draw(movie, options.size), options.output);
    }
    ReportWarnings(movie, options.source);
    return ExitOk;
}

} // namespace quillon::cli
