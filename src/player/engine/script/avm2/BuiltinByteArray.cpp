// flash.utils.ByteArray (numbers and text in either byte order, copies between arrays,
// zlib and raw deflate), flash.utils.Endian and flash.system.ApplicationDomain's
// domainMemory.

#include "player/engine/script/avm2/BuiltinParts.h"
#include "player/engine/script/avm2/ByteArrayCompression.h"
#include "player/engine/script/avm2/Calls.h"
#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/NativeClass.h"
#include "player/engine/script/avm2/Vm.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <type_traits>

namespace quillon::avm2 {
namespace {

ByteArrayObject* Bytes(Vm& vm, const Value& self) {
    return static_cast<ByteArrayObject*>(
        SelfOfKind(vm, self, ObjectKind::ByteArray, "flash.utils.ByteArray"));
}

Object* Allocate(Vm& vm) {
    return vm.make<ByteArrayObject>();
}

// Grows the array when a write reaches past its end, within the size cap.
std::uint8_t* Room(Vm& vm, ByteArrayObject* b, std::size_t n) {
    const std::size_t end = static_cast<std::size_t>(b->position) + n;
    if (end > vm.limits().maxStringLength) {
        vm.limitReached("a byte array longer than the limit");
    }
    if (end > b->bytes.size()) {
        b->bytes.resize(end);
    }
    std::uint8_t* at = b->bytes.data() + b->position;
    b->position = static_cast<std::uint32_t>(end);
    return at;
}

const std::uint8_t* Take(Vm& vm, ByteArrayObject* b, std::size_t n) {
    if (b->position > b->bytes.size() || b->bytes.size() - b->position < n) {
        vm.throwError(ErrorKind::EOFError, 2030, "End of file was encountered.");
    }
    const std::uint8_t* at = b->bytes.data() + b->position;
    b->position += static_cast<std::uint32_t>(n);
    return at;
}

template <class T> void WriteNumber(Vm& vm, ByteArrayObject* b, T value) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    if (!b->littleEndian) {
        std::reverse(std::begin(raw), std::end(raw));
    }
    std::memcpy(Room(vm, b, sizeof(T)), raw, sizeof(T));
}

template <class T> T ReadNumber(Vm& vm, ByteArrayObject* b) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, Take(vm, b, sizeof(T)), sizeof(T));
    if (!b->littleEndian) {
        std::reverse(std::begin(raw), std::end(raw));
    }
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

void WriteText(Vm& vm, ByteArrayObject* b, const std::string& text) {
    std::memcpy(Room(vm, b, text.size()), text.data(), text.size());
}

std::string ReadText(Vm& vm, ByteArrayObject* b, std::size_t n) {
    const auto* at = reinterpret_cast<const char*>(Take(vm, b, n));
    std::string text(at, n);
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.erase(0, 3);
    }
    return text.substr(0, text.find('\0'));
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
Value BytesAvailable(Vm& vm, const Value& self, std::span<const Value>) {
    const ByteArrayObject* b = Bytes(vm, self);
    const std::size_t left = b->position < b->bytes.size() ? b->bytes.size() - b->position : 0;
    return Value::unsignedInt(static_cast<std::uint32_t>(left));
}
Value GetEndian(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Bytes(vm, self)->littleEndian ? "littleEndian" : "bigEndian");
}
Value SetEndian(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string endian = ToString(vm, Arg(args, 0));
    if (endian != "littleEndian" && endian != "bigEndian") {
        vm.throwError(ErrorKind::ArgumentError, 2008,
                      "Parameter endian must be one of the accepted values.");
    }
    Bytes(vm, self)->littleEndian = endian == "littleEndian";
    return Value();
}

