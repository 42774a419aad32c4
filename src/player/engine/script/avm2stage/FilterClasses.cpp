// flash.filters for ActionScript 3 and DisplayObject.filters. A filter keeps what
// scripts store in public fields; going onto an object it becomes the engine's record,
// held to the player's limits, and reading the object's filters makes new copies.

#include "player/engine/characters/PixelFilters.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/common/FilterSettings.h"

#include <optional>
#include <utility>
#include <vector>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

constexpr const char* FiltersKey = "$filters";
// More filters than this on one object are dropped: each costs a pass over its pixels.
constexpr std::size_t MaxObjectFilters = 64;

// The filter class of an object (or the built-in one it extends); none for others.
std::optional<FilterClass> ClassOfFilter(Vm& vm, const Value& v) {
    if (!v.isObject()) {
        return std::nullopt;
    }
    for (ClassObject* c = ClassOf(vm, v); c; c = c->base) {
        if (const auto cls = FilterClassNamed(LocalClassName(c->name))) {
            if (c == BuiltinClass(vm, "flash.filters", FilterClassName(*cls))) {
                return cls;
            }
        }
    }
    return std::nullopt;
}

std::optional<FilterValue> ReadValue(Vm& vm, const Value& v, FilterFieldKind kind) {
    switch (kind) {
    case FilterFieldKind::Number:
    case FilterFieldKind::Color:
        return ToNumber(vm, v);
    case FilterFieldKind::Bool:
        return ToBoolean(v);
    case FilterFieldKind::Text:
        return ToString(vm, v);
    case FilterFieldKind::Numbers: {
        std::vector<double> list;
        if (v.isObject() && v.asObject()->kind == ObjectKind::Array) {
            for (const Value& e : static_cast<ArrayObject*>(v.asObject())->items) {
                list.push_back(e.isHole() ? 0.0 : ToNumber(vm, e));
            }
        } else if (!v.isNullish()) {
            return std::nullopt;
        }
        return list;
    }
    case FilterFieldKind::Point:
        if (!v.isObject()) {
            return std::vector<double>{0, 0};
        }
        return std::vector<double>{Field(vm, v, "x"), Field(vm, v, "y")};
    case FilterFieldKind::Bitmap:
        break;
    }
    return std::nullopt;
}

FilterSettings SettingsOf(Vm& vm, const Value& v, FilterClass cls) {
    FilterSettings f = DefaultFilter(cls, FilterDialect::Avm2);
    for (const FilterField& field : FilterFields(cls)) {
        const Value value = GetPublic(vm, v, field.name);
        if (field.kind == FilterFieldKind::Bitmap) {
            f.mapBitmap = SharedPixels(vm, value);
        } else if (const auto read = ReadValue(vm, value, field.kind)) {
            SetFilterField(f, field.name, *read, FilterDialect::Avm2);
        }
    }
    return f;
}

Value WriteValue(Vm& vm, const FilterSettings& f, const FilterField& field) {
    if (field.kind == FilterFieldKind::Bitmap) {
        if (!f.mapBitmap) {
            return Value::null();
        }
        const Value data = ConstructClass(vm, BuiltinClass(vm, "flash.display", "BitmapData"),
                                          std::vector<Value>{Value::integer(1), Value::integer(1)});
        StateOf(vm).bitmaps[data.asObject()] = f.mapBitmap;
        return data;
    }
    const std::optional<FilterValue> value = GetFilterField(f, field.name);
    if (!value) {
        return Value::null();
    }
    if (const double* d = std::get_if<double>(&*value)) {
        return field.kind == FilterFieldKind::Color
                   ? Value::unsignedInt(static_cast<std::uint32_t>(*d))
                   : NumberValue(*d);
    }
    if (const bool* b = std::get_if<bool>(&*value)) {
        return Value::boolean(*b);
    }
    if (const std::string* s = std::get_if<std::string>(&*value)) {
        return Value::string(*s);
    }
    const auto& list = std::get<std::vector<double>>(*value);
    if (field.kind == FilterFieldKind::Point) {
        return NewGeom(vm, "Point", {list[0], list[1]});
    }
    std::vector<Value> items;
    for (double d : list) {
        items.push_back(NumberValue(d));
    }
    return Value::object(vm.newArray(std::move(items)));
}

Value NewFilter(Vm& vm, const FilterSettings& f) {
    const Value o =
        ConstructClass(vm, BuiltinClass(vm, "flash.filters", FilterClassName(f.cls)), {});
    for (const FilterField& field : FilterFields(f.cls)) {
        SetPublic(vm, o, field.name, WriteValue(vm, f, field));
    }
    return o;
}

// The constructors take the properties in order; missing ones keep their defaults.
template <FilterClass Cls> Value Init(Vm& vm, const Value& self, std::span<const Value> args) {
    const FilterSettings defaults = DefaultFilter(Cls, FilterDialect::Avm2);
    const auto fields = FilterFields(Cls);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i < args.size() && !args[i].isUndefined()) {
            SetPublic(vm, self, fields[i].name, args[i]);
        } else {
            SetPublic(vm, self, fields[i].name, WriteValue(vm, defaults, fields[i]));
        }
    }
    return Value();
}

