// flash.filters for ActionScript 1/2, and the looks scripts set on clips: filters,
// blendMode and cacheAsBitmap. A filter object keeps the shared settings record, held
// to the player's units as each property is set; a clip's filters are copies both ways.

#include "player/engine/characters/PixelFilters.h"
#include "player/engine/script/avm1/builtins/Helpers.h"
#include "player/engine/script/common/FilterSettings.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quillon::engine::avm1 {

namespace {

// Accessor magic: the class times this plus the property's place.
constexpr int ClassStride = 32;
// More filters than this on one clip are dropped: each costs a pass over its pixels.
constexpr std::size_t MaxClipFilters = 64;

FilterSettings* SettingsOf(const Value& v) {
    return v.isObject() ? v.o->filter.get() : nullptr;
}

Object* FilterProto(Vm& vm, FilterClass cls) {
    const Value ctor = vm.get(Value(FlashPackage(vm, "filters")), FilterClassName(cls));
    const Value proto = ctor.isObject() ? vm.get(ctor, "prototype") : Value();
    return proto.isObject() ? proto.o : vm.objectProto;
}

Value NewFilterObject(Vm& vm, const FilterSettings& settings) {
    Object* o = vm.newObject(FilterProto(vm, settings.cls));
    o->filter = std::make_shared<FilterSettings>(settings);
    return Value(o);
}

// A script value as a property of the kind given; none when it leaves the property as
// it is.
std::optional<FilterValue> ReadValue(Vm& vm, const Value& v, FilterFieldKind kind) {
    switch (kind) {
    case FilterFieldKind::Number:
    case FilterFieldKind::Color:
        return vm.toNumber(v);
    case FilterFieldKind::Bool:
        return vm.toBool(v);
    case FilterFieldKind::Text:
        return vm.toString(v);
    case FilterFieldKind::Numbers: {
        if (v.isUndefined() || v.isNull()) {
            return std::nullopt;
        }
        std::vector<double> list;
        if (v.isObject() && v.o->kind == Kind::Array) {
            for (const Value& e : v.o->elements) {
                list.push_back(vm.toNumber(e));
            }
        }
        return list;
    }
    case FilterFieldKind::Point:
        if (!v.isObject()) {
            return std::vector<double>{0, 0};
        }
        return std::vector<double>{vm.toNumber(vm.get(v, "x")), vm.toNumber(vm.get(v, "y"))};
    case FilterFieldKind::Bitmap:
        break;
    }
    return std::nullopt;
}

Value WriteValue(Vm& vm, const FilterSettings& f, const FilterField& field) {
    if (field.kind == FilterFieldKind::Bitmap) {
        if (!f.mapBitmap) {
            return Value();
        }
        const Value ctor = vm.get(Value(FlashPackage(vm, "display")), "BitmapData");
        const Value proto = ctor.isObject() ? vm.get(ctor, "prototype") : Value();
        Object* o = vm.newObject(proto.isObject() ? proto.o : vm.objectProto);
        o->pixels = f.mapBitmap;
        return Value(o);
    }
    const std::optional<FilterValue> value = GetFilterField(f, field.name);
    if (!value) {
        return Value();
    }
    if (const double* d = std::get_if<double>(&*value)) {
        return Value(*d);
    }
    if (const bool* b = std::get_if<bool>(&*value)) {
        return Value(*b);
    }
    if (const std::string* s = std::get_if<std::string>(&*value)) {
        return Value(*s);
    }
    const auto& list = std::get<std::vector<double>>(*value);
    std::vector<Value> elements(list.begin(), list.end());
    if (field.kind == FilterFieldKind::Point) {
        const Value point = vm.get(Value(FlashPackage(vm, "geom")), "Point");
        return vm.construct(point, elements);
    }
    return Value(vm.newArray(std::move(elements)));
}

void Assign(Vm& vm, FilterSettings& f, const FilterField& field, const Value& v) {
    if (field.kind == FilterFieldKind::Bitmap) {
        if (v.isObject() && v.o->pixels) {
            f.mapBitmap = v.o->pixels;
        }
        return;
    }
    if (const std::optional<FilterValue> value = ReadValue(vm, v, field.kind)) {
        SetFilterField(f, field.name, *value, FilterDialect::Avm1);
    }
}

Value FilterCtor(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    if (!o) {
        return Value();
    }
    const auto cls = static_cast<FilterClass>(c.callee->magic);
    auto settings = std::make_shared<FilterSettings>(DefaultFilter(cls, FilterDialect::Avm1));
    const auto fields = FilterFields(cls);
    for (std::size_t i = 0; i < fields.size() && i < c.args.size(); ++i) {
        if (!c.args[i].isUndefined()) {
            Assign(vm, *settings, fields[i], c.args[i]);
        }
    }
    // constructing a filter again (a subclass calling super twice) converts the arguments
    // but keeps what the first construction set
    if (!o->filter) {
        o->filter = std::move(settings);
    }
    return c.thisValue;
}

// The property a getter or setter stands for, when this is a filter of its class.
const FilterField* FieldFor(CallInfo& c, FilterSettings*& settings) {
    settings = SettingsOf(c.thisValue);
    const int cls = c.callee->magic / ClassStride;
    if (!settings || static_cast<int>(settings->cls) != cls) {
        return nullptr;
    }
    return &FilterFields(settings->cls)[static_cast<std::size_t>(c.callee->magic % ClassStride)];
}

Value GetField(Vm& vm, CallInfo& c) {
    FilterSettings* settings = nullptr;
    const FilterField* field = FieldFor(c, settings);
    return field ? WriteValue(vm, *settings, *field) : Value();
}

Value SetField(Vm& vm, CallInfo& c) {
    FilterSettings* settings = nullptr;
    if (const FilterField* field = FieldFor(c, settings)) {
        Assign(vm, *settings, *field, c.arg(0));
    }
    return Value();
}

Value BaseCtor(Vm&, CallInfo& c) {
    return c.thisValue;
}

Value Clone(Vm& vm, CallInfo& c) {
    const FilterSettings* settings = SettingsOf(c.thisValue);
    return settings ? NewFilterObject(vm, *settings) : Value();
}

// MovieClip (and Button, TextField) filters: copies of what the clip is drawn through.
Value GetFilters(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    if (!clip) {
        return Value(); // a prototype or an object made with new shows nothing
    }
    std::vector<Value> out;
    for (const Filter& record : vm.host().filters(clip)) {
        out.push_back(NewFilterObject(vm, FromFilterRecord(record)));
    }
    return Value(vm.newArray(std::move(out)));
}

Value SetFilters(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const Value& list = c.arg(0);
    if (!clip || !list.isObject() || list.o->kind != Kind::Array) {
        return Value();
    }
    std::vector<Filter> records;
    for (const Value& e : list.o->elements) {
        if (const FilterSettings* settings = SettingsOf(e);
            settings && records.size() < MaxClipFilters) {
            records.push_back(ToFilterRecord(*settings));
        }
    }
    vm.host().setFilters(clip, std::move(records));
    return Value();
}

Value GetBlendMode(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    return clip ? Value(BlendModeName(vm.host().blendMode(clip))) : Value();
}

// A name or the format's number (1 to 14, read as a byte); null and undefined mean
// normal; others leave the mode as it is.
Value SetBlendMode(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const Value& v = c.arg(0);
    int mode = 0;
    if (v.isNumber()) {
        const int n = ToInt32(v.n) & 0xff;
        mode = n >= 1 && n <= 14 ? n : 0;
    } else if (v.isNull() || v.isUndefined()) {
        mode = 1;
    } else if (v.isString()) {
        mode = BlendModeNamed(v.str());
    }
    if (clip && mode) {
        vm.host().setBlendMode(clip, mode);
    }
    return Value();
}

// cacheAsBitmap: scripts read back what they set; the drawing learns it for alpha masks.
constexpr const char* CacheKey = "__cacheAsBitmap";

Value GetCacheAsBitmap(Vm& vm, CallInfo& c) {
    Object* o = ThisObject(c);
    const Property* p = o ? o->find(CacheKey) : nullptr;
    return Value(p ? vm.toBool(p->value) : false);
}

Value SetCacheAsBitmap(Vm& vm, CallInfo& c) {
    if (Object* o = ThisObject(c)) {
        o->define(CacheKey, Value(vm.toBool(c.arg(0))), DontEnum);
    }
    if (const ClipId clip = vm.clipOf(c.thisValue)) {
        vm.host().setCacheAsBitmap(clip, vm.toBool(c.arg(0)));
    }
    return Value();
}

// opaqueBackground: a colour number fills the clip's bounds beneath it; null, undefined
// or anything not a number takes it away.
Value GetOpaqueBackground(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    const std::optional<std::uint32_t> rgb = clip ? vm.host().opaqueBackground(clip) : std::nullopt;
    return rgb ? Value(static_cast<double>(*rgb)) : Value::null();
}

Value SetOpaqueBackground(Vm& vm, CallInfo& c) {
    const ClipId clip = vm.clipOf(c.thisValue);
    if (!clip) {
        return Value();
    }
    const Value& v = c.arg(0);
    std::optional<std::uint32_t> rgb;
    if (v.isNumber() && std::isfinite(v.n)) {
        rgb = static_cast<std::uint32_t>(static_cast<std::int64_t>(v.n)) & 0xffffff;
    }
    vm.host().setOpaqueBackground(clip, rgb);
    return Value();
}

ScriptField FieldsOf(Vm& vm, const Value& o) {
    return [&vm, o](const char* name) { return vm.toNumber(vm.get(o, name)); };
}

// BitmapData.applyFilter(source, sourceRect, destPoint, filter): 0 when done, -1 when
// an argument is missing or not of its kind.
Value ApplyFilter(Vm& vm, CallInfo& c) {
    BitmapPixels* target = c.thisValue.isObject() ? c.thisValue.o->pixels.get() : nullptr;
    const Value& source = c.arg(0);
    const FilterSettings* settings = SettingsOf(c.arg(3));
    if (!target || !source.isObject() || !source.o->pixels || !c.arg(1).isObject() ||
        !c.arg(2).isObject() || !settings) {
        return Value(-1);
    }
    const std::shared_ptr<BitmapPixels> pixels = source.o->pixels; // kept while in use
    FilterPixels(*target, *pixels, ReadPixelRect(FieldsOf(vm, c.arg(1))),
                 ReadPixelPoint(FieldsOf(vm, c.arg(2))), ToFilterRecord(*settings));
    return Value(0);
}

// BitmapData.generateFilterRect(sourceRect, filter): the rectangle the result covers.
Value GenerateFilterRect(Vm& vm, CallInfo& c) {
    if (!c.thisValue.isObject() || !c.thisValue.o->pixels) {
        return Value(-1); // disposed
    }
    const FilterSettings* settings = SettingsOf(c.arg(1));
    if (!c.arg(0).isObject() || !settings) {
        return Value();
    }
    const PixelRect r =
        FilteredRect(ReadPixelRect(FieldsOf(vm, c.arg(0))), ToFilterRecord(*settings));
    const std::array<Value, 4> args{Value(r.x), Value(r.y), Value(r.width), Value(r.height)};
    return vm.construct(vm.get(Value(FlashPackage(vm, "geom")), "Rectangle"), args);
}

void Define(Vm& vm, Object* proto, const char* name, NativeFn getter, NativeFn setter, int magic,
            std::uint16_t flags) {
    proto->define(name, Value(), flags);
    Property* p = proto->findAny(name);
    p->getter = vm.newNative(getter, magic);
    p->setter = vm.newNative(setter, magic);
}

// The order a for-in lists a filter's properties in, which is not its constructor's.
std::vector<const char*> ListingOrder(FilterClass cls) {
    switch (cls) {
    case FilterClass::Bevel:
        return {"distance",    "angle",       "highlightColor", "highlightAlpha",
                "shadowColor", "shadowAlpha", "quality",        "strength",
                "knockout",    "blurX",       "blurY",          "type"};
    case FilterClass::DropShadow:
        return {"distance", "angle", "color", "alpha",    "quality",   "inner",
                "knockout", "blurX", "blurY", "strength", "hideObject"};
    case FilterClass::Glow:
        return {"color", "alpha", "quality", "inner", "knockout", "blurX", "blurY", "strength"};
    case FilterClass::GradientBevel:
    case FilterClass::GradientGlow:
        return {"distance", "angle",   "colors",   "alphas",   "ratios", "blurX",
                "blurY",    "quality", "strength", "knockout", "type"};
    default: {
        std::vector<const char*> names;
        for (const FilterField& field : FilterFields(cls)) {
            names.push_back(field.name);
        }
        return names;
    }
    }
}

} // namespace