// writeByte, writeShort, writeInt, ...: the number converted to T.
template <class T, bool Float = false>
Value Write(Vm& vm, const Value& self, std::span<const Value> args) {
    const Value& v = Arg(args, 0);
    if constexpr (Float) {
        WriteNumber<T>(vm, Bytes(vm, self), static_cast<T>(ToNumber(vm, v)));
    } else {
        WriteNumber<T>(vm, Bytes(vm, self), static_cast<T>(ToInt32(vm, v)));
    }
    return Value();
}
template <class T> Value Read(Vm& vm, const Value& self, std::span<const Value>) {
    const T n = ReadNumber<T>(vm, Bytes(vm, self));
    if constexpr (std::is_floating_point_v<T>) {
        return Value::number(static_cast<double>(n));
    } else if constexpr (std::is_same_v<T, std::uint32_t>) {
        return Value::unsignedInt(n);
    } else {
        return Value::integer(static_cast<std::int32_t>(n));
    }
}
Value WriteBoolean(Vm& vm, const Value& self, std::span<const Value> args) {
    WriteNumber<std::uint8_t>(vm, Bytes(vm, self), ToBoolean(Arg(args, 0)) ? 1 : 0);
    return Value();
}
Value ReadBoolean(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::boolean(ReadNumber<std::uint8_t>(vm, Bytes(vm, self)) != 0);
}
Value WriteUtfBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    WriteText(vm, Bytes(vm, self), ToString(vm, Arg(args, 0)));
    return Value();
}
Value WriteUtf(Vm& vm, const Value& self, std::span<const Value> args) {
    const std::string text = ToString(vm, Arg(args, 0));
    if (text.size() > 65535) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    ByteArrayObject* b = Bytes(vm, self);
    WriteNumber<std::uint16_t>(vm, b, static_cast<std::uint16_t>(text.size()));
    WriteText(vm, b, text);
    return Value();
}
Value ReadUtfBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::string(ReadText(vm, Bytes(vm, self), ToUint32(vm, Arg(args, 0))));
}
Value ReadUtf(Vm& vm, const Value& self, std::span<const Value>) {
    ByteArrayObject* b = Bytes(vm, self);
    return Value::string(ReadText(vm, b, ReadNumber<std::uint16_t>(vm, b)));
}

// The other array of readBytes and writeBytes.
ByteArrayObject* OtherBytes(Vm& vm, std::span<const Value> args) {
    if (Arg(args, 0).isNullish()) {
        vm.throwError(ErrorKind::TypeError, 2007, "Parameter bytes must be non-null.");
    }
    return Bytes(vm, Arg(args, 0));
}

// writeBytes(from, offset, length) and readBytes(into, offset, length): length 0 takes
// everything from the offset (or the position) on.
Value WriteBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    ByteArrayObject* b = Bytes(vm, self);
    const ByteArrayObject* from = OtherBytes(vm, args);
    const std::size_t offset = ToUint32(vm, Arg(args, 1));
    std::size_t length = ToUint32(vm, Arg(args, 2));
    if (offset > from->bytes.size() || length > from->bytes.size() - offset) {
        vm.throwError(ErrorKind::RangeError, 2006, "The supplied index is out of bounds.");
    }
    if (length == 0) {
        length = from->bytes.size() - offset;
    }
    const std::vector<std::uint8_t> copy(from->bytes.begin() + offset,
                                         from->bytes.begin() + offset + length);
    std::copy(copy.begin(), copy.end(), Room(vm, b, copy.size()));
    return Value();
}
Value ReadBytes(Vm& vm, const Value& self, std::span<const Value> args) {
    ByteArrayObject* b = Bytes(vm, self);
    ByteArrayObject* into = OtherBytes(vm, args);
    const std::uint32_t offset = ToUint32(vm, Arg(args, 1));
    std::size_t length = ToUint32(vm, Arg(args, 2));
    if (length == 0) {
        length = b->position < b->bytes.size() ? b->bytes.size() - b->position : 0;
    }
    const std::uint8_t* from = Take(vm, b, length);
    const std::vector<std::uint8_t> copy(from, from + length);
    const std::uint32_t keep = into->position;
    into->position = offset;
    std::copy(copy.begin(), copy.end(), Room(vm, into, copy.size()));
    into->position = keep;
    return Value();
}
Value Clear(Vm& vm, const Value& self, std::span<const Value>) {
    ByteArrayObject* b = Bytes(vm, self);
    b->bytes.clear();
    b->position = 0;
    return Value();
}
Value BytesToString(Vm& vm, const Value& self, std::span<const Value>) {
    ByteArrayObject* b = Bytes(vm, self);
    std::string text(b->bytes.begin(), b->bytes.end());
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.erase(0, 3);
    }
    return Value::string(text);
}

// compress and uncompress: zlib by default, "deflate" for a raw stream, "lzma"; the
// whole array in, the position at its end (compress) or start (uncompress).
Algorithm AlgorithmOf(Vm& vm, std::span<const Value> args) {
    const Value& algorithm = Arg(args, 0);
    return algorithm.isUndefined() ? Algorithm::Zlib : AlgorithmNamed(ToString(vm, algorithm));
}

