// Decodes a method body once: operands read and checked, names resolved, branch and
// switch targets turned into instruction indexes and checked to land on one.

#include "player/engine/script/avm2/AbcStream.h"
#include "player/engine/script/avm2/AbcUnit.h"
#include "player/engine/script/avm2/Opcodes.h"

#include <algorithm>

namespace quillon::avm2 {
namespace {

// An instruction whose target is still a byte offset.
struct Pending {
    std::size_t instr;
    std::int64_t offset; // a branch's target byte (may be out of range)
    bool isSwitch;       // switches keep their offsets in switchOffsets_
};

class Decoder {
public:
    Decoder(const AbcUnit& unit, const AbcBody& body)
        : unit_(unit), body_(body), in_(body.code), locals_(LocalCount(unit, body)) {}
    std::unique_ptr<MethodCode> decode();

private:
    void decodeOne(const OpInfo& info, Instr& in, std::size_t start);
    void decodeIndex(const OpInfo& info, Instr& in);
    void decodePoolIndex(Operands operands, Instr& in);
    std::uint32_t checked(std::uint32_t value, std::size_t limit, const char* what);
    void readSwitch(Instr& in, std::size_t start);
    void resolveTargets();
    void resolveHandlers();
    std::int32_t target(std::int64_t offset);
    std::vector<bool> entered() const;

