#include "player/engine/script/avm2/AbcReader.h"

#include "player/engine/script/avm2/AbcStream.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

bool IsNamespaceKind(std::uint8_t kind) {
    constexpr std::uint8_t kinds[] = {0x05, 0x08, 0x16, 0x17, 0x18, 0x19, 0x1a};
    return std::find(std::begin(kinds), std::end(kinds), kind) != std::end(kinds);
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : in_(bytes) {}
    AbcFile read();

private:
    std::uint32_t index(std::size_t poolSize, const char* what);
    void readConstantPool();
    void readNamespaces();
    void readMultinames();
    AbcMultiname readMultiname();
    void readMethods();
    AbcMethod readMethod();
    void skipMetadata();
    void readClasses();
    AbcInstance readInstance(std::uint32_t classCount);
    AbcConstant readConstant(std::uint8_t kind, std::uint32_t value);
    AbcTraits readTraits(std::uint32_t classCount);
    AbcTrait readTrait(std::uint32_t classCount);
    void readScripts();
    void readBodies();
    AbcBody readBody();

    AbcStream in_;
    AbcFile abc_;
};

std::uint32_t Reader::index(std::size_t poolSize, const char* what) {
    const std::uint32_t i = in_.u30();
    if (i >= poolSize) {
        in_.fail(std::string(what) + " index " + std::to_string(i) + " out of range");
    }
    return i;
}

AbcFile Reader::read() {
    abc_.minorVersion = in_.u16();
    abc_.majorVersion = in_.u16();
    readConstantPool();
    readMethods();
    skipMetadata();
    readClasses();
    readScripts();
    readBodies();
    return std::move(abc_);
}

void Reader::readConstantPool() {
    // Each pool's count includes the implied entry 0, so 0 and 1 both mean "empty".
    const auto poolCount = [&](const char* what, std::size_t minBytes) {
        const std::uint32_t n = in_.poolCount(what, minBytes);
        return n == 0 ? 0u : n - 1;
    };
    for (std::uint32_t n = poolCount("int", 1); n > 0; --n) {
        abc_.ints.push_back(in_.s32());
    }
    for (std::uint32_t n = poolCount("uint", 1); n > 0; --n) {
        abc_.uints.push_back(in_.u32());
    }
    for (std::uint32_t n = poolCount("double", 8); n > 0; --n) {
        abc_.doubles.push_back(in_.d64());
    }
    for (std::uint32_t n = poolCount("string", 1); n > 0; --n) {
        const std::uint32_t length = in_.u30();
        abc_.strings.push_back(in_.utf8(length));
    }
    readNamespaces();
    readMultinames();
}

void Reader::readNamespaces() {
    std::uint32_t n = in_.poolCount("namespace", 2);
    for (std::uint32_t i = 1; i < n; ++i) {
        AbcNamespace ns;
        const std::uint8_t kind = in_.u8();
        if (!IsNamespaceKind(kind)) {
            in_.fail("unknown namespace kind " + std::to_string(kind));
        }
        ns.kind = static_cast<NsKind>(kind);
        ns.name = index(abc_.strings.size(), "namespace name string");
        abc_.namespaces.push_back(ns);
    }
    n = in_.poolCount("namespace set", 1);
    for (std::uint32_t i = 1; i < n; ++i) {
        std::vector<std::uint32_t> set(in_.count("namespace set entry", 1));
        for (auto& ns : set) {
            ns = index(abc_.namespaces.size(), "namespace");
            if (ns == 0) {
                in_.fail("namespace set holds namespace 0");
            }
        }
        abc_.nsSets.push_back(std::move(set));
    }
}

void Reader::readMultinames() {
    const std::uint32_t n = in_.poolCount("multiname", 1);
    for (std::uint32_t i = 1; i < n; ++i) {
        abc_.multinames.push_back(readMultiname());
    }
    // Type names may refer forward, so they are checked once all are read.
    for (const AbcMultiname& name : abc_.multinames) {
        for (std::uint32_t param : name.typeParams) {
            if (param >= abc_.multinames.size() || name.typeBase >= abc_.multinames.size()) {
                in_.fail("type name parameter out of range");
            }
        }
        if (name.kind == MultinameKind::TypeName &&
            (name.typeBase >= abc_.multinames.size() ||
             abc_.multinames[name.typeBase].kind == MultinameKind::TypeName)) {
            in_.fail("type name without a plain generic");
        }
    }
}

