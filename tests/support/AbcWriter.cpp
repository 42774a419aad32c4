#include "support/AbcWriter.h"

#include <cstring>
#include <stdexcept>

namespace quillon::test {

void AppendU30(std::vector<std::uint8_t>& out, std::uint32_t value) {
    do {
        std::uint8_t byte = value & 0x7f;
        value >>= 7;
        if (value) {
            byte |= 0x80;
        }
        out.push_back(byte);
    } while (value);
}

namespace {

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

std::string Key(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

void AppendPool(std::vector<std::uint8_t>& out,
                const std::vector<std::vector<std::uint8_t>>& pool) {
    AppendU30(out, pool.empty() ? 0 : static_cast<std::uint32_t>(pool.size() + 1));
    for (const auto& entry : pool) {
        Append(out, entry);
    }
}

void AppendList(std::vector<std::uint8_t>& out,
                const std::vector<std::vector<std::uint8_t>>& list) {
    AppendU30(out, static_cast<std::uint32_t>(list.size()));
    for (const auto& entry : list) {
        Append(out, entry);
    }
}

} // namespace

std::vector<std::uint8_t> EncodeTraits(const std::vector<AbcTraitSpec>& traits) {
    std::vector<std::uint8_t> out;
    AppendU30(out, static_cast<std::uint32_t>(traits.size()));
    for (const AbcTraitSpec& t : traits) {
        AppendU30(out, t.name);
        out.push_back(static_cast<std::uint8_t>(t.kind | (t.attributes << 4)));
        AppendU30(out, t.slotId);
        if (t.kind == 0 || t.kind == 6) {
            AppendU30(out, t.typeName);
            AppendU30(out, t.valueIndex);
            if (t.valueIndex) {
                out.push_back(t.valueKind);
            }
        } else {
            AppendU30(out, t.index);
        }
    }
    return out;
}

AbcCode& AbcCode::op(std::uint8_t opcode) {
    return u8(opcode);
}
AbcCode& AbcCode::u8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
}
AbcCode& AbcCode::u30(std::uint32_t value) {
    AppendU30(bytes_, value);
    return *this;
}
AbcCode& AbcCode::s24(std::int32_t value) {
    for (int i = 0; i < 3; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return *this;
}
AbcCode::Label AbcCode::label() {
    labels_.push_back(-1);
    return labels_.size() - 1;
}
AbcCode& AbcCode::place(Label label) {
    labels_.at(label) = static_cast<std::int64_t>(bytes_.size());
    return *this;
}
AbcCode& AbcCode::branch(std::uint8_t opcode, Label target) {
    op(opcode);
    fixups_.push_back({bytes_.size(), bytes_.size() + 3, target});
    return s24(0);
}
AbcCode& AbcCode::lookupSwitch(Label fallback, const std::vector<Label>& cases) {
    const std::size_t base = bytes_.size();
    op(0x1b);
    fixups_.push_back({bytes_.size(), base, fallback});
    s24(0);
    u30(static_cast<std::uint32_t>(cases.size() - 1));
    for (Label c : cases) {
        fixups_.push_back({bytes_.size(), base, c});
        s24(0);
    }
    return *this;
}

AbcCode& AbcCode::pushInt(std::int32_t value) {
    if (value >= -128 && value <= 127) {
        return op(0x24).u8(static_cast<std::uint8_t>(value));
    }
    return op(0x2d).u30(abc_.integer(value));
}
AbcCode& AbcCode::pushDouble(double value) {
    return op(0x2f).u30(abc_.number(value));
}
AbcCode& AbcCode::pushString(const std::string& text) {
    return op(0x2c).u30(abc_.string(text));
}
AbcCode& AbcCode::getLocal(std::uint32_t reg) {
    return reg < 4 ? op(0xd0 + reg) : op(0x62).u30(reg);
}
AbcCode& AbcCode::setLocal(std::uint32_t reg) {
    return reg < 4 ? op(0xd4 + reg) : op(0x63).u30(reg);
}
AbcCode& AbcCode::nameOp(std::uint8_t opcode, std::uint32_t multiname) {
    return op(opcode).u30(multiname);
}
AbcCode& AbcCode::callProperty(std::uint8_t opcode, std::uint32_t multiname, std::uint32_t args) {
    return op(opcode).u30(multiname).u30(args);
}
AbcCode& AbcCode::pushThisScope() {
    return op(0xd0).op(0x30);
}
AbcCode& AbcCode::trace(const std::string& text) {
    nameOp(0x5d, abc_.name("trace"));
    pushString(text);
    return callProperty(0x4f, abc_.name("trace"), 1);
}
AbcCode& AbcCode::traceTop() {
    // value -> trace(value): findpropstrict trace, swap, callpropvoid trace 1
    nameOp(0x5d, abc_.name("trace"));
    op(0x2b);
    return callProperty(0x4f, abc_.name("trace"), 1);
}

std::vector<std::uint8_t> AbcCode::finish() const {
    std::vector<std::uint8_t> out = bytes_;
    for (const Fixup& f : fixups_) {
        if (labels_.at(f.target) < 0) {
            throw std::logic_error("label never placed");
        }
        const auto offset =
            static_cast<std::int32_t>(labels_[f.target] - static_cast<std::int64_t>(f.base));
        for (int i = 0; i < 3; ++i) {
            out[f.at + i] = static_cast<std::uint8_t>(offset >> (8 * i));
        }
    }
    return out;
}

std::uint32_t AbcWriter::pooled(std::map<std::string, std::uint32_t>& index, const std::string& key,
                                std::vector<std::vector<std::uint8_t>>& pool,
                                const std::vector<std::uint8_t>& entry) {
    const auto it = index.find(key);
    if (it != index.end()) {
        return it->second;
    }
    pool.push_back(entry);
    const auto i = static_cast<std::uint32_t>(pool.size());
    index.emplace(key, i);
    return i;
}

std::uint32_t AbcWriter::string(const std::string& text) {
    std::vector<std::uint8_t> entry;
    AppendU30(entry, static_cast<std::uint32_t>(text.size()));
    entry.insert(entry.end(), text.begin(), text.end());
    return pooled(stringIndex_, text, strings_, entry);
}
std::uint32_t AbcWriter::integer(std::int32_t value) {
    std::vector<std::uint8_t> entry;
    AppendU30(entry, static_cast<std::uint32_t>(value));
    return pooled(intIndex_, std::to_string(value), ints_, entry);
}
std::uint32_t AbcWriter::unsignedInt(std::uint32_t value) {
    std::vector<std::uint8_t> entry;
    AppendU30(entry, value);
    return pooled(uintIndex_, std::to_string(value), uints_, entry);
}
std::uint32_t AbcWriter::number(double value) {
    std::vector<std::uint8_t> entry(8);
    std::memcpy(entry.data(), &value, 8);
    return pooled(doubleIndex_, Key(entry), doubles_, entry);
}
std::uint32_t AbcWriter::ns(std::uint8_t kind, const std::string& uri) {
    std::vector<std::uint8_t> entry{kind};
    AppendU30(entry, string(uri));
    // Private namespaces are distinct even with equal names.
    const std::string key = kind == 0x05 ? "p" + std::to_string(namespaces_.size()) : Key(entry);
    return pooled(nsIndex_, key, namespaces_, entry);
}
std::uint32_t AbcWriter::nsSet(const std::vector<std::uint32_t>& namespaces) {
    std::vector<std::uint8_t> entry;
    AppendU30(entry, static_cast<std::uint32_t>(namespaces.size()));
    for (std::uint32_t n : namespaces) {
        AppendU30(entry, n);
    }
    return pooled(nsSetIndex_, Key(entry), nsSets_, entry);
}
std::uint32_t AbcWriter::qname(std::uint32_t ns, const std::string& name) {
    std::vector<std::uint8_t> entry{0x07};
    AppendU30(entry, ns);
    AppendU30(entry, string(name));
    return pooled(nameIndex_, Key(entry), names_, entry);
}
std::uint32_t AbcWriter::multiname(const std::string& text, std::uint32_t set) {
    std::vector<std::uint8_t> entry{0x09};
    AppendU30(entry, string(text));
    AppendU30(entry, set);
    return pooled(nameIndex_, Key(entry), names_, entry);
}
std::uint32_t AbcWriter::multinameL(std::uint32_t set) {
    std::vector<std::uint8_t> entry{0x1b};
    AppendU30(entry, set);
    return pooled(nameIndex_, Key(entry), names_, entry);
}
std::uint32_t AbcWriter::rtqname(const std::string& text) {
    std::vector<std::uint8_t> entry{0x0f};
    AppendU30(entry, string(text));
    return pooled(nameIndex_, Key(entry), names_, entry);
}
std::uint32_t AbcWriter::typeName(std::uint32_t base, const std::vector<std::uint32_t>& params) {
    std::vector<std::uint8_t> entry{0x1d};
    AppendU30(entry, base);
    AppendU30(entry, static_cast<std::uint32_t>(params.size()));
    for (std::uint32_t p : params) {
        AppendU30(entry, p);
    }
    return pooled(nameIndex_, Key(entry), names_, entry);
}

std::uint32_t AbcWriter::method(std::uint32_t params, std::uint8_t flags,
                                const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional,
                                const std::string& name, std::vector<std::uint32_t> types,
                                std::uint32_t returnType) {
    types.resize(params, 0);
    std::vector<std::uint8_t> entry;
    AppendU30(entry, params);
    AppendU30(entry, returnType);
    for (std::uint32_t t : types) {
        AppendU30(entry, t);
    }
    AppendU30(entry, name.empty() ? 0 : string(name));
    entry.push_back(static_cast<std::uint8_t>(flags | (optional.empty() ? 0 : 0x08)));
    if (!optional.empty()) {
        AppendU30(entry, static_cast<std::uint32_t>(optional.size()));
        for (const auto& [index, kind] : optional) {
            AppendU30(entry, index);
            entry.push_back(kind);
        }
    }
    methods_.push_back(entry);
    return static_cast<std::uint32_t>(methods_.size() - 1);
}

void AbcWriter::body(std::uint32_t method, const AbcCode& code, std::uint32_t locals,
                     const std::vector<AbcExceptionSpec>& exceptions,
                     const std::vector<AbcTraitSpec>& traits, std::uint32_t maxStack) {
    std::vector<std::uint8_t> entry;
    for (std::uint32_t v : {method, maxStack, locals, 0u, 16u}) {
        AppendU30(entry, v);
    }
    const std::vector<std::uint8_t> bytes = code.finish();
    AppendU30(entry, static_cast<std::uint32_t>(bytes.size()));
    Append(entry, bytes);
    AppendU30(entry, static_cast<std::uint32_t>(exceptions.size()));
    for (const AbcExceptionSpec& e : exceptions) {
        for (std::uint32_t v :
             {static_cast<std::uint32_t>(e.from), static_cast<std::uint32_t>(e.to),
              static_cast<std::uint32_t>(e.target), e.type, e.varName}) {
            AppendU30(entry, v);
        }
    }
    Append(entry, EncodeTraits(traits));
    bodies_.push_back(entry);
}

std::uint32_t AbcWriter::addClass(const AbcClassSpec& klass) {
    std::vector<std::uint8_t> inst;
    AppendU30(inst, klass.name);
    AppendU30(inst, klass.superName);
    inst.push_back(static_cast<std::uint8_t>(klass.flags | (klass.protectedNs ? 0x08 : 0)));
    if (klass.protectedNs) {
        AppendU30(inst, klass.protectedNs);
    }
    AppendU30(inst, static_cast<std::uint32_t>(klass.interfaces.size()));
    for (std::uint32_t i : klass.interfaces) {
        AppendU30(inst, i);
    }
    AppendU30(inst, klass.iinit);
    Append(inst, EncodeTraits(klass.instanceTraits));
    instances_.push_back(inst);
    std::vector<std::uint8_t> cls;
    AppendU30(cls, klass.cinit);
    Append(cls, EncodeTraits(klass.classTraits));
    classes_.push_back(cls);
    return static_cast<std::uint32_t>(classes_.size() - 1);
}

void AbcWriter::script(std::uint32_t init, const std::vector<AbcTraitSpec>& traits) {
    std::vector<std::uint8_t> entry;
    AppendU30(entry, init);
    Append(entry, EncodeTraits(traits));
    scripts_.push_back(entry);
}

std::vector<std::uint8_t> AbcWriter::bytes() const {
    std::vector<std::uint8_t> out{16, 0, 46, 0};
    AppendPool(out, ints_);
    AppendPool(out, uints_);
    AppendPool(out, doubles_);
    AppendPool(out, strings_);
    AppendPool(out, namespaces_);
    AppendPool(out, nsSets_);
    AppendPool(out, names_);
    AppendList(out, methods_);
    AppendU30(out, 0); // metadata
    AppendU30(out, static_cast<std::uint32_t>(classes_.size()));
    for (const auto& inst : instances_) {
        Append(out, inst);
    }
    for (const auto& cls : classes_) {
        Append(out, cls);
    }
    AppendList(out, scripts_);
    AppendList(out, bodies_);
    return out;
}

} // namespace quillon::test
