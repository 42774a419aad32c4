#include "player/engine/characters/BitmapImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace quillon::engine {

namespace {

// Rounding to the nearest, halves up when premultiplying and down when taking the alpha
// back out, as the player reads pixels back.
std::uint32_t RoundChannel(double v) {
    return static_cast<std::uint32_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
}

std::uint32_t RoundChannelDown(double v) {
    return static_cast<std::uint32_t>(std::clamp(std::ceil(v - 0.5), 0.0, 255.0));
}

std::uint32_t Channel(std::uint32_t argb, int shift) {
    return argb >> shift & 0xff;
}

std::uint32_t Pack(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

QRgb* Row(QImage& image, int y) {
    return reinterpret_cast<QRgb*>(image.scanLine(y));
}

const QRgb* Row(const QImage& image, int y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(y));
}

// Edges are clamped far outside any bitmap first, so a script's huge rectangle cuts to the
// same pixels without overflowing QRect's int arithmetic.
QRect ToQt(const PixelRect& r) {
    static constexpr std::int64_t Far = 1 << 24;
    const auto edge = [](std::int64_t v) { return static_cast<int>(std::clamp(v, -Far, Far)); };
    const int left = edge(r.x), top = edge(r.y);
    const int right = edge(std::int64_t{r.x} + std::max(0, r.width));
    const int bottom = edge(std::int64_t{r.y} + std::max(0, r.height));
    return QRect(left, top, right - left, bottom - top);
}

// The pixels of a source area that land inside a target at a point, in both frames.
struct Span {
    QRect from;
    QPoint to;
};

std::optional<Span> Clipped(const QImage& target, const QImage& source, const PixelRect& area,
                            PixelPoint at) {
    const QRect wanted = ToQt(area);
    QRect from = wanted.intersected(source.rect());
    if (from.isEmpty()) {
        return std::nullopt;
    }
    const QPoint shifted = QPoint(at.x, at.y) + from.topLeft() - wanted.topLeft();
    const QRect to = QRect(shifted, from.size()).intersected(target.rect());
    if (to.isEmpty()) {
        return std::nullopt;
    }
    from = QRect(from.topLeft() + (to.topLeft() - shifted), to.size());
    return Span{from, to.topLeft()};
}

std::uint32_t ReadPixel(const QImage& image, int x, int y) {
    return Unpremultiply(Row(image, y)[x]);
}

bool SizeAllowed(int width, int height) {
    return width > 0 && height > 0 && width <= MaxBitmapSide && height <= MaxBitmapSide &&
           std::int64_t{width} * height <= MaxBitmapPixels;
}

} // namespace

std::uint32_t Premultiply(std::uint32_t argb) {
    const std::uint32_t a = Channel(argb, 24);
    if (a == 255) {
        return argb;
    }
    const auto p = [&](int shift) { return RoundChannel(Channel(argb, shift) * a / 255.0); };
    return Pack(a, p(16), p(8), p(0));
}

std::uint32_t Unpremultiply(std::uint32_t premultiplied) {
    const std::uint32_t a = Channel(premultiplied, 24);
    if (a == 255 || a == 0) {
        return a == 0 ? 0 : premultiplied;
    }
    const auto u = [&](int shift) {
        return RoundChannelDown(Channel(premultiplied, shift) * 255.0 / a);
    };
    return Pack(a, u(16), u(8), u(0));
}

BitmapPixels::BitmapPixels(std::unique_ptr<Picture> picture, bool transparent)
    : picture_(std::move(picture)), transparent_(transparent) {}

BitmapPixels::~BitmapPixels() = default;

int BitmapPixels::width() const {
    return picture_->image.width();
}

int BitmapPixels::height() const {
    return picture_->image.height();
}

std::shared_ptr<BitmapPixels> BitmapPixels::make(int width, int height, bool transparent,
                                                 std::uint32_t argb) {
    if (!SizeAllowed(width, height)) {
        return nullptr;
    }
    auto picture = std::make_unique<Picture>();
    picture->image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (picture->image.isNull()) {
        return nullptr;
    }
    picture->image.fill(Premultiply(transparent ? argb : argb | 0xff000000u));
    return std::shared_ptr<BitmapPixels>(new BitmapPixels(std::move(picture), transparent));
}

std::shared_ptr<BitmapPixels> PixelsFromImage(const QImage& image, bool transparent) {
    auto out = BitmapPixels::make(image.width(), image.height(), transparent, 0);
    if (out) {
        ImageOf(*out) = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        out->settle();
    }
    return out;
}

bool IsMovieFile(const std::string& data) {
    return data.size() >= 3 && (data[0] == 'F' || data[0] == 'C' || data[0] == 'Z') &&
           data[1] == 'W' && data[2] == 'S';
}

