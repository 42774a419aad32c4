// flash.utils.ByteArray as far as domain memory needs it, and
// flash.system.ApplicationDomain's domainMemory.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

namespace quillon::avm2 {
namespace {

ByteArrayObject* Bytes(Vm& vm, const Value& self) {
    return static_cast<ByteArrayObject*>(
        SelfOfKind(vm, self, ObjectKind::ByteArray, "flash.utils.ByteArray"));
}

Object* Allocate(Vm& vm) {
    return vm.make<ByteArrayObject>();
}

Value GetLength(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(static_cast<std::uint32_t>(Bytes(vm, self)->bytes.size()));
}
Value SetLength(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::uint32_t n = ToUint32(vm, Arg(args, 0));
    if (n > vm.limits().maxStringLength) {
        vm.limitReached("a byte array longer than the limit");
    }
    ByteArrayObject* b = Bytes(vm, self);
    b->bytes.resize(n);
    b->position = std::min<std::uint32_t>(b->position, n);
    return Value();
}
Value GetPosition(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::unsignedInt(Bytes(vm, self)->position);
}
Value SetPosition(Vm& vm, const Value& self, std::span<const Value> args) {
    Bytes(vm, self)->position = ToUint32(vm, Arg(args, 0));
    return Value();
}
Value WriteByte(Vm& vm, const Value& self, std::span<const Value> args) {
    ByteArrayObject* b = Bytes(vm, self);
    if (b->position >= b->bytes.size()) {
        if (b->position >= vm.limits().maxStringLength) {
            vm.limitReached("a byte array longer than the limit");
        }
        b->bytes.resize(b->position + 1);
    }
    b->bytes[b->position++] = static_cast<std::uint8_t>(ToInt32(vm, Arg(args, 0)));
    return Value();
}
Value ReadUnsignedByte(Vm& vm, const Value& self, std::span<const Value>) {
    ByteArrayObject* b = Bytes(vm, self);
    if (b->position >= b->bytes.size()) {
        vm.throwError(ErrorKind::Error, 2030, "End of file was encountered.");
    }
    return Value::integer(b->bytes[b->position++]);
}

Value CurrentDomain(Vm& vm, const Value& self, std::span<const Value>) {
    return ConstructClass(vm, static_cast<ClassObject*>(self.asObject()), {});
}
Value GetDomainMemory(Vm& vm, const Value&, std::span<const Value>) {
    return Value::object(vm.domainMemory);
}
Value SetDomainMemory(Vm& vm, const Value&, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    vm.domainMemory = v.isNullish() ? nullptr : Bytes(vm, v);
    return Value();
}

} // namespace

void InstallByteArray(Vm& vm) {
    vm.core.byteArray = NativeClass(vm, "ByteArray", vm.core.object, "flash.utils")
                            .alloc(Allocate)
                            .getter("length", GetLength)
                            .setter("length", SetLength)
                            .getter("position", GetPosition)
                            .setter("position", SetPosition)
                            .method("writeByte", WriteByte)
                            .method("readUnsignedByte", ReadUnsignedByte)
                            .sealed()
                            .get();
    NativeClass(vm, "ApplicationDomain", vm.core.object, "flash.system")
        .staticGetter("currentDomain", CurrentDomain)
        .getter("domainMemory", GetDomainMemory)
        .setter("domainMemory", SetDomainMemory)
        .sealed();
}

} // namespace quillon::avm2
