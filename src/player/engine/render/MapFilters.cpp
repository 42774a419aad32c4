#include "player/engine/render/MapFilters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillon::engine {

namespace {

// The layer's pixels unpremultiplied, row after row.
std::vector<QRgb> Straight(const QImage& layer) {
    std::vector<QRgb> out(static_cast<std::size_t>(layer.width()) * layer.height());
    for (int y = 0; y < layer.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            out[static_cast<std::size_t>(y) * layer.width() + x] = qUnpremultiply(line[x]);
        }
    }
    return out;
}

int Channel(QRgb c, int k) {
    switch (k) {
    case 0:
        return qRed(c);
    case 1:
        return qGreen(c);
    case 2:
        return qBlue(c);
    default:
        return qAlpha(c);
    }
}

} // namespace

void ApplyConvolution(QImage& layer, const Filter& f) {
    const int w = layer.width(), h = layer.height();
    if (f.columns <= 0 || f.rows <= 0 || w == 0 || h == 0 ||
        f.kernel.size() < static_cast<std::size_t>(f.columns * f.rows)) {
        return;
    }
    const std::vector<QRgb> in = Straight(layer);
    const double divisor = f.divisor == 0 || !std::isfinite(f.divisor) ? 1 : f.divisor;
    const double bias = std::isfinite(f.bias) ? f.bias : 0;
    const QRgb edge = f.color.rgba();
    const int cx = f.columns / 2, cy = f.rows / 2;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < f.rows; ++j) {
                for (int i = 0; i < f.columns; ++i) {
                    int sx = x + i - cx, sy = y + j - cy;
                    QRgb s;
                    if (sx >= 0 && sy >= 0 && sx < w && sy < h) {
                        s = in[static_cast<std::size_t>(sy) * w + sx];
                    } else if (f.clamp) {
                        sx = std::clamp(sx, 0, w - 1);
                        sy = std::clamp(sy, 0, h - 1);
                        s = in[static_cast<std::size_t>(sy) * w + sx];
                    } else {
                        s = edge;
                    }
                    const double k = f.kernel[static_cast<std::size_t>(j * f.columns + i)];
                    for (int c = 0; c < 4; ++c) {
                        sum[c] += k * Channel(s, c);
                    }
                }
            }
            int out[4];
            for (int c = 0; c < 4; ++c) {
                const double v = sum[c] / divisor + bias;
                out[c] = std::clamp(static_cast<int>(v == v ? v : 0), 0, 255);
            }
            if (f.preserveAlpha) {
                out[3] = qAlpha(in[static_cast<std::size_t>(y) * w + x]);
            }
            line[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

void ApplyDisplacement(QImage& layer, const Filter& f, double scale) {
    const int w = layer.width(), h = layer.height();
    if (f.map.isNull() || w == 0 || h == 0 || !(scale > 0)) {
        return;
    }
    const QImage map = f.map.convertToFormat(QImage::Format_ARGB32);
    const QImage source = layer.copy();
    const auto component = [](QRgb c, int which) {
        switch (which) {
        case 1:
            return qRed(c);
        case 2:
            return qGreen(c);
        case 4:
            return qBlue(c);
        case 8:
            return qAlpha(c);
        default:
            return 128;
        }
    };
    const double sx = std::isfinite(f.scaleX) ? f.scaleX * scale : 0;
    const double sy = std::isfinite(f.scaleY) ? f.scaleY * scale : 0;
    const QRgb fill = qPremultiply(f.color.rgba());
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        const int my = static_cast<int>(std::floor(y / scale)) - f.mapY;
        for (int x = 0; x < w; ++x) {
            const int mx = static_cast<int>(std::floor(x / scale)) - f.mapX;
            int dx = 0, dy = 0;
            if (mx >= 0 && my >= 0 && mx < map.width() && my < map.height()) {
                const QRgb m = reinterpret_cast<const QRgb*>(map.constScanLine(my))[mx];
                dx = static_cast<int>(std::floor((component(m, f.componentX) - 128) * sx / 256));
                dy = static_cast<int>(std::floor((component(m, f.componentY) - 128) * sy / 256));
            }
            int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= w || py >= h) {
                switch (f.mode) {
                case 0: // wrap
                    px = ((px % w) + w) % w;
                    py = ((py % h) + h) % h;
                    break;
                case 1: // clamp
                    px = std::clamp(px, 0, w - 1);
                    py = std::clamp(py, 0, h - 1);
                    break;
                case 2: // ignore: the pixel stays
                    px = x;
                    py = y;
                    break;
                default:
                    line[x] = fill;
                    continue;
                }
            }
            line[x] = reinterpret_cast<const QRgb*>(source.constScanLine(py))[px];
        }
    }
}

} // namespace quillon::engine
