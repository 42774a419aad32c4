// flash.display.Graphics: every call becomes drawing commands kept with the graphics
// (so a display object off the list keeps its drawing) and, while its owner has a clip,
// handed to the display host. Coordinates are pixels here and twips on the host.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::engine::avm2stage {

using namespace avm2;
using Op = DrawCommand::Op;

namespace {

GraphicsRecord& GraphicsOf(Vm& vm, const Value& self) {
    return StateOf(vm).graphics[self.asObject()];
}

void Send(Vm& vm, const Value& self, const DrawCommand& command) {
    StageState& state = StateOf(vm);
    GraphicsRecord& g = GraphicsOf(vm, self);
    if (g.commands.size() >= MaxGraphicsCommands || state.drawCommands >= MaxStageDrawCommands) {
        return; // a drawing past the caps is left as it is
    }
    g.commands.push_back(command);
    ++state.drawCommands;
    if (const DisplayRecord* owner = g.owner ? DisplayOf(vm, Value::object(g.owner)) : nullptr;
        owner && owner->clip) {
        state.host.draw(owner->clip, command);
    }
}

double Num(Vm& vm, std::span<const Value> args, std::size_t i) {
    return ToNumber(vm, Arg(args, i));
}

void SendPoints(Vm& vm, const Value& self, Op op, std::initializer_list<double> pixels) {
    DrawCommand command;
    command.op = op;
    std::size_t i = 0;
    for (double v : pixels) {
        command.points[i++] = v * TwipsPerPixel;
    }
    Send(vm, self, command);
}

// moveTo (0), lineTo (1), curveTo (2), cubicCurveTo (3).
template <int N> Value Pen(Vm& vm, const Value& self, std::span<const Value> args) {
    static constexpr Op Ops[] = {Op::MoveTo, Op::LineTo, Op::CurveTo, Op::CubicCurveTo};
    static constexpr std::size_t Values[] = {2, 2, 4, 6};
    DrawCommand command;
    command.op = Ops[N];
    for (std::size_t i = 0; i < Values[N]; ++i) {
        command.points[i] = Num(vm, args, i) * TwipsPerPixel;
    }
    Send(vm, self, command);
    return Value();
}

std::uint32_t Argb(Vm& vm, const Value& rgb, const Value& alpha) {
    const double a = alpha.isUndefined() ? 1 : ToNumber(vm, alpha);
    const double opacity = std::isfinite(a) ? std::clamp(a, 0.0, 1.0) : 0;
    return (static_cast<std::uint32_t>(std::lround(opacity * 255)) << 24) |
           (static_cast<std::uint32_t>(ToUint32(vm, rgb)) & 0xffffff);
}

std::size_t LengthOf(Vm& vm, const Value& list) {
    const double n = list.isObject() ? ToNumber(vm, GetPublic(vm, list, "length")) : 0;
    return std::isfinite(n) && n > 0 ? static_cast<std::size_t>(std::min(n, 1e9)) : 0;
}

Value At(Vm& vm, const Value& list, std::size_t i) {
    return GetPublic(vm, list, std::to_string(i));
}

DrawMatrix MatrixArg(Vm& vm, const Value& m, bool bitmap) {
    if (!m.isObject()) {
        return bitmap ? BitmapMatrixOf(1, 0, 0, 1, 0, 0) : GradientMatrixOf(1, 0, 0, 1, 0, 0);
    }
    const auto f = [&](const char* key) { return ToNumber(vm, GetPublic(vm, m, key)); };
    return bitmap ? BitmapMatrixOf(f("a"), f("b"), f("c"), f("d"), f("tx"), f("ty"))
                  : GradientMatrixOf(f("a"), f("b"), f("c"), f("d"), f("tx"), f("ty"));
}

// (type, colors, alphas, ratios, matrix, spread, interpolation, focal).
DrawPaint GradientArgs(Vm& vm, std::span<const Value> args) {
    DrawPaint paint;
    paint.kind =
        ToString(vm, Arg(args, 0)) == "radial" ? DrawPaint::Kind::Radial : DrawPaint::Kind::Linear;
    const Value colors = Arg(args, 1), alphas = Arg(args, 2), ratios = Arg(args, 3);
    // Missing alphas are opaque and missing ratios spread the colours evenly.
    std::size_t count = std::min(LengthOf(vm, colors), MaxDrawGradientStops);
    for (const Value* list : {&alphas, &ratios}) {
        count = list->isNullish() ? count : std::min(count, LengthOf(vm, *list));
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double even = count > 1 ? 255.0 * static_cast<double>(i) / (count - 1) : 0;
        paint.stops.push_back(
            {ratios.isNullish() ? even : ToNumber(vm, At(vm, ratios, i)),
             Argb(vm, At(vm, colors, i), alphas.isNullish() ? Value() : At(vm, alphas, i))});
    }
    paint.matrix = MatrixArg(vm, Arg(args, 4), false);
    const std::string spread = Arg(args, 5).isNullish() ? "" : ToString(vm, Arg(args, 5));
    paint.spread = spread == "reflect" ? 1 : (spread == "repeat" ? 2 : 0);
    paint.interpolation =
        !Arg(args, 6).isNullish() && ToString(vm, Arg(args, 6)) == "linearRGB" ? 1 : 0;
    paint.focal = Arg(args, 7).isUndefined() ? 0 : Num(vm, args, 7);
    return paint;
}

void SendPaint(Vm& vm, const Value& self, Op op, const DrawPaint& paint) {
    DrawCommand command;
    command.op = op;
    command.paint = paint;
    Send(vm, self, command);
}

Value BeginFill(Vm& vm, const Value& self, std::span<const Value> args) {
    DrawPaint paint;
    paint.argb = Argb(vm, Arg(args, 0), Arg(args, 1));
    SendPaint(vm, self, Op::BeginFill, paint);
    return Value();
}

Value BeginGradientFill(Vm& vm, const Value& self, std::span<const Value> args) {
    const DrawPaint paint = GradientArgs(vm, args);
    SendPaint(vm, self, paint.stops.empty() ? Op::EndFill : Op::BeginFill, paint);
    return Value();
}

Value LineGradientStyle(Vm& vm, const Value& self, std::span<const Value> args) {
    const DrawPaint paint = GradientArgs(vm, args);
    if (!paint.stops.empty()) {
        SendPaint(vm, self, Op::LinePaint, paint);
    }
    return Value();
}

// (bitmap, matrix, repeat, smooth): a BitmapData's pixels as they are when drawn. A
// disposed or missing bitmap ends the fill before it (and leaves lines as they are).
DrawPaint BitmapArgs(Vm& vm, std::span<const Value> args) {
    DrawPaint paint;
    paint.kind = DrawPaint::Kind::Bitmap;
    paint.pixels = SharedPixels(vm, Arg(args, 0));
    paint.matrix = MatrixArg(vm, Arg(args, 1), true);
    paint.repeat = Arg(args, 2).isUndefined() || ToBoolean(Arg(args, 2));
    paint.smooth = ToBoolean(Arg(args, 3));
    return paint;
}

Value BeginBitmapFill(Vm& vm, const Value& self, std::span<const Value> args) {
    const DrawPaint paint = BitmapArgs(vm, args);
    SendPaint(vm, self, paint.pixels ? Op::BeginFill : Op::EndFill, paint);
    return Value();
}

Value LineBitmapStyle(Vm& vm, const Value& self, std::span<const Value> args) {
    const DrawPaint paint = BitmapArgs(vm, args);
    if (paint.pixels) {
        SendPaint(vm, self, Op::LinePaint, paint);
    }
    return Value();
}

int Named(Vm& vm, const Value& v, const char* first, const char* second) {
    const std::string s = v.isNullish() ? "" : ToString(vm, v);
    return s == first ? 1 : (s == second ? 2 : 0);
}

Value LineStyle(Vm& vm, const Value& self, std::span<const Value> args) {
    DrawCommand command;
    command.op = Op::LineStyle;
    DrawLine& line = command.line;
    const double thickness = Num(vm, args, 0);
    line.none = !std::isfinite(thickness);
    line.width = line.none ? 0 : std::clamp(thickness, 0.0, 255.0) * TwipsPerPixel;
    line.argb = Argb(vm, Arg(args, 1), Arg(args, 2));
    line.pixelHinting = ToBoolean(Arg(args, 3));
    const int scale = Named(vm, Arg(args, 4), "vertical", "horizontal");
    const bool none = !Arg(args, 4).isNullish() && ToString(vm, Arg(args, 4)) == "none";
    line.noHScale = none || scale == 1;
    line.noVScale = none || scale == 2;
    line.caps = Named(vm, Arg(args, 5), "none", "square");
    line.joints = Named(vm, Arg(args, 6), "bevel", "miter");
    line.miterLimit = Arg(args, 7).isUndefined() ? 3 : Num(vm, args, 7);
    Send(vm, self, command);
    return Value();
}

Value EndFill(Vm& vm, const Value& self, std::span<const Value>) {
    SendPaint(vm, self, Op::EndFill, DrawPaint{});
    return Value();
}

void ClearCommands(Vm& vm, const Value& self) {
    StageState& state = StateOf(vm);
    GraphicsRecord& g = GraphicsOf(vm, self);
    state.drawCommands -= static_cast<std::int64_t>(g.commands.size());
    g.commands.clear();
    if (const DisplayRecord* owner = g.owner ? DisplayOf(vm, Value::object(g.owner)) : nullptr;
        owner && owner->clip) {
        state.host.clearDrawing(owner->clip);
    }
}

Value Clear(Vm& vm, const Value& self, std::span<const Value>) {
    ClearCommands(vm, self);
    return Value();
}

Value CopyFrom(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value from = Arg(args, 0);
    if (!from.isObject() || !StateOf(vm).graphics.contains(from.asObject())) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter sourceGraphics must be non-null.");
    }
    const std::vector<DrawCommand> commands = GraphicsOf(vm, from).commands;
    ClearCommands(vm, self);
    for (const DrawCommand& c : commands) {
        Send(vm, self, c);
    }
    return Value();
}

