// The drawing data classes (GraphicsPath, GraphicsSolidFill, GraphicsStroke and their
// kin, the IGraphicsData interfaces) and Graphics.drawGraphicsData, which plays each item
// as the Graphics call it stands for.

#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Globals.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/VectorObject.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

struct Field {
    const char* name;
    Value initial;
};

// A data class: its public fields in constructor order, and the interfaces it has.
struct DataClass {
    const char* name;
    std::vector<Field> fields;
    std::vector<const char*> interfaces;
};

const std::vector<DataClass>& DataClasses() {
    const Value nan = Value::number(std::numeric_limits<double>::quiet_NaN());
    static const std::vector<DataClass> classes = {
        {"GraphicsSolidFill",
         {{"color", Value::integer(0)}, {"alpha", Value::number(1)}},
         {"IGraphicsFill", "IGraphicsData"}},
        {"GraphicsGradientFill",
         {{"type", Value::string("linear")},
          {"colors", Value::null()},
          {"alphas", Value::null()},
          {"ratios", Value::null()},
          {"matrix", Value::null()},
          {"spreadMethod", Value::string("pad")},
          {"interpolationMethod", Value::string("rgb")},
          {"focalPointRatio", Value::number(0)}},
         {"IGraphicsFill", "IGraphicsData"}},
        {"GraphicsBitmapFill",
         {{"bitmapData", Value::null()},
          {"matrix", Value::null()},
          {"repeat", Value::boolean(true)},
          {"smooth", Value::boolean(false)}},
         {"IGraphicsFill", "IGraphicsData"}},
        {"GraphicsEndFill", {}, {"IGraphicsFill", "IGraphicsData"}},
        {"GraphicsStroke",
         {{"thickness", nan},
          {"pixelHinting", Value::boolean(false)},
          {"scaleMode", Value::string("normal")},
          {"caps", Value::string("none")},
          {"joints", Value::string("round")},
          {"miterLimit", Value::number(3)},
          {"fill", Value::null()}},
         {"IGraphicsStroke", "IGraphicsData"}},
        {"GraphicsPath",
         {{"commands", Value::null()},
          {"data", Value::null()},
          {"winding", Value::string("evenOdd")}},
         {"IGraphicsPath", "IGraphicsData"}},
        {"GraphicsTrianglePath",
         {{"vertices", Value::null()},
          {"indices", Value::null()},
          {"uvtData", Value::null()},
          {"culling", Value::string("none")}},
         {"IGraphicsPath", "IGraphicsData"}},
    };
    return classes;
}

// The constructor of every data class: the arguments given fill the fields in order.
Value DataInit(Vm& vm, const Value& self, std::span<const Value> args) {
    for (const DataClass& c : DataClasses()) {
        if (self.asObject()->cls &&
            self.asObject()->cls->isSubclassOf(BuiltinClass(vm, "flash.display", c.name))) {
            for (std::size_t i = 0; i < c.fields.size() && i < args.size(); ++i) {
                if (!args[i].isUndefined()) {
                    SetPublic(vm, self, c.fields[i].name, args[i]);
                }
            }
            return Value();
        }
    }
    return Value();
}

bool Is(Vm& vm, const Value& v, const char* name) {
    return v.isObject() && v.asObject()->cls &&
           v.asObject()->cls->isSubclassOf(BuiltinClass(vm, "flash.display", name));
}

// The list a path field holds, made (an empty Vector of type) when it is null.
Value PathList(Vm& vm, const Value& self, const char* field, const char* type) {
    Value list = GetPublic(vm, self, field);
    if (list.isNullish()) {
        const Value generic = FindDefinition(vm, NameFromText(vm, "__AS3__.vec.Vector"));
        const Value param = FindDefinition(vm, NameFromText(vm, type));
        const Value cls = ApplyType(vm, generic, std::span<const Value>(&param, 1));
        list = Value::object(NewVector(vm, static_cast<ClassObject*>(cls.asObject())));
        SetPublic(vm, self, field, list);
    }
    return list;
}

void Push(Vm& vm, const Value& list, std::span<const Value> items) {
    CallProperty(vm, list, PublicName(vm, "push"), items);
}

// GraphicsPath's moveTo (1), lineTo (2), curveTo (3), wideMoveTo (4), wideLineTo (5),
// cubicCurveTo (6): the command and its coordinates (wide ones padded to four).
template <int Command> Value PathStep(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value command = Value::integer(Command);
    Push(vm, PathList(vm, self, "commands", "int"), std::span<const Value>(&command, 1));
    std::vector<Value> numbers;
    if (Command == 4 || Command == 5) {
        numbers = {Value::number(0), Value::number(0)};
    }
    const std::size_t count = Command == 3 ? 4 : (Command == 6 ? 6 : 2);
    for (std::size_t i = 0; i < count; ++i) {
        numbers.push_back(NumberValue(ToNumber(vm, Arg(args, i))));
    }
    Push(vm, PathList(vm, self, "data", "Number"), numbers);
    return Value();
}

