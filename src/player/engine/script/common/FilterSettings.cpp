#include "player/engine/script/common/FilterSettings.h"

#include "player/engine/characters/BitmapImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <numbers>

namespace quillon::engine {

namespace {

using K = FilterFieldKind;

constexpr const char* ClassNames[FilterClassCount] = {
    "BevelFilter",           "BlurFilter",       "ColorMatrixFilter", "ConvolutionFilter",
    "DisplacementMapFilter", "DropShadowFilter", "GlowFilter",        "GradientBevelFilter",
    "GradientGlowFilter"};

constexpr FilterField BevelFields[] = {
    {"distance", K::Number},       {"angle", K::Number},      {"highlightColor", K::Color},
    {"highlightAlpha", K::Number}, {"shadowColor", K::Color}, {"shadowAlpha", K::Number},
    {"blurX", K::Number},          {"blurY", K::Number},      {"strength", K::Number},
    {"quality", K::Number},        {"type", K::Text},         {"knockout", K::Bool}};
constexpr FilterField BlurFields[] = {
    {"blurX", K::Number}, {"blurY", K::Number}, {"quality", K::Number}};
constexpr FilterField ColorMatrixFields[] = {{"matrix", K::Numbers}};
constexpr FilterField ConvolutionFields[] = {
    {"matrixX", K::Number}, {"matrixY", K::Number}, {"matrix", K::Numbers},
    {"divisor", K::Number}, {"bias", K::Number},    {"preserveAlpha", K::Bool},
    {"clamp", K::Bool},     {"color", K::Color},    {"alpha", K::Number}};
constexpr FilterField DisplacementFields[] = {
    {"mapBitmap", K::Bitmap},  {"mapPoint", K::Point}, {"componentX", K::Number},
    {"componentY", K::Number}, {"scaleX", K::Number},  {"scaleY", K::Number},
    {"mode", K::Text},         {"color", K::Color},    {"alpha", K::Number}};
constexpr FilterField DropShadowFields[] = {
    {"distance", K::Number}, {"angle", K::Number},  {"color", K::Color},     {"alpha", K::Number},
    {"blurX", K::Number},    {"blurY", K::Number},  {"strength", K::Number}, {"quality", K::Number},
    {"inner", K::Bool},      {"knockout", K::Bool}, {"hideObject", K::Bool}};
constexpr FilterField GlowFields[] = {
    {"color", K::Color},     {"alpha", K::Number},   {"blurX", K::Number}, {"blurY", K::Number},
    {"strength", K::Number}, {"quality", K::Number}, {"inner", K::Bool},   {"knockout", K::Bool}};
constexpr FilterField GradientFields[] = {
    {"distance", K::Number}, {"angle", K::Number}, {"colors", K::Numbers}, {"alphas", K::Numbers},
    {"ratios", K::Numbers},  {"blurX", K::Number}, {"blurY", K::Number},   {"strength", K::Number},
    {"quality", K::Number},  {"type", K::Text},    {"knockout", K::Bool}};

constexpr double Radians = std::numbers::pi / 180;
// The angle an ActionScript 1/2 filter starts with: the player's stored quarter turn.
constexpr double Avm1DefaultRadians = 0.785398163;

double Num(const FilterValue& v) {
    if (const double* d = std::get_if<double>(&v)) {
        return *d;
    }
    if (const bool* b = std::get_if<bool>(&v)) {
        return *b ? 1 : 0;
    }
    return std::nan("");
}
bool Flag(const FilterValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) {
        return *b;
    }
    const double d = Num(v);
    return d == d && d != 0;
}
std::string Text(const FilterValue& v) {
    const std::string* s = std::get_if<std::string>(&v);
    return s ? *s : std::string();
}
std::vector<double> List(const FilterValue& v) {
    const auto* l = std::get_if<std::vector<double>>(&v);
    return l ? *l : std::vector<double>();
}

double Clamp(double v, double low, double high) {
    return v == v ? std::clamp(v, low, high) : low; // NaN to the low end
}
// Whole numbers toward zero, NaN as 0.
double Whole(double v) {
    return v == v ? std::trunc(Clamp(v, -2147483648.0, 2147483647.0)) : 0;
}
// A colour's low 24 bits, from a number taken modulo 2^32.
double Rgb(double v) {
    if (!std::isfinite(v)) {
        return 0;
    }
    const double m = std::fmod(std::trunc(v), 4294967296.0);
    const auto bits =
        static_cast<std::uint32_t>(static_cast<std::int64_t>(m < 0 ? m + 4294967296.0 : m));
    return bits & 0xffffff;
}
double HeldAlpha(double v, FilterDialect d) {
    const double a = Clamp(v, 0, 1);
    return d == FilterDialect::Avm1 ? std::floor(a * 255) / 255 : a;
}
// Strength is kept in 8.8 fixed point.
double Strength(double v) {
    return std::floor(Clamp(v, 0, 255) * 256) / 256;
}
std::string BevelType(const std::string& t) {
    return t == "inner" || t == "outer" ? t : "full";
}
std::string MapMode(const std::string& m) {
    return m == "clamp" || m == "ignore" || m == "color" ? m : "wrap";
}
// The kernel grown to its columns and rows, new places 0; a smaller size keeps it.
void FitKernel(FilterSettings& f) {
    f.matrix.resize(std::max(f.matrix.size(), static_cast<std::size_t>(f.matrixX * f.matrixY)),
                    0.0);
}

} // namespace