Value DrawRect(Vm& vm, const Value& self, std::span<const Value> args) {
    const double x = Num(vm, args, 0), y = Num(vm, args, 1);
    const double r = x + Num(vm, args, 2), b = y + Num(vm, args, 3);
    SendPoints(vm, self, Op::MoveTo, {x, y});
    SendPoints(vm, self, Op::LineTo, {r, y});
    SendPoints(vm, self, Op::LineTo, {r, b});
    SendPoints(vm, self, Op::LineTo, {x, b});
    SendPoints(vm, self, Op::LineTo, {x, y});
    return Value();
}

// A quarter of an ellipse about (cx, cy) with radii (rx, ry) from angle `from` on, as
// two curves.
void Quarter(Vm& vm, const Value& self, double cx, double cy, double rx, double ry, double from) {
    const double step = std::numbers::pi / 4;
    const double reach = 1 / std::cos(step / 2);
    for (int i = 0; i < 2; ++i) {
        const double mid = from + step * (i + 0.5), end = from + step * (i + 1);
        SendPoints(vm, self, Op::CurveTo,
                   {cx + rx * reach * std::cos(mid), cy + ry * reach * std::sin(mid),
                    cx + rx * std::cos(end), cy + ry * std::sin(end)});
    }
}

void Ellipse(Vm& vm, const Value& self, double cx, double cy, double rx, double ry) {
    SendPoints(vm, self, Op::MoveTo, {cx + rx, cy});
    for (int q = 0; q < 4; ++q) {
        Quarter(vm, self, cx, cy, rx, ry, q * std::numbers::pi / 2);
    }
}

