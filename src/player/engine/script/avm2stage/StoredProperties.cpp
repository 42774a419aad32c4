// DisplayObject properties the engine does not act on yet: scripts read back what they
// set, and the player's defaults before that.

#include "player/engine/script/avm2/Vm.h"
#include "player/engine/script/avm2stage/Geom.h"
#include "player/engine/script/avm2stage/StageState.h"

#include <iterator>
#include <utility>

namespace quillon::engine::avm2stage {

using namespace avm2;

namespace {

struct Stored {
    const char* name;
    const char* key; // the hidden property holding the value
    enum class Default { Null, False, Normal } fallback;
};

constexpr Stored StoredProperties[] = {
    {"mask", "$mask", Stored::Default::Null},
    {"scrollRect", "$scrollRect", Stored::Default::Null},
    {"opaqueBackground", "$opaqueBackground", Stored::Default::Null},
    {"metaData", "$metaData", Stored::Default::Null},
    {"scale9Grid", "$scale9Grid", Stored::Default::Null},
    {"cacheAsBitmap", "$cacheAsBitmap", Stored::Default::False},
    {"blendMode", "$blendMode", Stored::Default::Normal},
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
    self.asObject()->props().set(vm.intern(StoredProperties[N].key), Arg(args, 0), false);
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

void InstallStoredProperties(NativeClass& displayObject) {
    BindStored(displayObject, std::make_index_sequence<std::size(StoredProperties)>());
}

} // namespace quillon::engine::avm2stage
