// The MovieClip drawing methods: each call becomes one drawing command on the clip.
// Coordinates are pixels here and twips on the display side; alphas are percentages.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm1/builtins/Helpers.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace quillon::engine::avm1 {

namespace {

std::uint32_t Argb(Vm& vm, const Value& rgb, const Value& alpha) {
    const double percent = alpha.isUndefined() ? 100 : vm.toNumber(alpha);
    const double a = std::isfinite(percent) ? std::clamp(percent, 0.0, 100.0) : 0;
    const auto opacity = static_cast<std::uint32_t>(std::lround(a * 2.55));
    return (opacity << 24) | (ToUint32(vm.toNumber(rgb)) & 0xffffff);
}

Value Element(Vm& vm, const Value& array, std::size_t i) {
    return vm.get(array, std::to_string(i));
}

double Number(Vm& vm, const Value& holder, const char* key) {
    return vm.toNumber(vm.get(holder, key));
}

// A gradient's matrix in its three forms: a flash.geom.Matrix, a box, or a 3x3 matrix
// whose gradient square runs from -0.5 to 0.5.
DrawMatrix GradientMatrixArg(Vm& vm, const Value& m) {
    if (vm.has(m.o, "tx")) {
        return GradientMatrixOf(Number(vm, m, "a"), Number(vm, m, "b"), Number(vm, m, "c"),
                                Number(vm, m, "d"), Number(vm, m, "tx"), Number(vm, m, "ty"));
    }
    if (vm.toString(vm.get(m, "matrixType")) == "box") {
        return GradientBoxOf(Number(vm, m, "w"), Number(vm, m, "h"), Number(vm, m, "r"),
                             Number(vm, m, "x"), Number(vm, m, "y"));
    }
    constexpr double Unit = 1 / 1638.4;
    return GradientMatrixOf(Number(vm, m, "a") * Unit, Number(vm, m, "b") * Unit,
                            Number(vm, m, "d") * Unit, Number(vm, m, "e") * Unit,
                            Number(vm, m, "g"), Number(vm, m, "h"));
}

int SpreadArg(Vm& vm, const Value& v) {
    const std::string s = vm.toString(v);
    return s == "reflect" ? 1 : (s == "repeat" ? 2 : 0);
}

// (type, colors, alphas, ratios, matrix, spread, interpolation, focal) as a paint;
// false when the arguments describe none.
bool GradientArgs(Vm& vm, CallInfo& c, DrawPaint& paint) {
    constexpr std::size_t MostArgs = 8;
    if (c.args.size() > MostArgs) {
        return false; // the player refuses a call with more than the method takes
    }
    const std::string type = vm.toString(c.arg(0));
    const Value colors = c.arg(1), alphas = c.arg(2), ratios = c.arg(3);
    if ((type != "linear" && type != "radial") || !colors.isObject() || !alphas.isObject() ||
        !ratios.isObject() || !c.arg(4).isObject()) {
        return false;
    }
    paint.kind = type == "linear" ? DrawPaint::Kind::Linear : DrawPaint::Kind::Radial;
    const std::size_t count = std::min(vm.arrayLength(colors.o), MaxDrawGradientStops);
    if (vm.arrayLength(alphas.o) != vm.arrayLength(colors.o) ||
        vm.arrayLength(ratios.o) != vm.arrayLength(colors.o)) {
        return false; // the lists must pair up
    }
    for (std::size_t i = 0; i < count; ++i) {
        // ratios count as whole numbers (a non-number as 0) and must stay in 0..255
        const double ratio = std::trunc(vm.toNumber(Element(vm, ratios, i)));
        if (ratio < 0 || ratio > 255) {
            return false;
        }
        paint.stops.push_back({std::isnan(ratio) ? 0 : ratio,
                               Argb(vm, Element(vm, colors, i), Element(vm, alphas, i))});
    }
    paint.matrix = GradientMatrixArg(vm, c.arg(4));
    if (!std::all_of(paint.matrix.begin(), paint.matrix.end(),
                     [](double v) { return std::isfinite(v); })) {
        return false; // a matrix with holes names no gradient
    }
    paint.spread = SpreadArg(vm, c.arg(5));
    paint.interpolation = vm.toString(c.arg(6)) == "linearRGB" ? 1 : 0;
    paint.focal = c.arg(7).isUndefined() ? 0 : vm.toNumber(c.arg(7));
    return count > 0;
}

// (bitmap, matrix, repeat, smoothing): a bitmap known by its character.
bool BitmapArgs(Vm& vm, CallInfo& c, DrawPaint& paint) {
    const Value bitmap = c.arg(0);
    if (!bitmap.isObject() || !vm.has(bitmap.o, "$characterId")) {
        return false;
    }
    paint.kind = DrawPaint::Kind::Bitmap;
    paint.bitmapId = static_cast<std::uint16_t>(Number(vm, bitmap, "$characterId"));
    const Value m = c.arg(1);
    if (m.isObject()) {
        paint.matrix = BitmapMatrixOf(Number(vm, m, "a"), Number(vm, m, "b"), Number(vm, m, "c"),
                                      Number(vm, m, "d"), Number(vm, m, "tx"), Number(vm, m, "ty"));
    } else {
        paint.matrix = BitmapMatrixOf(1, 0, 0, 1, 0, 0);
    }
    paint.repeat = c.arg(2).isUndefined() || vm.toBool(c.arg(2));
    paint.smooth = vm.toBool(c.arg(3));
    return true;
}

void Send(Vm& vm, CallInfo& c, const DrawCommand& command) {
    if (const ClipId clip = vm.clipOf(c.thisValue)) {
        vm.host().draw(clip, command);
    }
}

// moveTo (magic 0), lineTo (1), curveTo (2).
Value Pen(Vm& vm, CallInfo& c) {
    static constexpr DrawCommand::Op Ops[] = {DrawCommand::Op::MoveTo, DrawCommand::Op::LineTo,
                                              DrawCommand::Op::CurveTo};
    const int magic = c.callee->magic;
    DrawCommand command;
    command.op = Ops[magic];
    const std::size_t values = magic == 2 ? 4 : 2;
    if (c.args.size() < values) {
        return Value(); // the player ignores a short call
    }
    for (std::size_t i = 0; i < values; ++i) {
        command.points[i] = vm.toNumber(c.arg(i)) * TwipsPerPixel;
    }
    Send(vm, c, command);
    return Value();
}

int NamedArg(Vm& vm, const Value& v, const char* first, const char* second, int fallback) {
    const std::string s = vm.toString(v);
    return s == first ? 1 : (s == second ? 2 : fallback);
}

Value LineStyle(Vm& vm, CallInfo& c) {
    DrawCommand command;
    command.op = DrawCommand::Op::LineStyle;
    DrawLine& line = command.line;
    line.none = c.arg(0).isUndefined();
    line.width = std::clamp(vm.toNumber(c.arg(0)), 0.0, 255.0) * TwipsPerPixel;
    line.argb = Argb(vm, c.arg(1), c.arg(2));
    line.pixelHinting = vm.toBool(c.arg(3));
    const std::string scale = vm.toString(c.arg(4));
    line.noHScale = scale == "none" || scale == "vertical";
    line.noVScale = scale == "none" || scale == "horizontal";
    line.caps = c.arg(5).isUndefined() ? 0 : NamedArg(vm, c.arg(5), "none", "square", 0);
    line.joints = c.arg(6).isUndefined() ? 0 : NamedArg(vm, c.arg(6), "bevel", "miter", 0);
    line.miterLimit = c.arg(7).isUndefined() ? 3 : vm.toNumber(c.arg(7));
    Send(vm, c, command);
    return Value();
}

// beginFill (magic 0), beginGradientFill (1), beginBitmapFill (2), lineGradientStyle (3).
Value Paint(Vm& vm, CallInfo& c) {
    const int magic = c.callee->magic;
    DrawCommand command;
    command.op = magic == 3 ? DrawCommand::Op::LinePaint : DrawCommand::Op::BeginFill;
    bool painted = true;
    if (magic == 0) {
        painted = !c.arg(0).isUndefined();
        command.paint.argb = Argb(vm, c.arg(0), c.arg(1));
    } else {
        painted =
            magic == 2 ? BitmapArgs(vm, c, command.paint) : GradientArgs(vm, c, command.paint);
    }
    if (!painted) {
        // a fill that names nothing still ends the fill before it; a gradient of a kind
        // given but unknown (or of lists that do not pair up) leaves the fill as it is
        if (magic == 3 || (magic == 1 && !c.arg(0).isUndefined())) {
            return Value();
        }
        command.op = DrawCommand::Op::EndFill;
    }
    Send(vm, c, command);
    return Value();
}

Value EndFill(Vm& vm, CallInfo& c) {
    DrawCommand command;
    command.op = DrawCommand::Op::EndFill;
    Send(vm, c, command);
    return Value();
}

Value Clear(Vm& vm, CallInfo& c) {
    if (const ClipId clip = vm.clipOf(c.thisValue)) {
        vm.host().clearDrawing(clip);
    }
    return Value();
}

} // namespace

void InstallDrawingBuiltins(Vm& vm) {
    vm.methods(vm.movieClipProto, {{"moveTo", Pen, 0},
                                   {"lineTo", Pen, 1},
                                   {"curveTo", Pen, 2},
                                   {"lineStyle", LineStyle},
                                   {"beginFill", Paint, 0},
                                   {"beginGradientFill", Paint, 1},
                                   {"beginBitmapFill", Paint, 2},
                                   {"lineGradientStyle", Paint, 3},
                                   {"endFill", EndFill},
                                   {"clear", Clear}});
}

} // namespace quillon::engine::avm1
