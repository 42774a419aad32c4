#pragma once
// The flash.filters classes as both script languages see them: each class's properties
// in its constructor's order, their defaults, the limits the player holds them to, and
// the engine's filter record a filter stands for.

#include "player/engine/characters/BitmapPixels.h"
#include "player/engine/characters/Records.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillon::engine {

enum class FilterClass : std::uint8_t {
    Bevel,
    Blur,
    ColorMatrix,
    Convolution,
    DisplacementMap,
    DropShadow,
    Glow,
    GradientBevel,
    GradientGlow
};
inline constexpr int FilterClassCount = 9;

// "BevelFilter" and back.
const char* FilterClassName(FilterClass cls);
std::optional<FilterClass> FilterClassNamed(std::string_view name);

enum class FilterFieldKind : std::uint8_t { Number, Color, Bool, Text, Numbers, Point, Bitmap };
struct FilterField {
    const char* name;
    FilterFieldKind kind;
};
// A class's properties in the order its constructor takes them.
std::span<const FilterField> FilterFields(FilterClass cls);

// A property's value: numbers (colours too), flags, names, lists (a point is {x, y}).
using FilterValue = std::variant<double, bool, std::string, std::vector<double>>;

// ActionScript 1/2 filters keep what is set in the units the player stores (alphas in
// 255ths, angles below a turn) at once; ActionScript 3 ones are held to the limits as they
// go onto an object.
enum class FilterDialect : std::uint8_t { Avm1, Avm2 };

struct FilterSettings {
    FilterClass cls = FilterClass::Blur;
    double distance = 4, angle = 45; // angle in degrees
    double blurX = 4, blurY = 4, strength = 1, quality = 1;
    // shadows and glows; a bevel's shadow side; the edge colour of convolutions and
    // displacement maps
    double color = 0, alpha = 1;
    double highlightColor = 0xffffff, highlightAlpha = 1;
    bool inner = false, knockout = false, hideObject = false;
    std::string type = "inner"; // bevels and gradient glows: inner, outer or full
    std::vector<double> colors, alphas, ratios;
    std::vector<double> matrix; // colour matrix or convolution kernel
    double matrixX = 0, matrixY = 0, divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    double componentX = 0, componentY = 0, scaleX = 0, scaleY = 0;
    std::string mode = "wrap";
    double mapX = 0, mapY = 0;
    std::shared_ptr<BitmapPixels> mapBitmap;
};

FilterSettings DefaultFilter(FilterClass cls, FilterDialect dialect);
// A property by name (a point as {x, y}; none for the map bitmap or a name the class
// lacks).
std::optional<FilterValue> GetFilterField(const FilterSettings& f, std::string_view name);
// Sets a property, held as the dialect holds it; false for a name the class lacks.
bool SetFilterField(FilterSettings& f, std::string_view name, const FilterValue& value,
                    FilterDialect dialect);
// Every value held to the player's limits, as when a filter goes onto an object.
void HoldToLimits(FilterSettings& f);

// The engine's record of a filter and back.
Filter ToFilterRecord(const FilterSettings& f);
FilterSettings FromFilterRecord(const Filter& record);

// The blend modes by the names scripts use ("normal", "multiply"...), numbered as the
// engine numbers them; 0 for a name not known.
int BlendModeNamed(std::string_view name);
const char* BlendModeName(int mode); // "normal" for 0 and numbers not known

} // namespace quillon::engine