void InstallFilterBuiltins(Vm& vm) {
    Object* package = FlashPackage(vm, "filters");
    Object* baseProto = vm.newObject();
    vm.newClass(package, "BitmapFilter", BaseCtor, baseProto);
    vm.method(baseProto, "clone", [](Vm&, CallInfo&) { return Value(); });
    for (int i = 0; i < FilterClassCount; ++i) {
        const auto cls = static_cast<FilterClass>(i);
        Object* proto = vm.newObject(baseProto);
        Object* ctor = vm.newClass(package, FilterClassName(cls), FilterCtor, proto);
        ctor->magic = i;
        // a for-in lists the properties in the player's order, clone last
        const auto fields = FilterFields(cls);
        for (const char* name : ListingOrder(cls)) {
            const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) {
                return std::string_view(f.name) == name;
            });
            if (field != fields.end()) {
                Define(vm, proto, name, GetField, SetField,
                       i * ClassStride + static_cast<int>(field - fields.begin()), 0);
            }
        }
        proto->define("clone", Value(vm.newNative(Clone)), 0);
    }
    const Value bitmapData = vm.get(Value(FlashPackage(vm, "display")), "BitmapData");
    if (const Value proto = vm.get(bitmapData, "prototype"); proto.isObject()) {
        vm.methods(proto.o,
                   {{"applyFilter", ApplyFilter}, {"generateFilterRect", GenerateFilterRect}});
    }
    for (Object* proto : {vm.movieClipProto, vm.buttonProto, vm.textFieldProto}) {
        if (!proto) {
            continue;
        }
        const std::uint16_t flags = DontEnum | DontDelete | FromVersion8;
        Define(vm, proto, "filters", GetFilters, SetFilters, 0, flags);
        Define(vm, proto, "blendMode", GetBlendMode, SetBlendMode, 0, flags);
        Define(vm, proto, "cacheAsBitmap", GetCacheAsBitmap, SetCacheAsBitmap, 0, flags);
        Define(vm, proto, "opaqueBackground", GetOpaqueBackground, SetOpaqueBackground, 0, flags);
    }
}

} // namespace quillon::engine::avm1