Value Compress(Vm& vm, const Value& self, std::span<const Value> args) {
    ByteArrayObject* b = Bytes(vm, self);
    b->bytes = CompressBytes(b->bytes, AlgorithmOf(vm, args));
    b->position = static_cast<std::uint32_t>(b->bytes.size());
    return Value();
}
Value Uncompress(Vm& vm, const Value& self, std::span<const Value> args) {
    ByteArrayObject* b = Bytes(vm, self);
    std::optional<std::vector<std::uint8_t>> out =
        UncompressBytes(b->bytes, AlgorithmOf(vm, args), vm.limits().maxStringLength);
    if (!out) {
        vm.throwError(ErrorKind::IOError, 2058, "There was an error decompressing the data.");
    }
    b->bytes = std::move(*out);
    b->position = 0;
    return Value();
}
Value Deflate(Vm& vm, const Value& self, std::span<const Value>) {
    const Value algorithm = Value::string("deflate");
    return Compress(vm, self, std::span<const Value>(&algorithm, 1));
}
Value Inflate(Vm& vm, const Value& self, std::span<const Value>) {
    const Value algorithm = Value::string("deflate");
    return Uncompress(vm, self, std::span<const Value>(&algorithm, 1));
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

// A byte past the end reads as undefined; writing one grows the array, zero-filled.
bool ByteArrayObject::getOwn(Vm&, PropName& name, Value& out) {
    if (name.index < 0) {
        return false;
    }
    const auto at = static_cast<std::uint64_t>(name.index);
    out = at < bytes.size() ? Value::integer(bytes[at]) : Value();
    return true;
}
bool ByteArrayObject::setOwn(Vm& vm, PropName& name, const Value& value) {
    if (name.index < 0) {
        return false;
    }
    const auto at = static_cast<std::uint64_t>(name.index);
    if (at >= vm.limits().maxStringLength) {
        vm.limitReached("a byte array longer than the limit");
    }
    if (at >= bytes.size()) {
        bytes.resize(at + 1);
    }
    bytes[at] = static_cast<std::uint8_t>(ToInt32(vm, value));
    return true;
}
bool ByteArrayObject::hasOwn(Vm&, PropName& name, bool& has) {
    if (name.index < 0) {
        return false;
    }
    has = static_cast<std::uint64_t>(name.index) < bytes.size();
    return true;
}

void InstallByteArray(Vm& vm) {
    NativeClass bytes(vm, "ByteArray", vm.core.object, "flash.utils");
    bytes.alloc(Allocate)
        .getters({{"length", GetLength},
                  {"position", GetPosition},
                  {"bytesAvailable", BytesAvailable},
                  {"endian", GetEndian}})
        .setter("length", SetLength)
        .setter("position", SetPosition)
        .setter("endian", SetEndian)
        .methods({{"writeByte", Write<std::int8_t>},
                  {"writeShort", Write<std::int16_t>},
                  {"writeInt", Write<std::int32_t>},
                  {"writeUnsignedInt", Write<std::int32_t>},
                  {"writeFloat", Write<float, true>},
                  {"writeDouble", Write<double, true>},
                  {"writeBoolean", WriteBoolean},
                  {"writeUTF", WriteUtf},
                  {"writeUTFBytes", WriteUtfBytes},
                  {"writeMultiByte", WriteUtfBytes},
                  {"writeBytes", WriteBytes},
                  {"readByte", Read<std::int8_t>},
                  {"readUnsignedByte", Read<std::uint8_t>},
                  {"readShort", Read<std::int16_t>},
                  {"readUnsignedShort", Read<std::uint16_t>},
                  {"readInt", Read<std::int32_t>},
                  {"readUnsignedInt", Read<std::uint32_t>},
                  {"readFloat", Read<float>},
                  {"readDouble", Read<double>},
                  {"readBoolean", ReadBoolean},
                  {"readUTF", ReadUtf},
                  {"readUTFBytes", ReadUtfBytes},
                  {"readMultiByte", ReadUtfBytes},
                  {"readBytes", ReadBytes},
                  {"clear", Clear},
                  {"toString", BytesToString},
                  {"compress", Compress},
                  {"uncompress", Uncompress},
                  {"deflate", Deflate},
                  {"inflate", Inflate}})
        .sealed();
    vm.core.byteArray = bytes.get();
    NativeClass(vm, "Endian", vm.core.object, "flash.utils")
        .constant("BIG_ENDIAN", Value::string("bigEndian"))
        .constant("LITTLE_ENDIAN", Value::string("littleEndian"))
        .sealed();
    NativeClass(vm, "CompressionAlgorithm", vm.core.object, "flash.utils")
        .constant("ZLIB", Value::string("zlib"))
        .constant("DEFLATE", Value::string("deflate"))
        .constant("LZMA", Value::string("lzma"))
        .sealed();
    NativeClass(vm, "ApplicationDomain", vm.core.object, "flash.system")
        .staticGetter("currentDomain", CurrentDomain)
        .constant("MIN_DOMAIN_MEMORY_LENGTH", Value::unsignedInt(1024))
        .getter("domainMemory", GetDomainMemory)
        .setter("domainMemory", SetDomainMemory)
        .sealed();
}

} // namespace quillon::avm2
