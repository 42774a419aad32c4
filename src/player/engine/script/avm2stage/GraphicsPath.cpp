// Graphics.drawPath and drawTriangles: lists of commands and coordinates read one item
// at a time, as far as both lists reach.

#include "player/engine/characters/Twips.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <algorithm>

namespace quillon::engine::avm2stage {

using namespace avm2;
using Op = DrawCommand::Op;

namespace {

// The coordinates of a path in pixels, read from the front.
class Coordinates {
public:
    Coordinates(Vm& vm, const Value& list) : vm_(vm), list_(list), size_(ListLength(vm, list)) {}
    bool has(std::size_t count) const { return next_ + count <= size_; }
    double take() { return ToNumber(vm_, ListItem(vm_, list_, next_++)) * TwipsPerPixel; }
    void skip(std::size_t count) { next_ += count; }
    double at(std::size_t i) { return ToNumber(vm_, ListItem(vm_, list_, i)) * TwipsPerPixel; }
    std::size_t size() const { return size_; }

private:
    Vm& vm_;
    const Value& list_;
    std::size_t size_;
    std::size_t next_ = 0;
};

// The drawPath commands: 1 moveTo, 2 lineTo, 3 curveTo, 4 wide moveTo, 5 wide lineTo,
// 6 cubicCurveTo (0 does nothing).
constexpr struct {
    Op op;
    std::size_t values, skipped;
} Steps[] = {{Op::MoveTo, 2, 0}, {Op::LineTo, 2, 0}, {Op::CurveTo, 4, 0},
             {Op::MoveTo, 2, 2}, {Op::LineTo, 2, 2}, {Op::CubicCurveTo, 6, 0}};

// One drawPath command; false when the coordinates run out.
bool PathStep(Vm& vm, const Value& self, int code, Coordinates& data) {
    if (code < 1 || code > 6) {
        return true; // no-ops take no coordinates
    }
    const auto& step = Steps[code - 1];
    if (!data.has(step.values + step.skipped)) {
        return false;
    }
    data.skip(step.skipped);
    DrawCommand command;
    command.op = step.op;
    for (std::size_t i = 0; i < step.values; ++i) {
        command.points[i] = data.take();
    }
    SendDrawCommand(vm, self, command);
    return true;
}

// Checked before anything is drawn: coordinates that do not pair up when there are
// commands, and a winding rule of another name (unknown commands are only skipped).
void CheckPath(Vm& vm, std::size_t commands, std::size_t coordinates, const Value& winding) {
    if (commands > 0 && coordinates % 2 == 1) {
        vm.throwError(ErrorKind::ArgumentError, 2004, "One of the parameters is invalid.");
    }
    if (!winding.isNullish()) {
        const std::string rule = ToString(vm, winding);
        if (rule != "evenOdd" && rule != "nonZero") {
            vm.throwError(ErrorKind::ArgumentError, 2008,
                          "Parameter winding must be one of the accepted values.");
        }
    }
}

Value DrawPath(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& codes = Arg(args, 0);
    Coordinates data(vm, Arg(args, 1));
    const std::size_t count = std::min(ListLength(vm, codes), MaxGraphicsCommands);
    std::vector<int> commands;
    for (std::size_t i = 0; i < count; ++i) {
        commands.push_back(NumberToInt32(ToNumber(vm, ListItem(vm, codes, i))));
    }
    CheckPath(vm, commands.size(), data.size(), Arg(args, 2));
    // the rule holds for the fill being drawn, from this path on
    DrawCommand rule;
    rule.op = Op::FillRule;
    rule.nonZero = !Arg(args, 2).isNullish() && ToString(vm, Arg(args, 2)) == "nonZero";
    SendDrawCommand(vm, self, rule);
    for (std::size_t i = 0; i < count; ++i) {
        if (!PathStep(vm, self, commands[i], data)) {
            break;
        }
    }
    return Value();
}

void Corner(Vm& vm, const Value& self, Op op, Coordinates& vertices, std::size_t index) {
    DrawCommand command;
    command.op = op;
    command.points[0] = vertices.at(2 * index);
    command.points[1] = vertices.at(2 * index + 1);
    SendDrawCommand(vm, self, command);
}

// The triangles of a vertex list, by an index list or three vertices at a time.
Value DrawTriangles(Vm& vm, const Value& self, std::span<const Value> args) {
    Coordinates vertices(vm, Arg(args, 0));
    const Value& indices = Arg(args, 1);
    const std::size_t points = vertices.size() / 2;
    const std::size_t corners =
        std::min(indices.isObject() ? ListLength(vm, indices) : points, MaxGraphicsCommands);
    for (std::size_t t = 0; t + 3 <= corners; t += 3) {
        std::size_t at[3];
        for (std::size_t k = 0; k < 3; ++k) {
            at[k] = indices.isObject()
                        ? static_cast<std::size_t>(ToUint32(vm, ListItem(vm, indices, t + k)))
                        : t + k;
            if (at[k] >= points) {
                return Value();
            }
        }
        Corner(vm, self, Op::MoveTo, vertices, at[0]);
        Corner(vm, self, Op::LineTo, vertices, at[1]);
        Corner(vm, self, Op::LineTo, vertices, at[2]);
        Corner(vm, self, Op::LineTo, vertices, at[0]);
    }
    return Value();
}

} // namespace

void InstallGraphicsPathClass(Vm&, NativeClass& graphics) {
    graphics.methods({{"drawPath", DrawPath}, {"drawTriangles", DrawTriangles}});
}

} // namespace quillon::engine::avm2stage