    const AbcUnit& unit_;
    const AbcBody& body_;
    AbcStream in_;
    std::uint32_t locals_;
    std::unique_ptr<MethodCode> code_ = std::make_unique<MethodCode>();
    std::vector<std::int32_t> at_; // byte offset -> instruction index, -1 inside one
    std::vector<Pending> pending_;
    std::vector<std::vector<std::int64_t>> switchOffsets_;
};

std::uint32_t Decoder::checked(std::uint32_t value, std::size_t limit, const char* what) {
    if (value >= limit) {
        in_.fail(std::string(what) + " " + std::to_string(value) + " out of range");
    }
    return value;
}

std::unique_ptr<MethodCode> Decoder::decode() {
    at_.assign(body_.code.size() + 1, -1);
    const OpTable& ops = Ops();
    while (!in_.atEnd()) {
        const std::size_t start = in_.position();
        const std::uint8_t op = in_.u8();
        const OpInfo& info = ops[op];
        if (info.operands == Operands::Invalid) {
            in_.fail("unknown instruction " + std::to_string(op));
        }
        at_[start] = static_cast<std::int32_t>(code_->instrs.size());
        Instr in;
        in.exec = info.handler;
        in.op = op;
        decodeOne(info, in, start);
        code_->instrs.push_back(in);
    }
    at_[body_.code.size()] = static_cast<std::int32_t>(code_->instrs.size());
    // Running off the end is a verify error, met here instead of past the vector.
    Instr end;
    end.exec = ops[0].handler;
    code_->instrs.push_back(end);
    resolveTargets();
    resolveHandlers();
    FuseInstructions(unit_, *code_, entered());
    return std::move(code_);
}

void Decoder::decodeOne(const OpInfo& info, Instr& in, std::size_t start) {
    switch (info.operands) {
    case Operands::None:
    case Operands::Invalid:
        break;
    case Operands::U30:
    case Operands::U30U30:
        in.a = static_cast<std::int32_t>(in_.u30());
        in.b = info.operands == Operands::U30U30 ? static_cast<std::int32_t>(in_.u30()) : in.b;
        break;
    case Operands::U8:
        in.a = in_.u8();
        break;
    case Operands::S8:
        in.a = static_cast<std::int8_t>(in_.u8());
        break;
    case Operands::Short:
        in.a = static_cast<std::int16_t>(in_.u32());
        break;
    case Operands::Local:
    case Operands::Hasnext2:
        in.a = checked(in_.u30(), locals_, "register");
        in.b = info.operands == Operands::Hasnext2 ? checked(in_.u30(), locals_, "register") : in.b;
        break;
    case Operands::Branch: {
        const std::int32_t offset = in_.s24();
        pending_.push_back(
            {code_->instrs.size(), static_cast<std::int64_t>(in_.position()) + offset, false});
        break;
    }
    case Operands::Switch:
        readSwitch(in, start);
        break;
    case Operands::Debug:
        in_.u8(), in_.u30(), in_.u8(), in_.u30();
        break;
    default:
        decodeIndex(info, in);
    }
}

// The operands that index a pool of the file or of the body.
void Decoder::decodeIndex(const OpInfo& info, Instr& in) {
    switch (info.operands) {
    case Operands::Name:
    case Operands::NameArgs:
        in.name = &unit_.names[checked(in_.u30(), unit_.names.size(), "multiname")];
        if (info.operands == Operands::NameArgs) {
            in.b = static_cast<std::int32_t>(in_.u30());
        }
        break;
    default:
        decodePoolIndex(info.operands, in);
        break;
    }
}

void Decoder::decodePoolIndex(Operands operands, Instr& in) {
    const AbcFile& f = unit_.file;
    struct Pool {
        Operands operands;
        std::size_t size;
        const char* what;
    };
    const Pool pools[] = {{Operands::String, f.strings.size(), "string"},
                          {Operands::Int, f.ints.size(), "int constant"},
                          {Operands::Uint, f.uints.size(), "uint constant"},
                          {Operands::Double, f.doubles.size(), "double constant"},
                          {Operands::Namespace, f.namespaces.size(), "namespace"},
                          {Operands::Method, f.methods.size(), "method"},
                          {Operands::Class, f.classes.size(), "class"},
                          {Operands::Catch, body_.exceptions.size(), "exception"}};
    for (const Pool& pool : pools) {
        if (pool.operands == operands) {
            in.a = checked(in_.u30(), pool.size, pool.what);
        }
    }
}

void Decoder::readSwitch(Instr& in, std::size_t start) {
    std::vector<std::int64_t> offsets;
    offsets.push_back(static_cast<std::int64_t>(start) + in_.s24());
    const std::uint32_t cases = in_.u30();
    if (static_cast<std::uint64_t>(cases) * 3 + 3 > in_.remaining()) {
        in_.fail("switch case count " + std::to_string(cases) + " larger than the code");
    }
    for (std::uint32_t i = 0; i <= cases; ++i) {
        offsets.push_back(static_cast<std::int64_t>(start) + in_.s24());
    }
    in.a = static_cast<std::int32_t>(switchOffsets_.size());
    switchOffsets_.push_back(std::move(offsets));
    pending_.push_back({code_->instrs.size(), -1, true});
}

std::int32_t Decoder::target(std::int64_t offset) {
    if (offset < 0 || offset >= static_cast<std::int64_t>(body_.code.size()) || at_[offset] < 0) {
        throw AbcError("Damaged ABC data: a branch target is not on an instruction (offset " +
                       std::to_string(offset) + ")");
    }
    return at_[offset];
}

void Decoder::resolveTargets() {
    for (const Pending& p : pending_) {
        Instr& in = code_->instrs[p.instr];
        if (!p.isSwitch) {
            in.a = target(p.offset);
            continue;
        }
        std::vector<std::int32_t> table;
        for (std::int64_t offset : switchOffsets_[in.a]) {
            table.push_back(target(offset));
        }
        in.a = static_cast<std::int32_t>(code_->switches.size());
        code_->switches.push_back(std::move(table));
    }
}

void Decoder::resolveHandlers() {
    // from and to may fall inside instructions; they cover what starts within them.
    const auto firstAtOrAfter = [&](std::uint32_t offset) {
        while (at_[offset] < 0) {
            ++offset;
        }
        return at_[offset];
    };
    for (const AbcException& ex : body_.exceptions) {
        ExceptionHandler h;
        h.from = firstAtOrAfter(ex.from);
        h.to = firstAtOrAfter(ex.to);
        h.target = target(ex.target);
        h.type = ex.type ? &unit_.names[ex.type] : nullptr;
        h.var = ex.varName ? &unit_.names[ex.varName] : nullptr;
        code_->handlers.push_back(h);
    }
}

// The instructions reached other than by falling through, and the edges of the
// exception ranges: fusion must not swallow any of them.
std::vector<bool> Decoder::entered() const {
    std::vector<bool> marks(code_->instrs.size() + 1, false);
    for (const Pending& p : pending_) {
        const Instr& in = code_->instrs[p.instr];
        if (!p.isSwitch) {
            marks[in.a] = true;
            continue;
        }
        for (std::int32_t t : code_->switches[in.a]) {
            marks[t] = true;
        }
    }
    for (const ExceptionHandler& h : code_->handlers) {
        marks[h.from] = marks[h.to] = marks[h.target] = true;
    }
    return marks;
}

} // namespace

std::uint32_t LocalCount(const AbcUnit& unit, const AbcBody& body) {
    const AbcMethod& method = unit.file.methods[body.method];
    const std::uint32_t needed = static_cast<std::uint32_t>(method.paramTypes.size()) + 2;
    return std::max({body.localCount, needed, 4u});
}

std::unique_ptr<MethodCode> DecodeBody(const AbcUnit& unit, const AbcBody& body) {
    return Decoder(unit, body).decode();
}

} // namespace quillon::avm2