Value DrawCircle(Vm& vm, const Value& self, std::span<const Value> args) {
    const double r = Num(vm, args, 2);
    Ellipse(vm, self, Num(vm, args, 0), Num(vm, args, 1), r, r);
    return Value();
}

Value DrawEllipse(Vm& vm, const Value& self, std::span<const Value> args) {
    const double w = Num(vm, args, 2) / 2, h = Num(vm, args, 3) / 2;
    Ellipse(vm, self, Num(vm, args, 0) + w, Num(vm, args, 1) + h, w, h);
    return Value();
}

Value DrawRoundRect(Vm& vm, const Value& self, std::span<const Value> args) {
    const double x = Num(vm, args, 0), y = Num(vm, args, 1);
    const double w = Num(vm, args, 2), h = Num(vm, args, 3);
    const double ew = Num(vm, args, 4);
    const double eh =
        Arg(args, 5).isUndefined() || std::isnan(Num(vm, args, 5)) ? ew : Num(vm, args, 5);
    const double rx = std::clamp(ew / 2, 0.0, std::abs(w) / 2);
    const double ry = std::clamp(eh / 2, 0.0, std::abs(h) / 2);
    constexpr double Half = std::numbers::pi / 2;
    SendPoints(vm, self, Op::MoveTo, {x + w, y + h - ry});
    Quarter(vm, self, x + w - rx, y + h - ry, rx, ry, 0);
    SendPoints(vm, self, Op::LineTo, {x + rx, y + h});
    Quarter(vm, self, x + rx, y + h - ry, rx, ry, Half);
    SendPoints(vm, self, Op::LineTo, {x, y + ry});
    Quarter(vm, self, x + rx, y + ry, rx, ry, 2 * Half);
    SendPoints(vm, self, Op::LineTo, {x + w - rx, y});
    Quarter(vm, self, x + w - rx, y + ry, rx, ry, 3 * Half);
    SendPoints(vm, self, Op::LineTo, {x + w, y + h - ry});
    return Value();
}

} // namespace

