// The classes of flash.display, flash.filters and flash.text that only name values: line
// scale modes, caps, joints, blend modes, gradient kinds, the commands of a drawn path, bitmap
// channels, filter kinds and qualities, displacement modes, text alignments and sizing.

#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <span>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

struct Named {
    const char* name;
    const char* value;
};

struct ConstantClass {
    const char* name;
    std::initializer_list<Named> strings;
};

const ConstantClass StringClasses[] = {
    {"LineScaleMode",
     {{"NORMAL", "normal"},
      {"NONE", "none"},
      {"VERTICAL", "vertical"},
      {"HORIZONTAL", "horizontal"}}},
    {"CapsStyle", {{"NONE", "none"}, {"ROUND", "round"}, {"SQUARE", "square"}}},
    {"JointStyle", {{"BEVEL", "bevel"}, {"MITER", "miter"}, {"ROUND", "round"}}},
    {"GradientType", {{"LINEAR", "linear"}, {"RADIAL", "radial"}}},
    {"SpreadMethod", {{"PAD", "pad"}, {"REFLECT", "reflect"}, {"REPEAT", "repeat"}}},
    {"InterpolationMethod", {{"RGB", "rgb"}, {"LINEAR_RGB", "linearRGB"}}},
    {"GraphicsPathWinding", {{"EVEN_ODD", "evenOdd"}, {"NON_ZERO", "nonZero"}}},
    {"TriangleCulling", {{"NONE", "none"}, {"POSITIVE", "positive"}, {"NEGATIVE", "negative"}}},
    {"PixelSnapping", {{"NEVER", "never"}, {"ALWAYS", "always"}, {"AUTO", "auto"}}},
    {"BlendMode",
     {{"NORMAL", "normal"},
      {"LAYER", "layer"},
      {"MULTIPLY", "multiply"},
      {"SCREEN", "screen"},
      {"LIGHTEN", "lighten"},
      {"DARKEN", "darken"},
      {"DIFFERENCE", "difference"},
      {"ADD", "add"},
      {"SUBTRACT", "subtract"},
      {"INVERT", "invert"},
      {"ALPHA", "alpha"},
      {"ERASE", "erase"},
      {"OVERLAY", "overlay"},
      {"HARDLIGHT", "hardlight"},
      {"SHADER", "shader"}}},
};

const ConstantClass TextClasses[] = {
    {"TextFieldAutoSize",
     {{"NONE", "none"}, {"LEFT", "left"}, {"RIGHT", "right"}, {"CENTER", "center"}}},
    {"TextFormatAlign",
     {{"LEFT", "left"},
      {"RIGHT", "right"},
      {"CENTER", "center"},
      {"JUSTIFY", "justify"},
      {"START", "start"},
      {"END", "end"}}},
    {"TextFieldType", {{"DYNAMIC", "dynamic"}, {"INPUT", "input"}}},
    {"AntiAliasType", {{"NORMAL", "normal"}, {"ADVANCED", "advanced"}}},
    {"GridFitType", {{"NONE", "none"}, {"PIXEL", "pixel"}, {"SUBPIXEL", "subpixel"}}},
    {"TextFormatDisplay", {{"BLOCK", "block"}, {"INLINE", "inline"}}},
};

const ConstantClass FilterClasses[] = {
    {"BitmapFilterType", {{"INNER", "inner"}, {"OUTER", "outer"}, {"FULL", "full"}}},
    {"DisplacementMapFilterMode",
     {{"WRAP", "wrap"}, {"CLAMP", "clamp"}, {"IGNORE", "ignore"}, {"COLOR", "color"}}},
};

void InstallConstants(Vm& vm, std::span<const ConstantClass> classes, const char* package) {
    for (const ConstantClass& c : classes) {
        NativeClass cls(vm, c.name, vm.core.object, package);
        for (const Named& n : c.strings) {
            cls.constant(n.name, Value::string(n.value));
        }
    }
}

struct Numbered {
    const char* name;
    int value;
};

struct NumberClass {
    const char* name;
    std::initializer_list<Numbered> numbers;
};

const NumberClass NumberClasses[] = {
    {"GraphicsPathCommand",
     {{"NO_OP", 0},
      {"MOVE_TO", 1},
      {"LINE_TO", 2},
      {"CURVE_TO", 3},
      {"WIDE_MOVE_TO", 4},
      {"WIDE_LINE_TO", 5},
      {"CUBIC_CURVE_TO", 6}}},
    {"BitmapDataChannel", {{"RED", 1}, {"GREEN", 2}, {"BLUE", 4}, {"ALPHA", 8}}},
};

} // namespace

void InstallDisplayConstants(Vm& vm) {
    InstallConstants(vm, StringClasses, "flash.display");
    InstallConstants(vm, TextClasses, "flash.text");
    InstallConstants(vm, FilterClasses, "flash.filters");
    NativeClass quality(vm, "BitmapFilterQuality", vm.core.object, "flash.filters");
    for (const auto& [name, passes] : {std::pair{"LOW", 1}, {"MEDIUM", 2}, {"HIGH", 3}}) {
        quality.constant(name, Value::integer(passes));
    }
    for (const NumberClass& c : NumberClasses) {
        NativeClass cls(vm, c.name, vm.core.object, "flash.display");
        for (const Numbered& n : c.numbers) {
            cls.constant(n.name, Value::integer(n.value));
        }
    }
}

} // namespace quillon::engine::avm2stage
