#pragma once
// The object model: traits (the fixed, named properties of a class, flattened with
// those inherited), slots, dynamic properties in insertion order, and the kinds of
// object the machine itself needs (functions, classes, arrays, byte arrays).

#include "player/engine/script/avm2/Names.h"
#include "player/engine/script/avm2/Value.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillon::avm2 {

class Vm;
class ClassObject;
struct MethodInfo;

using NativeFn = Value (*)(Vm& vm, const Value& self, std::span<const Value> args);
using NativeAlloc = Object* (*)(Vm& vm);

// A callable body: ABC byte code or a built-in.
struct MethodRef {
    const MethodInfo* abc = nullptr;
    NativeFn native = nullptr;
    std::int32_t length = 0; // a built-in's declared arguments, as `length` reads them
    explicit operator bool() const { return abc || native; }
};

// How a typed slot or parameter converts what is stored in it.
enum class Coercion : std::uint8_t { Any, Int, Uint, Number, String, Boolean, Object };

struct SlotDef {
    Value initial;
    Coercion coercion = Coercion::Any;
    bool constant = false;
};

struct Binding {
    enum class Kind : std::uint8_t { Slot, Method, Accessor };
    Kind kind = Kind::Slot;
    std::uint32_t slot = 0;
    MethodRef method, getter, setter;
};

// A property key: namespace id in the high half, name atom in the low half.
inline std::uint64_t PropKey(std::uint32_t ns, std::uint32_t atom) {
    return (static_cast<std::uint64_t>(ns) << 32) | atom;
}

struct Traits {
    std::unordered_map<std::uint64_t, Binding> bindings;
    std::vector<SlotDef> slots;
    const Binding* find(std::uint64_t key) const {
        const auto it = bindings.find(key);
        return it == bindings.end() ? nullptr : &it->second;
    }
};

// Dynamic properties keep their insertion order, which enumeration follows.
struct DynamicProps {
    struct Entry {
        std::uint32_t atom;
        Value value;
        bool live;
        bool enumerable = true;
    };
    std::vector<Entry> entries;
    std::unordered_map<std::uint32_t, std::uint32_t> index;
    Value* find(std::uint32_t atom);
    void set(std::uint32_t atom, const Value& value, bool enumerable = true);
    bool erase(std::uint32_t atom);
};

// What an enumeration asks an object that enumerates by its own rules.
enum class EnumQuery : std::uint8_t { NextIndex, Name, Value };

enum class ObjectKind : std::uint8_t {
    Plain,
    Function,
    Class,
    Array,
    ByteArray,
    Namespace,
    Vector,
    Xml,
    XmlList
};

class Object {
public:
    explicit Object(ObjectKind kind = ObjectKind::Plain) : kind(kind) {}
    virtual ~Object() = default;

    ObjectKind kind;
    bool dynamic = true;
    const Traits* traits = nullptr;
    ClassObject* cls = nullptr; // the class this is an instance of
    Object* proto = nullptr;    // where dynamic lookups continue
    std::vector<Value> slots;
    std::unique_ptr<DynamicProps> dyn;
    // Error objects remember their id and the native data of built-ins lives here.
    Value primitive;

    // Objects whose own properties are neither slots nor dynamic ones (typed vectors,
    // XML) set exotic and answer these before the usual lookup; false leaves a name to it.
    bool exotic = false;
    virtual bool getOwn(Vm&, PropName&, Value&) { return false; }
    virtual bool setOwn(Vm&, PropName&, const Value&) { return false; }
    virtual bool deleteOwn(Vm&, PropName&, bool& /*deleted*/) { return false; }
    virtual bool hasOwn(Vm&, PropName&, bool& /*has*/) { return false; }
    virtual bool callOwn(Vm&, PropName&, std::span<const Value>, Value& /*result*/) {
        return false;
    }
    // An object that enumerates by its own rules (Proxy) answers here with true.
    virtual bool enumerate(Vm&, EnumQuery, int /*index*/, Value& /*out*/) { return false; }
    // Elements enumerated before the dynamic properties: their count, names and values.
    virtual std::uint32_t elementCount() const { return 0; }
    virtual Value elementName(Vm&, std::uint32_t i) const;
    virtual Value elementValue(Vm&, std::uint32_t) const { return {}; }
    virtual bool elementMissing(std::uint32_t) const { return false; }

    DynamicProps& props() {
        if (!dyn) {
            dyn = std::make_unique<DynamicProps>();
        }
        return *dyn;
    }
};

struct ScopeEntry {
    Value value;
    bool isWith = false;
};

// The scope chain a closure captured: outermost (the global object) first.
struct ScopeChain {
    std::vector<ScopeEntry> entries;
};

class FunctionObject : public Object {
public:
    FunctionObject() : Object(ObjectKind::Function) {}
    MethodRef method;
    Value boundThis; // set for methods taken from an object
    bool bound = false;
    std::shared_ptr<const ScopeChain> scope;
    ClassObject* home = nullptr; // the class a method belongs to, for super
};

class ClassObject : public Object {
public:
    ClassObject() : Object(ObjectKind::Class) {}
    std::string name; // qualified name as getQualifiedClassName prints it
    ClassObject* base = nullptr;
    std::vector<ClassObject*> interfaces;
    std::shared_ptr<Traits> instanceTraits;
    std::shared_ptr<Traits> staticTraits;
    Object* prototype = nullptr;
    MethodRef init;                     // the instance initializer
    NativeFn nativeConstruct = nullptr; // built-ins that make their own kind of object
    NativeFn nativeCall = nullptr;      // what calling the class as a function does
    NativeAlloc alloc = nullptr;        // makes instances of a built-in's own kind
    std::shared_ptr<const ScopeChain> scope;
    std::uint32_t protectedNs = 0;
    bool isInterface = false;
    bool sealed = false;
    bool stringHint = false; // Date: + and == take its string form, not its number
    Coercion coercion = Coercion::Object;

    bool isSubclassOf(const ClassObject* other) const;
};

class ArrayObject : public Object {
public:
    ArrayObject() : Object(ObjectKind::Array) {}
    std::vector<Value> items;
    std::uint32_t elementCount() const override { return static_cast<std::uint32_t>(items.size()); }
    Value elementValue(Vm&, std::uint32_t i) const override { return items[i]; }
    bool elementMissing(std::uint32_t i) const override { return items[i].isHole(); }
};

class ByteArrayObject : public Object {
public:
    ByteArrayObject() : Object(ObjectKind::ByteArray) { exotic = true; }
    // Index names read and write single bytes; other names go the usual way.
    bool getOwn(Vm& vm, PropName& name, Value& out) override;
    bool setOwn(Vm& vm, PropName& name, const Value& value) override;
    bool hasOwn(Vm& vm, PropName& name, bool& has) override;
    std::vector<std::uint8_t> bytes;
    std::uint32_t position = 0;
    bool littleEndian = false;
};

class NamespaceObject : public Object {
public:
    NamespaceObject() : Object(ObjectKind::Namespace) {}
    std::uint32_t ns = 0;
    std::string uri;
    std::string prefix; // meaningful when hasPrefix; an absent prefix reads undefined
    bool hasPrefix = false;
};

} // namespace quillon::avm2
