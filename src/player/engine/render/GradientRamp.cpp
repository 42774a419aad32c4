#include "player/engine/render/GradientRamp.h"

#include <algorithm>
#include <cmath>

namespace quillon::engine {

namespace {

constexpr int Entries = 256;

double ToLinear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
double FromLinear(double v) {
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

// A record's colour ready for blending: channels 0..1, in linear light when asked.
struct Colour {
    double r = 0, g = 0, b = 0, a = 0;
};

Colour Prepare(const QColor& c, bool linearRgb) {
    Colour out{c.redF(), c.greenF(), c.blueF(), c.alphaF()};
    if (linearRgb) {
        out.r = ToLinear(out.r);
        out.g = ToLinear(out.g);
        out.b = ToLinear(out.b);
    }
    return out;
}

QRgb Blend(const Colour& x, const Colour& y, double t, bool linearRgb) {
    const auto channel = [&](double a, double b) {
        double v = a + (b - a) * t;
        if (linearRgb) {
            v = FromLinear(v);
        }
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return qRgba(channel(x.r, y.r), channel(x.g, y.g), channel(x.b, y.b),
                 static_cast<int>(std::lround(std::clamp(x.a + (y.a - x.a) * t, 0.0, 1.0) * 255)));
}

} // namespace

GradientRamp BuildGradientRamp(const std::vector<GradientStop>& stops, bool linearRgb) {
    GradientRamp ramp{};
    if (stops.empty()) {
        ramp.fill(qRgba(0, 0, 0, 0));
        return ramp;
    }
    std::vector<Colour> colours;
    colours.reserve(stops.size());
    for (const GradientStop& stop : stops) {
        colours.push_back(Prepare(stop.color, linearRgb));
    }
    int k = 0;
    for (std::size_t i = 0; i < stops.size() && k < Entries; ++i) {
        const double ratio = stops[i].ratio * 255.0;
        if (i == 0) {
            const QRgb first = Blend(colours[0], colours[0], 0, linearRgb);
            do {
                ramp[k++] = first;
            } while (k < Entries && k <= ratio);
            continue;
        }
        const double previous = stops[i - 1].ratio * 255.0;
        const double span = ratio - previous;
        do {
            const double t = span > 0 ? std::clamp((k - previous) / span, 0.0, 1.0) : 0.0;
            ramp[k] = Blend(colours[i - 1], colours[i], t, linearRgb);
            ++k;
        } while (k < Entries && k <= ratio);
    }
    const QRgb last = Blend(colours.back(), colours.back(), 0, linearRgb);
    std::fill(ramp.begin() + k, ramp.end(), last);
    return ramp;
}

QGradientStops RampStops(const GradientRamp& ramp) {
    // Each run of one colour becomes a stop at its start and one just before the next run.
    constexpr double Gap = 1e-6;
    QGradientStops stops;
    int start = 0;
    for (int k = 1; k <= Entries; ++k) {
        if (k < Entries && ramp[k] == ramp[start]) {
            continue;
        }
        const QColor colour = QColor::fromRgba(ramp[start]);
        stops.append({start / double(Entries), colour});
        stops.append({k == Entries ? 1.0 : k / double(Entries) - Gap, colour});
        start = k;
    }
    return stops;
}

} // namespace quillon::engine