// What each plain kind of multiname holds after its kind byte, in this order.
struct MultinameLayout {
    MultinameKind kind;
    bool ns, name, nsSet;
};
constexpr MultinameLayout MultinameLayouts[] = {
    {MultinameKind::QName, true, true, false},
    {MultinameKind::QNameA, true, true, false},
    {MultinameKind::RTQName, false, true, false},
    {MultinameKind::RTQNameA, false, true, false},
    {MultinameKind::RTQNameL, false, false, false},
    {MultinameKind::RTQNameLA, false, false, false},
    {MultinameKind::Multiname, false, true, true},
    {MultinameKind::MultinameA, false, true, true},
    {MultinameKind::MultinameL, false, false, true},
    {MultinameKind::MultinameLA, false, false, true},
};

AbcMultiname Reader::readMultiname() {
    AbcMultiname name;
    const std::uint8_t kind = in_.u8();
    name.kind = static_cast<MultinameKind>(kind);
    if (name.kind == MultinameKind::TypeName) {
        name.typeBase = in_.u30();
        name.typeParams.resize(in_.count("type parameter", 1));
        for (auto& param : name.typeParams) {
            param = in_.u30();
        }
        return name;
    }
    for (const MultinameLayout& layout : MultinameLayouts) {
        if (layout.kind != name.kind) {
            continue;
        }
        name.ns = layout.ns ? index(abc_.namespaces.size(), "namespace") : 0;
        name.name = layout.name ? index(abc_.strings.size(), "string") : 0;
        name.nsSet = layout.nsSet ? index(abc_.nsSets.size(), "namespace set") : 0;
        return name;
    }
    in_.fail("unknown multiname kind " + std::to_string(kind));
    return name;
}

void Reader::readMethods() {
    const std::uint32_t n = in_.count("method", 4);
    abc_.methods.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        abc_.methods.push_back(readMethod());
    }
}

AbcMethod Reader::readMethod() {
    AbcMethod method;
    const std::uint32_t params = in_.count("parameter", 1);
    method.returnType = index(abc_.multinames.size(), "return type multiname");
    method.paramTypes.resize(params);
    for (auto& type : method.paramTypes) {
        type = index(abc_.multinames.size(), "parameter type multiname");
    }
    method.name = index(abc_.strings.size(), "method name string");
    method.flags = in_.u8();
    if (method.flags & HasOptional) {
        const std::uint32_t options = in_.count("optional parameter", 2);
        if (options > params) {
            in_.fail("more optional parameters than parameters");
        }
        for (std::uint32_t i = 0; i < options; ++i) {
            const std::uint32_t value = in_.u30();
            method.optional.push_back(readConstant(in_.u8(), value));
        }
    }
    if (method.flags & HasParamNames) {
        for (std::uint32_t i = 0; i < params; ++i) {
            index(abc_.strings.size(), "parameter name string");
        }
    }
    return method;
}

AbcConstant Reader::readConstant(std::uint8_t kind, std::uint32_t value) {
    if (kind == 0x00 || kind == 0x0a || kind == 0x0b || kind == 0x0c) {
        return AbcConstant{kind, 0}; // undefined, false, true, null
    }
    const std::pair<std::uint8_t, std::size_t> pools[] = {{0x01, abc_.strings.size()},
                                                          {0x03, abc_.ints.size()},
                                                          {0x04, abc_.uints.size()},
                                                          {0x06, abc_.doubles.size()}};
    std::size_t pool = abc_.namespaces.size();
    const auto it = std::find_if(std::begin(pools), std::end(pools),
                                 [kind](const auto& p) { return p.first == kind; });
    if (it != std::end(pools)) {
        pool = it->second;
    } else if (!IsNamespaceKind(kind)) {
        in_.fail("unknown constant kind " + std::to_string(kind));
    }
    if (value >= pool) {
        in_.fail("constant index " + std::to_string(value) + " out of range");
    }
    return AbcConstant{kind, value};
}

void Reader::skipMetadata() {
    const std::uint32_t n = in_.count("metadata", 2);
    for (std::uint32_t i = 0; i < n; ++i) {
        index(abc_.strings.size(), "metadata name string");
        for (std::uint32_t items = in_.count("metadata item", 2); items > 0; --items) {
            index(abc_.strings.size(), "metadata key string");
            index(abc_.strings.size(), "metadata value string");
        }
    }
}

void Reader::readClasses() {
    const std::uint32_t n = in_.count("class", 6);
    for (std::uint32_t i = 0; i < n; ++i) {
        abc_.instances.push_back(readInstance(n));
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        AbcClass cls;
        cls.init = index(abc_.methods.size(), "class initializer method");
        cls.traits = readTraits(n);
        abc_.classes.push_back(std::move(cls));
    }
}