Value Clone(Vm& vm, const Value& self, std::span<const Value>) {
    const auto cls = ClassOfFilter(vm, self);
    return cls ? NewFilter(vm, SettingsOf(vm, self, *cls)) : Value::null();
}

Value BaseClone(Vm&, const Value&, std::span<const Value>) {
    return Value::null();
}

template <FilterClass Cls> void InstallFilter(Vm& vm, ClassObject* base) {
    NativeClass cls(vm, FilterClassName(Cls), base, "flash.filters");
    for (const FilterField& field : FilterFields(Cls)) {
        cls.slot(field.name, Value::null());
    }
    cls.init(Init<Cls>).method("clone", Clone);
}

template <std::size_t... I> void InstallAll(Vm& vm, ClassObject* base, std::index_sequence<I...>) {
    (InstallFilter<static_cast<FilterClass>(I)>(vm, base), ...);
}

std::vector<Filter> RecordsOf(Vm& vm, const Value& list) {
    std::vector<Filter> records;
    if (!list.isObject() || list.asObject()->kind != ObjectKind::Array) {
        return records;
    }
    for (const Value& e : static_cast<ArrayObject*>(list.asObject())->items) {
        const auto cls = ClassOfFilter(vm, e);
        if (!cls) {
            vm.throwError(ErrorKind::ArgumentError, 2005,
                          "Parameter 0 is of the incorrect type. Should be type "
                          "Filter.");
        }
        if (records.size() < MaxObjectFilters) {
            records.push_back(ToFilterRecord(SettingsOf(vm, e, *cls)));
        }
    }
    return records;
}

Value CopiesOf(Vm& vm, const std::vector<Filter>& records) {
    std::vector<Value> items;
    for (const Filter& r : records) {
        items.push_back(NewFilter(vm, FromFilterRecord(r)));
    }
    return Value::object(vm.newArray(std::move(items)));
}

Value GetFilters(Vm& vm, const Value& self, std::span<const Value>) {
    const DisplayRecord* r = DisplayOf(vm, self);
    if (r && r->clip) {
        return CopiesOf(vm, StateOf(vm).host.filters(r->clip));
    }
    const Value kept = HiddenValue(vm, self, FiltersKey);
    return kept.isNullish() ? Value::object(vm.newArray()) : CopiesOf(vm, RecordsOf(vm, kept));
}

Value SetFilters(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::vector<Filter> records = RecordsOf(vm, Arg(args, 0));
    KeepHidden(vm, self, FiltersKey, CopiesOf(vm, records));
    if (const DisplayRecord* r = DisplayOf(vm, self); r && r->clip) {
        StateOf(vm).host.setFilters(r->clip, records);
    }
    return Value();
}

// The filter argument of the BitmapData methods: TypeError #2007 when null.
Filter FilterArg(Vm& vm, const Value& v) {
    const auto cls = ClassOfFilter(vm, v);
    if (!cls) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter filter must be non-null.");
    }
    return ToFilterRecord(SettingsOf(vm, v, *cls));
}

Value ApplyFilter(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels& target = PixelsOf(vm, self);
    const std::shared_ptr<BitmapPixels> source = SharedPixels(vm, Arg(args, 0));
    if (!source) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter sourceBitmapData must be non-null.");
    }
    const PixelRect area = RectArg(vm, Arg(args, 1));
    const PixelPoint at = PointArg(vm, Arg(args, 2));
    FilterPixels(target, *source, area, at, FilterArg(vm, Arg(args, 3)));
    return Value();
}

Value GenerateFilterRect(Vm& vm, const Value& self, std::span<const Value> args) {
    PixelsOf(vm, self);
    const PixelRect r = FilteredRect(RectArg(vm, Arg(args, 0)), FilterArg(vm, Arg(args, 1)));
    return NewGeom(vm, "Rectangle", {double(r.x), double(r.y), double(r.width), double(r.height)});
}

} // namespace

void InstallBitmapFilterMethods(NativeClass& bitmapData) {
    bitmapData.methods({{"applyFilter", ApplyFilter}, {"generateFilterRect", GenerateFilterRect}});
}

void PushFilters(Vm& vm, Object* o) {
    const DisplayRecord* r = DisplayOf(vm, Value::object(o));
    const Value kept = HiddenValue(vm, Value::object(o), FiltersKey);
    if (r && r->clip && !kept.isNullish()) {
        StateOf(vm).host.setFilters(r->clip, RecordsOf(vm, kept));
    }
}

void InstallFilterClasses(Vm& vm, NativeClass& displayObject) {
    NativeClass base(vm, "BitmapFilter", vm.core.object, "flash.filters");
    base.method("clone", BaseClone);
    InstallAll(vm, base.get(), std::make_index_sequence<FilterClassCount>());
    displayObject.getter("filters", GetFilters).setter("filters", SetFilters);
}

} // namespace quillon::engine::avm2stage