std::shared_ptr<BitmapPixels> DecodePictureFile(const std::string& data, std::string* type) {
    if (IsMovieFile(data)) {
        return nullptr;
    }
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "gif" && format != "jpeg" && format != "jpg") {
        return nullptr; // the player shows no other kind of picture
    }
    if (type) {
        *type = format == "png" ? "image/png" : format == "gif" ? "image/gif" : "image/jpeg";
    }
    // the size is checked before decoding, so a huge header costs no memory
    const QSize size = reader.size();
    if (!size.isValid() || !SizeAllowed(size.width(), size.height())) {
        return nullptr;
    }
    const QImage image = reader.read();
    return image.isNull() ? nullptr : PixelsFromImage(image, image.hasAlphaChannel());
}

void BitmapPixels::settle() {
    if (transparent_) {
        return;
    }
    QImage& image = picture_->image;
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = Row(image, y);
        for (int x = 0; x < image.width(); ++x) {
            row[x] = Unpremultiply(row[x]) | 0xff000000u;
        }
    }
}

std::shared_ptr<BitmapPixels> BitmapPixels::clone() const {
    auto out = make(width(), height(), transparent_, 0);
    if (out) {
        ImageOf(*out) = picture_->image.copy();
    }
    return out;
}

std::uint32_t BitmapPixels::pixel32(int x, int y) const {
    if (!picture_->image.rect().contains(x, y)) {
        return 0;
    }
    return Unpremultiply(Row(picture_->image, y)[x]);
}

void BitmapPixels::setPixel32(int x, int y, std::uint32_t argb) {
    if (picture_->image.rect().contains(x, y)) {
        Row(picture_->image, y)[x] = Premultiply(transparent_ ? argb : argb | 0xff000000u);
    }
}

void BitmapPixels::setPixel(int x, int y, std::uint32_t rgb) {
    if (picture_->image.rect().contains(x, y)) {
        const std::uint32_t alpha = Row(picture_->image, y)[x] & 0xff000000u;
        Row(picture_->image, y)[x] = Premultiply(alpha | (rgb & 0xffffff));
    }
}

void BitmapPixels::fillRect(const PixelRect& area, std::uint32_t argb) {
    const QRect r = ToQt(area).intersected(picture_->image.rect());
    const std::uint32_t value = Premultiply(transparent_ ? argb : argb | 0xff000000u);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        std::fill(Row(picture_->image, y) + r.left(), Row(picture_->image, y) + r.right() + 1,
                  value);
    }
}

void BitmapPixels::copyPixels(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                              const BitmapPixels* alphaSource, PixelPoint alphaAt, bool merge) {
    const std::optional<Span> span = Clipped(picture_->image, ImageOf(source), area, at);
    if (!span) {
        return;
    }
    // rows are copied out first, so a bitmap copying onto itself reads what it held
    const QImage from = ImageOf(source).copy(span->from);
    for (int y = 0; y < from.height(); ++y) {
        QRgb* out = Row(picture_->image, span->to.y() + y) + span->to.x();
        const QRgb* in = Row(from, y);
        for (int x = 0; x < from.width(); ++x) {
            std::uint32_t argb = source.transparent_ ? Unpremultiply(in[x]) : in[x];
            if (alphaSource) {
                const std::uint32_t a =
                    Channel(alphaSource->pixel32(alphaAt.x + span->from.x() - area.x + x,
                                                 alphaAt.y + span->from.y() - area.y + y),
                            24);
                argb = (argb & 0xffffff) | RoundChannel(Channel(argb, 24) * a / 255.0) << 24;
            }
            const std::uint32_t p = Premultiply(argb);
            if (!(merge || alphaSource) || !transparent_) {
                out[x] = transparent_ ? p : Unpremultiply(p) | 0xff000000u;
                continue;
            }
            // source over destination, premultiplied
            const std::uint32_t inverse = 255 - Channel(p, 24);
            const auto over = [&](int shift) {
                return Channel(p, shift) + RoundChannel(Channel(out[x], shift) * inverse / 255.0);
            };
            out[x] = Pack(std::min(255u, over(24)), std::min(255u, over(16)),
                          std::min(255u, over(8)), std::min(255u, over(0)));
        }
    }
}

void BitmapPixels::colorTransform(const PixelRect& area, const ChannelTransform& cx) {
    const QRect r = ToQt(area).intersected(picture_->image.rect());
    const auto apply = [&cx](std::uint32_t c, int i) {
        return static_cast<std::uint32_t>(
            std::clamp(std::floor(c * cx.multiply[i] + cx.add[i]), 0.0, 255.0));
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* row = Row(picture_->image, y);
        for (int x = r.left(); x <= r.right(); ++x) {
            const std::uint32_t c = Unpremultiply(row[x]);
            const std::uint32_t a = transparent_ ? apply(Channel(c, 24), 3) : 255;
            row[x] = Premultiply(Pack(a, apply(Channel(c, 16), 0), apply(Channel(c, 8), 1),
                                      apply(Channel(c, 0), 2)));
        }
    }
}