std::vector<Value> Fields(Vm& vm, const Value& item, std::initializer_list<const char*> names) {
    std::vector<Value> out;
    for (const char* name : names) {
        out.push_back(GetPublic(vm, item, name));
    }
    return out;
}

constexpr std::initializer_list<const char*> GradientFields = {
    "type",           "colors", "alphas", "ratios", "matrix", "spreadMethod", "interpolationMethod",
    "focalPointRatio"};
constexpr std::initializer_list<const char*> BitmapFields = {"bitmapData", "matrix", "repeat",
                                                             "smooth"};

void Play(Vm& vm, const Value& graphics, const char* method, const std::vector<Value>& args) {
    CallProperty(vm, graphics, PublicName(vm, method), args);
}

// A stroke's fill: a solid colour goes with lineStyle, the others follow it.
void Stroke(Vm& vm, const Value& graphics, const Value& stroke) {
    std::vector<Value> args = Fields(vm, stroke, {"thickness"});
    const Value fill = GetPublic(vm, stroke, "fill");
    const bool solid = Is(vm, fill, "GraphicsSolidFill");
    args.push_back(solid ? GetPublic(vm, fill, "color") : Value::integer(0));
    args.push_back(solid ? GetPublic(vm, fill, "alpha") : Value::number(1));
    for (const char* name : {"pixelHinting", "scaleMode", "caps", "joints", "miterLimit"}) {
        args.push_back(GetPublic(vm, stroke, name));
    }
    Play(vm, graphics, "lineStyle", args);
    if (Is(vm, fill, "GraphicsGradientFill")) {
        Play(vm, graphics, "lineGradientStyle", Fields(vm, fill, GradientFields));
    } else if (Is(vm, fill, "GraphicsBitmapFill")) {
        Play(vm, graphics, "lineBitmapStyle", Fields(vm, fill, BitmapFields));
    }
}

void PlayItem(Vm& vm, const Value& graphics, const Value& item) {
    if (Is(vm, item, "GraphicsSolidFill")) {
        Play(vm, graphics, "beginFill", Fields(vm, item, {"color", "alpha"}));
    } else if (Is(vm, item, "GraphicsGradientFill")) {
        Play(vm, graphics, "beginGradientFill", Fields(vm, item, GradientFields));
    } else if (Is(vm, item, "GraphicsBitmapFill")) {
        Play(vm, graphics, "beginBitmapFill", Fields(vm, item, BitmapFields));
    } else if (Is(vm, item, "GraphicsEndFill")) {
        Play(vm, graphics, "endFill", {});
    } else if (Is(vm, item, "GraphicsStroke")) {
        Stroke(vm, graphics, item);
    } else if (Is(vm, item, "GraphicsPath")) {
        Play(vm, graphics, "drawPath", Fields(vm, item, {"commands", "data", "winding"}));
    } else if (Is(vm, item, "GraphicsTrianglePath")) {
        Play(vm, graphics, "drawTriangles",
             Fields(vm, item, {"vertices", "indices", "uvtData", "culling"}));
    }
}

Value DrawGraphicsData(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& list = Arg(args, 0);
    const std::size_t count = std::min(ListLength(vm, list), MaxGraphicsCommands);
    for (std::size_t i = 0; i < count; ++i) {
        PlayItem(vm, self, ListItem(vm, list, i));
    }
    return Value();
}

} // namespace

void InstallGraphicsDataClasses(Vm& vm, NativeClass& graphics) {
    std::map<std::string, ClassObject*> interfaces;
    for (const char* name :
         {"IGraphicsData", "IGraphicsFill", "IGraphicsPath", "IGraphicsStroke"}) {
        ClassObject* iface = NativeClass(vm, name, nullptr, "flash.display").get();
        iface->isInterface = true;
        interfaces[name] = iface;
    }
    for (const DataClass& c : DataClasses()) {
        NativeClass cls(vm, c.name, vm.core.object, "flash.display");
        cls.init(DataInit);
        for (const Field& f : c.fields) {
            cls.slot(f.name, f.initial);
        }
        for (const char* name : c.interfaces) {
            cls.get()->interfaces.push_back(interfaces[name]);
        }
        if (std::string(c.name) == "GraphicsPath") {
            cls.methods({{"moveTo", PathStep<1>},
                         {"lineTo", PathStep<2>},
                         {"curveTo", PathStep<3>},
                         {"wideMoveTo", PathStep<4>},
                         {"wideLineTo", PathStep<5>},
                         {"cubicCurveTo", PathStep<6>}});
        }
    }
    graphics.method("drawGraphicsData", DrawGraphicsData);
}

} // namespace quillon::engine::avm2stage
