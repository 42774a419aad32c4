// The domain memory loads and stores, on the byte array the host or script set as
// domain memory, little-endian, and the sign extensions.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/OpsSupport.h"

#include <cstring>

namespace quillon::avm2 {
namespace {

std::uint8_t* Address(Frame& f, const Value& offset, std::size_t size) {
    ByteArrayObject* memory = f.vm.domainMemory;
    const std::int64_t at = ToInt32(f.vm, offset);
    if (!memory || at < 0 || static_cast<std::uint64_t>(at) + size > memory->bytes.size()) {
        f.vm.throwError(ErrorKind::RangeError, 1506, "The specified range is invalid.");
    }
    return memory->bytes.data() + at;
}

template <class T> T Load(std::uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value); // the host is little-endian like the format
    return value;
}

template <class T> void LoadInt(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::integer(static_cast<std::int32_t>(Load<T>(Address(f, top, sizeof(T)))));
}
template <class T> void LoadFloat(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::number(static_cast<double>(Load<T>(Address(f, top, sizeof(T)))));
}
template <class T> void StoreInt(Frame& f, const Instr&) {
    const Value offset = f.pop();
    const T value = static_cast<T>(ToInt32(f.vm, f.pop()));
    std::memcpy(Address(f, offset, sizeof(T)), &value, sizeof value);
}
template <class T> void StoreFloat(Frame& f, const Instr&) {
    const Value offset = f.pop();
    const T value = static_cast<T>(ToNumber(f.vm, f.pop()));
    std::memcpy(Address(f, offset, sizeof(T)), &value, sizeof value);
}
template <int Bits> void SignExtend(Frame& f, const Instr&) {
    Value& top = f.top();
    const std::uint32_t v = static_cast<std::uint32_t>(ToInt32(f.vm, top)) << (32 - Bits);
    top = Value::integer(static_cast<std::int32_t>(v) >> (32 - Bits));
}

// clang-format off
const OpEntry kEntries[] = {
    {0x35, LoadInt<std::uint8_t>, "li8"}, {0x36, LoadInt<std::uint16_t>, "li16"},
    {0x37, LoadInt<std::int32_t>, "li32"}, {0x38, LoadFloat<float>, "lf32"},
    {0x39, LoadFloat<double>, "lf64"}, {0x3a, StoreInt<std::uint8_t>, "si8"},
    {0x3b, StoreInt<std::uint16_t>, "si16"}, {0x3c, StoreInt<std::int32_t>, "si32"},
    {0x3d, StoreFloat<float>, "sf32"}, {0x3e, StoreFloat<double>, "sf64"},
    {0x50, SignExtend<1>, "sxi1"}, {0x51, SignExtend<8>, "sxi8"}, {0x52, SignExtend<16>, "sxi16"},
};
// clang-format on

} // namespace

extern const std::span<const OpEntry> MemoryOps = kEntries;

} // namespace quillon::avm2