void BitmapPixels::copyChannel(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                               unsigned from, unsigned to) {
    const auto shiftOf = [](unsigned channel) -> int {
        switch (channel) {
        case Red:
            return 16;
        case Green:
            return 8;
        case Blue:
            return 0;
        case Alpha:
            return 24;
        default:
            return -1;
        }
    };
    const int inShift = shiftOf(from), outShift = shiftOf(to);
    const std::optional<Span> span = Clipped(picture_->image, ImageOf(source), area, at);
    if (!span || inShift < 0 || outShift < 0 || (outShift == 24 && !transparent_)) {
        return;
    }
    const QImage copy = ImageOf(source).copy(span->from);
    for (int y = 0; y < copy.height(); ++y) {
        for (int x = 0; x < copy.width(); ++x) {
            const std::uint32_t value = Channel(ReadPixel(copy, x, y), inShift);
            const QPoint p = span->to + QPoint(x, y);
            const std::uint32_t old = pixel32(p.x(), p.y());
            Row(picture_->image, p.y())[p.x()] =
                Premultiply((old & ~(0xffu << outShift)) | value << outShift);
        }
    }
}

void BitmapPixels::scroll(int dx, int dy) {
    if (std::abs(dx) >= width() || std::abs(dy) >= height()) {
        return;
    }
    const QImage copy = picture_->image.copy();
    const std::optional<Span> span =
        Clipped(picture_->image, copy, PixelRect{0, 0, width(), height()}, PixelPoint{dx, dy});
    if (!span) {
        return;
    }
    for (int y = 0; y < span->from.height(); ++y) {
        std::copy_n(Row(copy, span->from.y() + y) + span->from.x(), span->from.width(),
                    Row(picture_->image, span->to.y() + y) + span->to.x());
    }
}

bool BitmapPixels::floodFill(int x, int y, std::uint32_t argb) {
    if (!picture_->image.rect().contains(x, y)) {
        return false;
    }
    const QRgb target = Row(picture_->image, y)[x];
    const QRgb fill = Premultiply(transparent_ ? argb : argb | 0xff000000u);
    if (target == fill) {
        return false;
    }
    // the stack holds each pixel at most once: a pixel is painted before it is pushed
    std::vector<QPoint> stack{QPoint(x, y)};
    Row(picture_->image, y)[x] = fill;
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint n = p + step;
            if (picture_->image.rect().contains(n) &&
                Row(picture_->image, n.y())[n.x()] == target) {
                Row(picture_->image, n.y())[n.x()] = fill;
                stack.push_back(n);
            }
        }
    }
    return true;
}

PixelRect BitmapPixels::colorBounds(std::uint32_t mask, std::uint32_t color, bool find) const {
    int left = width(), top = height(), right = -1, bottom = -1;
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            if (((pixel32(x, y) & mask) == (color & mask)) == find) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? PixelRect{} : PixelRect{left, top, right - left + 1, bottom - top + 1};
}

namespace {

bool Passes(const std::string& operation, std::uint32_t value, std::uint32_t threshold) {
    if (operation == "<") {
        return value < threshold;
    }
    if (operation == "<=") {
        return value <= threshold;
    }
    if (operation == ">") {
        return value > threshold;
    }
    if (operation == ">=") {
        return value >= threshold;
    }
    if (operation == "==") {
        return value == threshold;
    }
    return operation == "!=" && value != threshold;
}

} // namespace

int BitmapPixels::threshold(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                            const std::string& operation, std::uint32_t threshold,
                            std::uint32_t color, std::uint32_t mask, bool copySource) {
    const std::optional<Span> span = Clipped(picture_->image, ImageOf(source), area, at);
    if (!span) {
        return 0;
    }
    const QImage copy = ImageOf(source).copy(span->from);
    int count = 0;
    for (int y = 0; y < copy.height(); ++y) {
        for (int x = 0; x < copy.width(); ++x) {
            // the player tests the pixels as it keeps them, premultiplied
            const std::uint32_t value = Row(copy, y)[x];
            const QPoint p = span->to + QPoint(x, y);
            if (Passes(operation, value & mask, threshold & mask)) {
                setPixel32(p.x(), p.y(), color);
                ++count;
            } else if (copySource) {
                Row(picture_->image, p.y())[p.x()] =
                    transparent_ ? value : Premultiply(Unpremultiply(value) | 0xff000000u);
            }
        }
    }
    return count;
}

NoiseRandom::NoiseRandom(int seed) {
    // zero and negative seeds count up from one, as the player's do
    const std::int64_t s = seed > 0 ? std::int64_t{seed} : 1 - std::int64_t{seed};
    state_ = s % Modulus == 0 ? 1 : s % Modulus;
}