void InstallGraphicsPathClass(Vm& vm, NativeClass& graphics);
void InstallGraphicsDataClasses(Vm& vm, NativeClass& graphics);

void InstallGraphicsClass(Vm& vm) {
    NativeClass graphics(vm, "Graphics", vm.core.object, "flash.display");
    graphics.methods({{"moveTo", Pen<0>},
                      {"lineTo", Pen<1>},
                      {"curveTo", Pen<2>},
                      {"cubicCurveTo", Pen<3>},
                      {"beginFill", BeginFill},
                      {"beginGradientFill", BeginGradientFill},
                      {"beginBitmapFill", BeginBitmapFill},
                      {"lineStyle", LineStyle},
                      {"lineGradientStyle", LineGradientStyle},
                      {"lineBitmapStyle", LineBitmapStyle},
                      {"endFill", EndFill},
                      {"clear", Clear},
                      {"copyFrom", CopyFrom},
                      {"drawRect", DrawRect},
                      {"drawCircle", DrawCircle},
                      {"drawEllipse", DrawEllipse},
                      {"drawRoundRect", DrawRoundRect}});
    InstallGraphicsPathClass(vm, graphics);
    InstallGraphicsDataClasses(vm, graphics);
}

void SendDrawCommand(Vm& vm, const Value& graphics, const DrawCommand& command) {
    Send(vm, graphics, command);
}

std::size_t ListLength(Vm& vm, const Value& list) {
    return LengthOf(vm, list);
}

Value ListItem(Vm& vm, const Value& list, std::size_t i) {
    return At(vm, list, i);
}

} // namespace quillon::engine::avm2stage

namespace quillon::engine::avm2stage {

Value GraphicsFor(Vm& vm, const Value& owner) {
    DisplayRecord* r = DisplayOf(vm, owner);
    if (!r) {
        return Value::null();
    }
    if (!r->graphics) {
        const Value made = ConstructClass(vm, BuiltinClass(vm, "flash.display", "Graphics"), {});
        r = DisplayOf(vm, owner); // the constructor may have touched the records
        r->graphics = made.asObject();
        StateOf(vm).graphics[made.asObject()].owner = owner.asObject();
    }
    return Value::object(r->graphics);
}

} // namespace quillon::engine::avm2stage
