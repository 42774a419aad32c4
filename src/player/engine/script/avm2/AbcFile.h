#pragma once
// One ABC file as it was read: constant pools, methods, classes, scripts and method
// bodies. Every index in here has been checked against its pool by AbcReader, so the
// rest of the machine may index without further checks.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::avm2 {

// clang-format off
enum class NsKind : std::uint8_t {
    Private = 0x05, Namespace = 0x08, Package = 0x16, PackageInternal = 0x17, Protected = 0x18,
    Explicit = 0x19, StaticProtected = 0x1a,
};
// clang-format on

struct AbcNamespace {
    NsKind kind = NsKind::Package;
    std::uint32_t name = 0; // string index, 0 = ""
};

// clang-format off
enum class MultinameKind : std::uint8_t {
    QName = 0x07, QNameA = 0x0d, RTQName = 0x0f, RTQNameA = 0x10, RTQNameL = 0x11,
    RTQNameLA = 0x12, Multiname = 0x09, MultinameA = 0x0e, MultinameL = 0x1b, MultinameLA = 0x1c,
    TypeName = 0x1d,
};
// clang-format on

struct AbcMultiname {
    MultinameKind kind = MultinameKind::QName;
    std::uint32_t name = 0;                // string index (QName, RTQName, Multiname)
    std::uint32_t ns = 0;                  // namespace index (QName)
    std::uint32_t nsSet = 0;               // namespace set index (Multiname, MultinameL)
    std::uint32_t typeBase = 0;            // TypeName: the generic's multiname
    std::vector<std::uint32_t> typeParams; // TypeName: parameter multinames
};

// Kinds of a constant value (optional parameters, slot defaults).
// clang-format off
enum class ConstKind : std::uint8_t {
    Undefined = 0x00, Utf8 = 0x01, Int = 0x03, UInt = 0x04, Double = 0x06, False = 0x0a,
    True = 0x0b, Null = 0x0c,
};
// clang-format on

struct AbcConstant {
    std::uint8_t kind = 0; // ConstKind or an NsKind
    std::uint32_t index = 0;
};

// clang-format off
enum MethodFlags : std::uint8_t {
    NeedArguments = 0x01, NeedActivation = 0x02, NeedRest = 0x04, HasOptional = 0x08,
    SetDxns = 0x40, HasParamNames = 0x80,
};
// clang-format on

struct AbcMethod {
    std::vector<std::uint32_t> paramTypes; // multiname indexes, 0 = any
    std::uint32_t returnType = 0;
    std::uint32_t name = 0;
    std::uint8_t flags = 0;
    std::vector<AbcConstant> optional; // defaults of the last parameters
    int body = -1;                     // index into bodies, -1 for none
};

// clang-format off
enum class TraitKind : std::uint8_t {
    Slot = 0, Method = 1, Getter = 2, Setter = 3, Class = 4, Function = 5, Const = 6,
};
// clang-format on

enum TraitAttributes : std::uint8_t { TraitFinal = 0x1, TraitOverride = 0x2, TraitMetadata = 0x4 };

struct AbcTrait {
    std::uint32_t name = 0; // a QName multiname
    TraitKind kind = TraitKind::Slot;
    std::uint8_t attributes = 0;
    std::uint32_t slotId = 0;   // slot id or disp id
    std::uint32_t typeName = 0; // slot type multiname
    AbcConstant value;          // slot default
    std::uint32_t index = 0;    // method, class or function index
};

using AbcTraits = std::vector<AbcTrait>;

// clang-format off
enum InstanceFlags : std::uint8_t {
    ClassSealed = 0x01, ClassFinal = 0x02, ClassInterface = 0x04, ClassProtectedNs = 0x08,
};
// clang-format on

struct AbcInstance {
    std::uint32_t name = 0;
    std::uint32_t superName = 0;
    std::uint8_t flags = 0;
    std::uint32_t protectedNs = 0;
    std::vector<std::uint32_t> interfaces;
    std::uint32_t init = 0;
    AbcTraits traits;
};

struct AbcClass {
    std::uint32_t init = 0;
    AbcTraits traits;
};

struct AbcScript {
    std::uint32_t init = 0;
    AbcTraits traits;
};

struct AbcException {
    std::uint32_t from = 0, to = 0, target = 0; // byte offsets into the code
    std::uint32_t type = 0, varName = 0;        // multinames, 0 = any
};

struct AbcBody {
    std::uint32_t method = 0;
    std::uint32_t maxStack = 0, localCount = 0, initScopeDepth = 0, maxScopeDepth = 0;
    std::vector<std::uint8_t> code;
    std::vector<AbcException> exceptions;
    AbcTraits traits; // the activation's slots
};

struct AbcFile {
    std::uint16_t minorVersion = 0, majorVersion = 0;
    // Entry 0 of each pool is the implied default (0, NaN, "", any namespace...).
    std::vector<std::int32_t> ints{0};
    std::vector<std::uint32_t> uints{0};
    std::vector<double> doubles{0.0};
    std::vector<std::string> strings{""};
    std::vector<AbcNamespace> namespaces{AbcNamespace{}};
    std::vector<std::vector<std::uint32_t>> nsSets{{}};
    std::vector<AbcMultiname> multinames{AbcMultiname{}};
    std::vector<AbcMethod> methods;
    std::vector<AbcInstance> instances;
    std::vector<AbcClass> classes;
    std::vector<AbcScript> scripts;
    std::vector<AbcBody> bodies;
};

} // namespace quillon::avm2
