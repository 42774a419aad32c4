#pragma once
// An assembler for ABC files in tests: constant pools with shared entries, methods,
// bodies with labels and exception tables, classes and scripts.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillon::test {

class AbcWriter;

// One method body's byte code, with forward and backward labels.
class AbcCode {
public:
    explicit AbcCode(AbcWriter& abc) : abc_(abc) {}
    using Label = std::size_t;

    AbcCode& op(std::uint8_t opcode);
    AbcCode& u8(std::uint8_t value);
    AbcCode& u30(std::uint32_t value);
    AbcCode& s24(std::int32_t value);
    Label label();               // a new, unplaced label
    AbcCode& place(Label label); // the label is here
    AbcCode& branch(std::uint8_t opcode, Label target);
    AbcCode& lookupSwitch(Label fallback, const std::vector<Label>& cases);
    std::size_t position() const { return bytes_.size(); }

    // Common instructions.
    AbcCode& pushInt(std::int32_t value);
    AbcCode& pushDouble(double value);
    AbcCode& pushString(const std::string& text);
    AbcCode& getLocal(std::uint32_t reg);
    AbcCode& setLocal(std::uint32_t reg);
    AbcCode& nameOp(std::uint8_t opcode, std::uint32_t multiname);
    AbcCode& callProperty(std::uint8_t opcode, std::uint32_t multiname, std::uint32_t args);
    AbcCode& pushThisScope(); // getlocal0, pushscope
    // findpropstrict trace, VALUE..., callpropvoid trace: emit() pushes the values.
    AbcCode& trace(const std::string& text);
    AbcCode& traceTop(); // traces the value on top of the stack (and pops it)

    std::vector<std::uint8_t> finish() const;

private:
    AbcWriter& abc_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::int64_t> labels_;
    struct Fixup {
        std::size_t at;   // where the s24 goes
        std::size_t base; // offsets count from here
        Label target;
    };
    std::vector<Fixup> fixups_;
};

struct AbcTraitSpec {
    std::uint32_t name = 0;
    std::uint8_t kind = 0; // 0 slot, 1 method, 2 getter, 3 setter, 4 class, 5 function, 6 const
    std::uint32_t slotId = 0;
    std::uint32_t typeName = 0;
    std::uint32_t valueIndex = 0;
    std::uint8_t valueKind = 0;
    std::uint32_t index = 0; // method or class
    std::uint8_t attributes = 0;
};

struct AbcExceptionSpec {
    std::size_t from = 0, to = 0, target = 0; // byte positions in the code
    std::uint32_t type = 0, varName = 0;
};

struct AbcClassSpec {
    std::uint32_t name = 0, superName = 0;
    std::uint8_t flags = 0x01; // sealed
    std::uint32_t protectedNs = 0;
    std::vector<std::uint32_t> interfaces;
    std::uint32_t iinit = 0, cinit = 0;
    std::vector<AbcTraitSpec> instanceTraits, classTraits;
};

class AbcWriter {
public:
    std::uint32_t string(const std::string& text);
    std::uint32_t integer(std::int32_t value);
    std::uint32_t unsignedInt(std::uint32_t value);
    std::uint32_t number(double value);
    std::uint32_t ns(std::uint8_t kind, const std::string& uri);
    std::uint32_t publicNs() { return ns(0x16, ""); }
    std::uint32_t nsSet(const std::vector<std::uint32_t>& namespaces);
    std::uint32_t qname(std::uint32_t ns, const std::string& name);
    std::uint32_t name(const std::string& text) { return qname(publicNs(), text); }
    std::uint32_t multiname(const std::string& text, std::uint32_t nsSet);
    std::uint32_t multinameL(std::uint32_t nsSet);
    std::uint32_t rtqname(const std::string& text);
    std::uint32_t typeName(std::uint32_t base, const std::vector<std::uint32_t>& params);

    std::uint32_t method(std::uint32_t params = 0, std::uint8_t flags = 0,
                         const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional = {},
                         const std::string& name = "", std::vector<std::uint32_t> types = {},
                         std::uint32_t returnType = 0);
    void body(std::uint32_t method, const AbcCode& code, std::uint32_t locals = 8,
              const std::vector<AbcExceptionSpec>& exceptions = {},
              const std::vector<AbcTraitSpec>& traits = {}, std::uint32_t maxStack = 32);
    std::uint32_t addClass(const AbcClassSpec& klass);
    void script(std::uint32_t init, const std::vector<AbcTraitSpec>& traits = {});

    std::vector<std::uint8_t> bytes() const;

private:
    std::uint32_t pooled(std::map<std::string, std::uint32_t>& index, const std::string& key,
                         std::vector<std::vector<std::uint8_t>>& pool,
                         const std::vector<std::uint8_t>& entry);

    std::map<std::string, std::uint32_t> intIndex_, uintIndex_, doubleIndex_, stringIndex_,
        nsIndex_, nsSetIndex_, nameIndex_;
    std::vector<std::vector<std::uint8_t>> ints_, uints_, doubles_, strings_, namespaces_, nsSets_,
        names_;
    std::vector<std::vector<std::uint8_t>> methods_, bodies_, instances_, classes_, scripts_;
};

void AppendU30(std::vector<std::uint8_t>& out, std::uint32_t value);
std::vector<std::uint8_t> EncodeTraits(const std::vector<AbcTraitSpec>& traits);

} // namespace quillon::test