const char* FilterClassName(FilterClass cls) {
    return ClassNames[static_cast<int>(cls)];
}

std::optional<FilterClass> FilterClassNamed(std::string_view name) {
    for (int i = 0; i < FilterClassCount; ++i) {
        if (name == ClassNames[i]) {
            return static_cast<FilterClass>(i);
        }
    }
    return std::nullopt;
}

std::span<const FilterField> FilterFields(FilterClass cls) {
    switch (cls) {
    case FilterClass::Bevel:
        return BevelFields;
    case FilterClass::Blur:
        return BlurFields;
    case FilterClass::ColorMatrix:
        return ColorMatrixFields;
    case FilterClass::Convolution:
        return ConvolutionFields;
    case FilterClass::DisplacementMap:
        return DisplacementFields;
    case FilterClass::DropShadow:
        return DropShadowFields;
    case FilterClass::Glow:
        return GlowFields;
    case FilterClass::GradientBevel:
    case FilterClass::GradientGlow:
        break;
    }
    return GradientFields;
}

FilterSettings DefaultFilter(FilterClass cls, FilterDialect dialect) {
    FilterSettings f;
    f.cls = cls;
    if (dialect == FilterDialect::Avm1) {
        f.angle = Avm1DefaultRadians / Radians;
    }
    switch (cls) {
    case FilterClass::Glow:
        f.color = 0xff0000;
        f.blurX = f.blurY = 6;
        f.strength = 2;
        break;
    case FilterClass::ColorMatrix:
        f.matrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
        break;
    case FilterClass::Convolution:
    case FilterClass::DisplacementMap:
        f.alpha = 0;
        break;
    default:
        break;
    }
    return f;
}

std::optional<FilterValue> GetFilterField(const FilterSettings& f, std::string_view name) {
    const auto fields = FilterFields(f.cls);
    if (std::none_of(fields.begin(), fields.end(),
                     [name](const FilterField& k) { return name == k.name; })) {
        return std::nullopt;
    }
    const bool bevel = f.cls == FilterClass::Bevel;
    if (name == "distance")
        return f.distance;
    if (name == "angle")
        return f.angle;
    if (name == "blurX")
        return f.blurX;
    if (name == "blurY")
        return f.blurY;
    if (name == "strength")
        return f.strength;
    if (name == "quality")
        return f.quality;
    if (name == "color" || (bevel && name == "shadowColor"))
        return f.color;
    if (name == "alpha" || (bevel && name == "shadowAlpha"))
        return f.alpha;
    if (name == "highlightColor")
        return f.highlightColor;
    if (name == "highlightAlpha")
        return f.highlightAlpha;
    if (name == "inner")
        return f.inner;
    if (name == "knockout")
        return f.knockout;
    if (name == "hideObject")
        return f.hideObject;
    if (name == "type")
        return f.type;
    if (name == "colors")
        return f.colors;
    if (name == "alphas")
        return f.alphas;
    if (name == "ratios")
        return f.ratios;
    if (name == "matrix")
        return f.matrix;
    if (name == "matrixX")
        return f.matrixX;
    if (name == "matrixY")
        return f.matrixY;
    if (name == "divisor")
        return f.divisor;
    if (name == "bias")
        return f.bias;
    if (name == "preserveAlpha")
        return f.preserveAlpha;
    if (name == "clamp")
        return f.clamp;
    if (name == "componentX")
        return f.componentX;
    if (name == "componentY")
        return f.componentY;
    if (name == "scaleX")
        return f.scaleX;
    if (name == "scaleY")
        return f.scaleY;
    if (name == "mode")
        return f.mode;
    if (name == "mapPoint")
        return std::vector<double>{f.mapX, f.mapY};
    return std::nullopt;
}