std::int64_t NoiseRandom::next() {
    state_ = state_ * 16807 % Modulus;
    return state_;
}

int NoiseRandom::between(int low, int high) {
    const std::int64_t r = next();
    return high > low ? static_cast<int>(low + r % (std::int64_t{high} - low + 1)) : low;
}

void BitmapPixels::noise(int seed, int low, int high, unsigned channels, bool grey) {
    NoiseRandom random(seed);
    low = std::clamp(low, 0, 255);
    high = std::clamp(high, 0, 255);
    const auto value = [&] { return static_cast<std::uint32_t>(random.between(low, high)); };
    for (int y = 0; y < height(); ++y) {
        for (int x = 0; x < width(); ++x) {
            const std::uint32_t g = grey ? value() : 0;
            const auto pick = [&](unsigned bit) -> std::uint32_t {
                return grey ? g : (channels & bit) ? value() : 0;
            };
            const std::uint32_t r = pick(Red), gr = pick(Green), b = pick(Blue);
            const std::uint32_t a = (channels & Alpha) && transparent_ ? value() : 255;
            Row(picture_->image, y)[x] = Premultiply(Pack(a, r, gr, b));
        }
    }
}

std::array<std::array<double, 256>, 4> BitmapPixels::histogram(const PixelRect& area) const {
    std::array<std::array<double, 256>, 4> out{};
    const QRect r = ToQt(area).intersected(picture_->image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const std::uint32_t c = pixel32(x, y);
            for (int i = 0; i < 4; ++i) {
                out[i][Channel(c, i == 3 ? 24 : 16 - 8 * i)] += 1;
            }
        }
    }
    return out;
}

void BitmapPixels::merge(const BitmapPixels& source, const PixelRect& area, PixelPoint at,
                         const std::array<int, 4>& multipliers) {
    const std::optional<Span> span = Clipped(picture_->image, ImageOf(source), area, at);
    if (!span) {
        return;
    }
    const QImage copy = ImageOf(source).copy(span->from);
    for (int y = 0; y < copy.height(); ++y) {
        for (int x = 0; x < copy.width(); ++x) {
            const QPoint p = span->to + QPoint(x, y);
            const std::uint32_t s = ReadPixel(copy, x, y), d = pixel32(p.x(), p.y());
            const auto mix = [&](int i, int shift) {
                const int m = std::clamp(multipliers[i], 0, 256);
                const int sc = static_cast<int>(Channel(s, shift));
                const int dc = static_cast<int>(Channel(d, shift));
                return static_cast<std::uint32_t>((sc * m + dc * (256 - m)) / 256);
            };
            setPixel32(p.x(), p.y(), Pack(mix(3, 24), mix(0, 16), mix(1, 8), mix(2, 0)));
        }
    }
}

void BitmapPixels::drawBitmap(const BitmapPixels& source, const std::array<double, 6>& matrix,
                              const ChannelTransform& cx, const std::optional<PixelRect>& clip,
                              bool smoothing) {
    if (!std::all_of(matrix.begin(), matrix.end(), [](double v) { return std::isfinite(v); })) {
        return;
    }
    QImage from = ImageOf(source).copy();
    BitmapPixels tinted(std::make_unique<Picture>(Picture{from}), true);
    tinted.colorTransform(PixelRect{0, 0, from.width(), from.height()}, cx);
    {
        QPainter painter(&picture_->image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing);
        if (clip) {
            painter.setClipRect(ToQt(*clip));
        }
        painter.setTransform(
            QTransform(matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]));
        painter.drawImage(QPointF(0, 0), ImageOf(tinted));
    }
    settle();
}

namespace {

int WholeField(const ScriptField& field, const char* name) {
    const double v = field(name);
    return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1e8, 1e8)) : 0;
}

} // namespace

PixelRect ReadPixelRect(const ScriptField& field) {
    return {WholeField(field, "x"), WholeField(field, "y"), WholeField(field, "width"),
            WholeField(field, "height")};
}

PixelPoint ReadPixelPoint(const ScriptField& field) {
    return {WholeField(field, "x"), WholeField(field, "y")};
}

ChannelTransform ReadChannelTransform(const ScriptField& field) {
    const char* multipliers[] = {"redMultiplier", "greenMultiplier", "blueMultiplier",
                                 "alphaMultiplier"};
    const char* offsets[] = {"redOffset", "greenOffset", "blueOffset", "alphaOffset"};
    ChannelTransform out;
    for (int i = 0; i < 4; ++i) {
        out.multiply[i] = field(multipliers[i]);
        out.add[i] = field(offsets[i]);
    }
    return out;
}

} // namespace quillon::engine
