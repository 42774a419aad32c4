// DisplayObject properties scripts read back as they set them (the player's defaults
// before that); the engine draws mask, scrollRect and opaqueBackground, which are handed
// to the clip whenever the object has one.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2stage/Bitmaps.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"
#include "player/engine/script/common/FilterSettings.h"

#include <cmath>
#include <iterator>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

// Hands a stored value to the object's clip (which it has).
using Apply = void (*)(Vm& vm, Object* self, DisplayRecord& r, const Value& value);

// The mask is linked both ways, so that whichever of the two gets its clip last links
// the clips.
void ApplyMask(Vm& vm, Object* self, DisplayRecord& r, const Value& value) {
    StageState& state = StateOf(vm);
    DisplayRecord* mask = DisplayOf(vm, value);
    if (r.mask && r.mask != (mask ? value.asObject() : nullptr)) {
        state.displays[r.mask].maskedBy = nullptr;
    }
    r.mask = mask ? value.asObject() : nullptr;
    if (mask) {
        if (mask->maskedBy && mask->maskedBy != self) {
            state.displays[mask->maskedBy].mask = nullptr; // a mask masks one object
        }
        mask->maskedBy = self;
    }
    if (r.clip) {
        state.host.setMask(r.clip, mask ? mask->clip : 0);
    }
}

// Rectangles come in pixels; a missing or unreadable one shows the whole object.
void ApplyScrollRect(Vm& vm, Object*, DisplayRecord& r, const Value& value) {
    std::optional<ClipBounds> rect;
    if (value.isObject()) {
        const double x = Field(vm, value, "x"), y = Field(vm, value, "y");
        const double w = Field(vm, value, "width"), h = Field(vm, value, "height");
        if (std::isfinite(x + y + w + h)) {
            rect = ClipBounds{x * 20, y * 20, (x + w) * 20, (y + h) * 20};
        }
    }
    if (r.clip) {
        StateOf(vm).host.setScrollRect(r.clip, rect);
    }
}

void ApplyOpaqueBackground(Vm& vm, Object*, DisplayRecord& r, const Value& value) {
    std::optional<std::uint32_t> rgb;
    if (!value.isNullish()) {
        rgb = ToUint32(vm, value) & 0xffffff;
    }
    if (r.clip) {
        StateOf(vm).host.setOpaqueBackground(r.clip, rgb);
    }
}

void ApplyBlendMode(Vm& vm, Object*, DisplayRecord& r, const Value& value) {
    if (r.clip) {
        StateOf(vm).host.setBlendMode(r.clip, BlendModeNumber(vm, value));
    }
}

// blendMode takes only the names of BlendMode ("shader" too, drawn as "normal").
void CheckBlendModeName(Vm& vm, const Value& given) {
    if (given.isNullish()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter blendMode must be non-null.");
    }
    const std::string name = ToString(vm, given);
    if (name != "shader" && BlendModeNamed(name) == 0) {
        vm.throwError(ErrorKind::ArgumentError, 2008,
                      "Parameter blendMode must be one of the accepted values.");
    }
}

void ApplyCacheAsBitmap(Vm& vm, Object*, DisplayRecord& r, const Value& value) {
    if (r.clip) {
        StateOf(vm).host.setCacheAsBitmap(r.clip, ToBoolean(value));
    }
}

struct Stored {
    const char* name;
    const char* key; // the hidden property holding the value
    enum class Default { Null, False, Normal } fallback;
    Apply apply = nullptr;
};

constexpr Stored StoredProperties[] = {
    {"mask", "$mask", Stored::Default::Null, ApplyMask},
    {"scrollRect", "$scrollRect", Stored::Default::Null, ApplyScrollRect},
    {"opaqueBackground", "$opaqueBackground", Stored::Default::Null, ApplyOpaqueBackground},
    {"metaData", "$metaData", Stored::Default::Null},
    {"scale9Grid", "$scale9Grid", Stored::Default::Null},
    {"cacheAsBitmap", "$cacheAsBitmap", Stored::Default::False, ApplyCacheAsBitmap},
    {"blendMode", "$blendMode", Stored::Default::Normal, ApplyBlendMode},
};

template <std::size_t N> Value GetStored(Vm& vm, const Value& self, std::span<const Value>) {
    const Stored& s = StoredProperties[N];
    if (const Value* v = self.asObject()->props().find(vm.intern(s.key))) {
        return *v;
    }
    switch (s.fallback) {
    case Stored::Default::False:
        return Value::boolean(false);
    case Stored::Default::Normal:
        return Value::string("normal");
    case Stored::Default::Null:
        break;
    }
    return Value::null();
}

template <std::size_t N> Value SetStored(Vm& vm, const Value& self, std::span<const Value> args) {
    constexpr Stored s = StoredProperties[N];
    // the object-typed ones read back undefined as null
    const Value& given = Arg(args, 0);
    if constexpr (s.fallback == Stored::Default::Normal) {
        CheckBlendModeName(vm, given);
    }
    const Value value =
        s.fallback == Stored::Default::Null && given.isUndefined() ? Value::null() : given;
    self.asObject()->props().set(vm.intern(s.key), value, false);
    if constexpr (s.apply != nullptr) {
        if (DisplayRecord* r = DisplayOf(vm, self)) {
            s.apply(vm, self.asObject(), *r, value);
        }
    }
    return Value();
}

template <std::size_t... N> void BindStored(NativeClass& cls, std::index_sequence<N...>) {
    (cls.getter(StoredProperties[N].name, GetStored<N>)
         .setter(StoredProperties[N].name, SetStored<N>),
     ...);
}

} // namespace

Value HiddenValue(Vm& vm, const Value& self, const char* key) {
    const Value* v = self.isObject() ? self.asObject()->props().find(vm.intern(key)) : nullptr;
    return v ? *v : Value::null();
}

void KeepHidden(Vm& vm, const Value& self, const char* key, const Value& value) {
    if (self.isObject()) {
        self.asObject()->props().set(vm.intern(key), value, false);
    }
}

void PushLook(Vm& vm, Object* o) {
    DisplayRecord& r = StateOf(vm).displays[o];
    if (!r.clip) {
        return;
    }
    for (const Stored& s : StoredProperties) {
        const Value* v = s.apply ? o->props().find(vm.intern(s.key)) : nullptr;
        if (v && !v->isNullish()) {
            s.apply(vm, o, r, *v);
        }
    }
    ShowBitmap(vm, o);
    PushFilters(vm, o);
    if (r.maskedBy) {
        const DisplayRecord& masked = StateOf(vm).displays[r.maskedBy];
        if (masked.clip && masked.mask == o) {
            StateOf(vm).host.setMask(masked.clip, r.clip);
        }
    }
}

void InstallStoredProperties(NativeClass& displayObject) {
    BindStored(displayObject, std::make_index_sequence<std::size(StoredProperties)>());
}

} // namespace quillon::engine::avm2stage