bool SetFilterField(FilterSettings& f, std::string_view name, const FilterValue& value,
                    FilterDialect dialect) {
    const auto fields = FilterFields(f.cls);
    if (std::none_of(fields.begin(), fields.end(),
                     [name](const FilterField& k) { return name == k.name; })) {
        return false;
    }
    const bool avm1 = dialect == FilterDialect::Avm1;
    const bool bevel = f.cls == FilterClass::Bevel;
    const double n = Num(value);
    if (name == "distance") {
        f.distance = n;
    } else if (name == "angle") {
        f.angle = avm1 && std::isfinite(n) ? std::fmod(n, 360) : n;
    } else if (name == "blurX") {
        f.blurX = avm1 ? Clamp(n, 0, 255) : n;
    } else if (name == "blurY") {
        f.blurY = avm1 ? Clamp(n, 0, 255) : n;
    } else if (name == "strength") {
        f.strength = avm1 ? Strength(n) : n;
    } else if (name == "quality") {
        f.quality = avm1 ? Clamp(Whole(n), 0, 15) : n;
    } else if (name == "color" || (bevel && name == "shadowColor")) {
        f.color = Rgb(n);
    } else if (name == "alpha" || (bevel && name == "shadowAlpha")) {
        f.alpha = avm1 ? HeldAlpha(n, dialect) : n;
    } else if (name == "highlightColor") {
        f.highlightColor = Rgb(n);
    } else if (name == "highlightAlpha") {
        f.highlightAlpha = avm1 ? HeldAlpha(n, dialect) : n;
    } else if (name == "inner") {
        f.inner = Flag(value);
    } else if (name == "knockout") {
        f.knockout = Flag(value);
    } else if (name == "hideObject") {
        f.hideObject = Flag(value);
    } else if (name == "type") {
        f.type = BevelType(Text(value));
    } else if (name == "colors") {
        f.colors = List(value);
        for (double& c : f.colors) {
            c = Rgb(c);
        }
    } else if (name == "alphas") {
        f.alphas = List(value);
        for (double& a : f.alphas) {
            a = HeldAlpha(a, dialect);
        }
    } else if (name == "ratios") {
        f.ratios = List(value);
        for (double& r : f.ratios) {
            r = Clamp(Whole(r), 0, 255);
        }
    } else if (name == "matrix") {
        f.matrix = List(value);
        if (f.cls == FilterClass::ColorMatrix) {
            // a colour matrix always has 20 entries; missing ones read as NaN in 1/2
            f.matrix.resize(20, avm1 ? std::nan("") : 0.0);
        } else if (!avm1) {
            FitKernel(f);
        }
    } else if (name == "matrixX" || name == "matrixY") {
        (name == "matrixX" ? f.matrixX : f.matrixY) = Clamp(Whole(n), 0, 15);
        FitKernel(f);
    } else if (name == "divisor") {
        f.divisor = n;
    } else if (name == "bias") {
        f.bias = n;
    } else if (name == "preserveAlpha") {
        f.preserveAlpha = Flag(value);
    } else if (name == "clamp") {
        f.clamp = Flag(value);
    } else if (name == "componentX") {
        f.componentX = Whole(n);
    } else if (name == "componentY") {
        f.componentY = Whole(n);
    } else if (name == "scaleX") {
        f.scaleX = Clamp(n, -65535, 65535);
    } else if (name == "scaleY") {
        f.scaleY = Clamp(n, -65535, 65535);
    } else if (name == "mode") {
        f.mode = MapMode(Text(value));
    } else if (name == "mapPoint") {
        const std::vector<double> xy = List(value);
        f.mapX = xy.size() == 2 ? Whole(xy[0]) : 0;
        f.mapY = xy.size() == 2 ? Whole(xy[1]) : 0;
    }
    return true;
}