AbcInstance Reader::readInstance(std::uint32_t classCount) {
    AbcInstance inst;
    inst.name = index(abc_.multinames.size(), "class name multiname");
    inst.superName = index(abc_.multinames.size(), "super class multiname");
    inst.flags = in_.u8();
    if (inst.flags & ClassProtectedNs) {
        inst.protectedNs = index(abc_.namespaces.size(), "protected namespace");
    }
    inst.interfaces.resize(in_.count("interface", 1));
    for (auto& iface : inst.interfaces) {
        iface = index(abc_.multinames.size(), "interface multiname");
    }
    inst.init = index(abc_.methods.size(), "instance initializer method");
    inst.traits = readTraits(classCount);
    return inst;
}

AbcTraits Reader::readTraits(std::uint32_t classCount) {
    AbcTraits traits(in_.count("trait", 3));
    for (auto& trait : traits) {
        trait = readTrait(classCount);
    }
    return traits;
}

AbcTrait Reader::readTrait(std::uint32_t classCount) {
    AbcTrait trait;
    trait.name = index(abc_.multinames.size(), "trait name multiname");
    if (abc_.multinames[trait.name].kind != MultinameKind::QName) {
        in_.fail("trait name is not a qualified name");
    }
    const std::uint8_t kind = in_.u8();
    trait.kind = static_cast<TraitKind>(kind & 0x0f);
    trait.attributes = kind >> 4;
    trait.slotId = in_.u30();
    switch (trait.kind) {
    case TraitKind::Slot:
    case TraitKind::Const: {
        trait.typeName = index(abc_.multinames.size(), "slot type multiname");
        const std::uint32_t value = in_.u30();
        if (value != 0) {
            trait.value = readConstant(in_.u8(), value);
        }
        break;
    }
    case TraitKind::Class:
        trait.index = index(classCount, "class");
        break;
    case TraitKind::Method:
    case TraitKind::Getter:
    case TraitKind::Setter:
    case TraitKind::Function:
        trait.index = index(abc_.methods.size(), "method");
        break;
    default:
        in_.fail("unknown trait kind " + std::to_string(kind & 0x0f));
    }
    if (trait.attributes & TraitMetadata) {
        for (std::uint32_t n = in_.count("trait metadata", 1); n > 0; --n) {
            in_.u30();
        }
    }
    return trait;
}

void Reader::readScripts() {
    const std::uint32_t n = in_.count("script", 2);
    for (std::uint32_t i = 0; i < n; ++i) {
        AbcScript script;
        script.init = index(abc_.methods.size(), "script initializer method");
        script.traits = readTraits(static_cast<std::uint32_t>(abc_.classes.size()));
        abc_.scripts.push_back(std::move(script));
    }
}

void Reader::readBodies() {
    const std::uint32_t n = in_.count("method body", 8);
    for (std::uint32_t i = 0; i < n; ++i) {
        AbcBody body = readBody();
        AbcMethod& method = abc_.methods[body.method];
        if (method.body >= 0) {
            in_.fail("second body for method " + std::to_string(body.method));
        }
        method.body = static_cast<int>(abc_.bodies.size());
        abc_.bodies.push_back(std::move(body));
    }
}

AbcBody Reader::readBody() {
    AbcBody body;
    body.method = index(abc_.methods.size(), "body method");
    body.maxStack = in_.u30();
    body.localCount = in_.u30();
    body.initScopeDepth = in_.u30();
    body.maxScopeDepth = in_.u30();
    const auto code = in_.take(in_.u30());
    body.code.assign(code.begin(), code.end());
    body.exceptions.resize(in_.count("exception", 5));
    for (AbcException& ex : body.exceptions) {
        ex.from = in_.u30();
        ex.to = in_.u30();
        ex.target = in_.u30();
        if (ex.from > ex.to || ex.to > code.size() || ex.target >= code.size()) {
            in_.fail("exception range outside the code");
        }
        ex.type = index(abc_.multinames.size(), "exception type multiname");
        ex.varName = index(abc_.multinames.size(), "exception variable multiname");
    }
    body.traits = readTraits(static_cast<std::uint32_t>(abc_.classes.size()));
    return body;
}

} // namespace

AbcFile ReadAbc(std::span<const std::uint8_t> bytes) {
    return Reader(bytes).read();
}

} // namespace quillon::avm2