void HoldToLimits(FilterSettings& f) {
    f.blurX = Clamp(f.blurX, 0, 255);
    f.blurY = Clamp(f.blurY, 0, 255);
    f.strength = Strength(f.strength);
    f.quality = Clamp(Whole(f.quality), 0, 15);
    f.alpha = Clamp(f.alpha, 0, 1);
    f.highlightAlpha = Clamp(f.highlightAlpha, 0, 1);
    f.color = Rgb(f.color);
    f.highlightColor = Rgb(f.highlightColor);
    f.type = BevelType(f.type);
    f.mode = MapMode(f.mode);
    if (!std::isfinite(f.angle)) {
        f.angle = 0;
    }
    if (!std::isfinite(f.distance)) {
        f.distance = 0;
    }
}

namespace {

QColor ColorOf(double rgb, double alpha) {
    const auto bits = static_cast<std::uint32_t>(Rgb(rgb));
    // alpha in 16 bits, so that a script's alpha reads back as it was set
    const auto a16 = static_cast<quint16>(std::lround(Clamp(alpha, 0, 1) * 65535));
    return QColor(QRgba64::fromRgba64(static_cast<quint16>((bits >> 16 & 0xff) * 257),
                                      static_cast<quint16>((bits >> 8 & 0xff) * 257),
                                      static_cast<quint16>((bits & 0xff) * 257), a16));
}
double AlphaOf(const QColor& c) {
    return c.rgba64().alpha() / 65535.0;
}
double RgbOf(const QColor& c) {
    return static_cast<double>(c.rgb() & 0xffffff);
}

constexpr const char* ModeNames[] = {"wrap", "clamp", "ignore", "color"};

void SetType(Filter& r, const std::string& type) {
    r.onTop = type == "full";
    r.inner = type == "inner";
}
std::string TypeOf(const Filter& r) {
    return r.onTop ? "full" : r.inner ? "inner" : "outer";
}

} // namespace

Filter ToFilterRecord(const FilterSettings& in) {
    FilterSettings f = in;
    HoldToLimits(f);
    Filter r;
    r.blurX = f.blurX;
    r.blurY = f.blurY;
    r.passes = static_cast<int>(f.quality);
    r.strength = f.strength;
    r.knockout = f.knockout;
    r.angle = f.angle * Radians;
    r.distance = f.distance;
    r.color = ColorOf(f.color, f.alpha);
    switch (f.cls) {
    case FilterClass::Blur:
        r.kind = FilterKind::Blur;
        break;
    case FilterClass::DropShadow:
        r.kind = FilterKind::DropShadow;
        r.inner = f.inner;
        r.compositeSource = !f.hideObject;
        break;
    case FilterClass::Glow:
        r.kind = FilterKind::Glow;
        r.inner = f.inner;
        r.angle = r.distance = 0;
        break;
    case FilterClass::Bevel:
        r.kind = FilterKind::Bevel;
        r.highlight = ColorOf(f.highlightColor, f.highlightAlpha);
        SetType(r, f.type);
        break;
    case FilterClass::GradientBevel:
    case FilterClass::GradientGlow: {
        r.kind = f.cls == FilterClass::GradientBevel ? FilterKind::GradientBevel
                                                     : FilterKind::GradientGlow;
        SetType(r, f.type);
        const std::size_t n =
            std::min({f.colors.size(), f.alphas.size(), f.ratios.size(), std::size_t{16}});
        for (std::size_t i = 0; i < n; ++i) {
            r.ramp.push_back({static_cast<int>(Clamp(Whole(f.ratios[i]), 0, 255)),
                              ColorOf(f.colors[i], f.alphas[i])});
        }
        break;
    }
    case FilterClass::ColorMatrix:
        r.kind = FilterKind::ColorMatrix;
        for (std::size_t i = 0; i < r.matrix.size() && i < f.matrix.size(); ++i) {
            r.matrix[i] = std::isfinite(f.matrix[i]) ? static_cast<float>(f.matrix[i]) : 0.0f;
        }
        break;
    case FilterClass::Convolution: {
        r.kind = FilterKind::Convolution;
        r.columns = static_cast<int>(Clamp(Whole(f.matrixX), 0, 15));
        r.rows = static_cast<int>(Clamp(Whole(f.matrixY), 0, 15));
        r.kernel.assign(static_cast<std::size_t>(r.columns * r.rows), 0.0f);
        for (std::size_t i = 0; i < r.kernel.size() && i < f.matrix.size(); ++i) {
            r.kernel[i] = std::isfinite(f.matrix[i]) ? static_cast<float>(f.matrix[i]) : 0.0f;
        }
        r.divisor = f.divisor;
        r.bias = f.bias;
        r.preserveAlpha = f.preserveAlpha;
        r.clamp = f.clamp;
        break;
    }
    case FilterClass::DisplacementMap:
        r.kind = FilterKind::DisplacementMap;
        if (f.mapBitmap) {
            r.map = ImageOf(*f.mapBitmap);
        }
        r.mapX = static_cast<int>(f.mapX);
        r.mapY = static_cast<int>(f.mapY);
        r.componentX = static_cast<int>(f.componentX);
        r.componentY = static_cast<int>(f.componentY);
        r.scaleX = f.scaleX;
        r.scaleY = f.scaleY;
        r.mode = static_cast<int>(std::find(std::begin(ModeNames), std::end(ModeNames), f.mode) -
                                  std::begin(ModeNames)) %
                 4;
        break;
    }
    return r;
}

FilterSettings FromFilterRecord(const Filter& r) {
    static constexpr FilterClass Classes[] = {
        FilterClass::DropShadow,  FilterClass::Blur,          FilterClass::Glow,
        FilterClass::Bevel,       FilterClass::GradientGlow,  FilterClass::Convolution,
        FilterClass::ColorMatrix, FilterClass::GradientBevel, FilterClass::DisplacementMap};
    const auto index = static_cast<std::size_t>(r.kind);
    FilterSettings f = DefaultFilter(
        index < std::size(Classes) ? Classes[index] : FilterClass::Blur, FilterDialect::Avm2);
    f.blurX = r.blurX;
    f.blurY = r.blurY;
    f.quality = r.passes;
    f.strength = r.strength;
    f.knockout = r.knockout;
    f.inner = r.inner;
    f.hideObject = !r.compositeSource;
    f.angle = r.angle / Radians;
    f.distance = r.distance;
    f.color = RgbOf(r.color);
    f.alpha = AlphaOf(r.color);
    f.highlightColor = RgbOf(r.highlight);
    f.highlightAlpha = AlphaOf(r.highlight);
    f.type = TypeOf(r);
    for (const FilterStop& stop : r.ramp) {
        f.colors.push_back(RgbOf(stop.color));
        f.alphas.push_back(AlphaOf(stop.color));
        f.ratios.push_back(stop.ratio);
    }
    switch (f.cls) {
    case FilterClass::ColorMatrix:
        f.matrix.assign(r.matrix.begin(), r.matrix.end());
        break;
    case FilterClass::Convolution:
        f.matrixX = r.columns;
        f.matrixY = r.rows;
        f.matrix.assign(r.kernel.begin(), r.kernel.end());
        f.divisor = r.divisor;
        f.bias = r.bias;
        f.preserveAlpha = r.preserveAlpha;
        f.clamp = r.clamp;
        break;
    case FilterClass::DisplacementMap:
        f.mapBitmap = r.map.isNull() ? nullptr : PixelsFromImage(r.map, true);
        f.mapX = r.mapX;
        f.mapY = r.mapY;
        f.componentX = r.componentX;
        f.componentY = r.componentY;
        f.scaleX = r.scaleX;
        f.scaleY = r.scaleY;
        f.mode = ModeNames[std::clamp(r.mode, 0, 3)];
        break;
    default:
        break;
    }
    return f;
}

namespace {
constexpr const char* BlendNames[] = {"normal",  "normal", "layer",      "multiply", "screen",
                                      "lighten", "darken", "difference", "add",      "subtract",
                                      "invert",  "alpha",  "erase",      "overlay",  "hardlight"};
} // namespace

int BlendModeNamed(std::string_view name) {
    for (int i = 1; i < static_cast<int>(std::size(BlendNames)); ++i) {
        if (name == BlendNames[i]) {
            return i;
        }
    }
    return 0;
}

const char* BlendModeName(int mode) {
    return mode > 0 && mode < static_cast<int>(std::size(BlendNames)) ? BlendNames[mode] : "normal";
}

} // namespace quillon::engine
