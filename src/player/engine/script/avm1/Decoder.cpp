#include "player/engine/script/avm1/Code.h"

#include <cstring>
#include <unordered_map>

namespace quillon::engine::avm1 {

namespace {

// Function bodies inside function bodies deeper than this are not decoded.
constexpr int MaxFunctionNesting = 64;

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    std::uint8_t u8() { return need(1) ? data_[pos_++] : 0; }
    std::uint16_t u16() {
        const std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | (u8() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    std::string string() {
        std::string out;
        while (ok_ && pos_ < data_.size() && data_[pos_] != 0) {
            out += static_cast<char>(data_[pos_++]);
        }
        u8();
        return out;
    }
    double f32() {
        const std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    double f64() {
        // the format stores the high word first
        const std::uint64_t hi = u32();
        const std::uint64_t lo = u32();
        const std::uint64_t bits = (hi << 32) | lo;
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }

private:
    bool need(std::size_t n) {
        if (!ok_ || data_.size() - pos_ < n) {
            ok_ = false;
            return false;
        }
        return true;
    }
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

struct Fixup {
    std::size_t instr;
    int field; // 0 a, 1 b, 2 c
    std::int64_t offset;
};

class Decoder {
public:
    Decoder(std::span<const std::uint8_t> bytes, int version, int nesting)
        : bytes_(bytes), version_(version), nesting_(nesting) {}
    std::shared_ptr<Block> run();

private:
    void decodeAction(std::uint8_t op, Reader& args, std::size_t end);
    void decodePush(Reader& args);
    void decodeFunction(std::uint8_t op, Reader& args, std::size_t end);
    void decodeTry(Reader& args, std::size_t end);
    void decodeConstantPool(Reader& args);
    void emit(std::uint8_t op, std::uint32_t a = 0, std::uint32_t b = 0, std::uint8_t flags = 0) {
        block_->code.push_back(Instr{op, flags, a, b, 0});
    }
    std::uint32_t literal(Value value) {
        block_->literals.push_back(std::move(value));
        return static_cast<std::uint32_t>(block_->literals.size() - 1);
    }
    void fix(int field, std::int64_t offset) {
        fixups_.push_back({block_->code.size() - 1, field, offset});
    }
    void resolve();

    std::span<const std::uint8_t> bytes_;
    int version_;
    int nesting_;
    std::shared_ptr<Block> block_ = std::make_shared<Block>();
    std::unordered_map<std::size_t, std::uint32_t> atOffset_;
    std::vector<std::uint32_t> actionStarts_;
    std::vector<Fixup> fixups_;
    std::vector<std::pair<std::size_t, std::uint32_t>> skips_; // instr, actions to skip
    std::size_t skipPos_ = 0;
};

std::shared_ptr<Block> Decoder::run() {
    Reader in(bytes_);
    while (in.remaining() > 0) {
        const std::size_t start = in.pos();
        atOffset_[start] = static_cast<std::uint32_t>(block_->code.size());
        actionStarts_.push_back(static_cast<std::uint32_t>(block_->code.size()));
        const std::uint8_t op = in.u8();
        if (op == 0) {
            break;
        }
        std::size_t length = op >= 0x80 ? in.u16() : 0;
        if (!in.ok() || length > in.remaining()) {
            emit(BadAction);
            break;
        }
        Reader args(bytes_.subspan(in.pos(), length));
        const std::size_t end = in.pos() + length;
        skipPos_ = end;
        decodeAction(op, args, end);
        // a function body follows its header; skip it in this block
        std::size_t next = skipPos_;
        if (next > bytes_.size()) {
            next = bytes_.size();
        }
        while (in.pos() < next && in.remaining() > 0) {
            in.u8();
        }
    }
    atOffset_[bytes_.size()] = static_cast<std::uint32_t>(block_->code.size());
    atOffset_[in.pos()] = static_cast<std::uint32_t>(block_->code.size());
    actionStarts_.push_back(static_cast<std::uint32_t>(block_->code.size()));
    resolve();
    return block_;
}

void Decoder::resolve() {
    const auto end = static_cast<std::uint32_t>(block_->code.size());
    for (const Fixup& f : fixups_) {
        std::uint32_t target = end;
        if (f.offset >= 0) {
            auto it = atOffset_.find(static_cast<std::size_t>(f.offset));
            if (it != atOffset_.end()) {
                target = it->second;
            }
        }
        Instr& in = block_->code[f.instr];
        (f.field == 0 ? in.a : f.field == 1 ? in.b : in.c) = target;
    }
    for (const auto& [instr, skip] : skips_) {
        // which action holds this instruction, then count actions past it
        std::size_t action = 0;
        while (action + 1 < actionStarts_.size() && actionStarts_[action + 1] <= instr) {
            ++action;
        }
        const std::size_t to = std::min(actionStarts_.size() - 1, action + 1 + skip);
        block_->code[instr].b = actionStarts_[to];
    }
}

void Decoder::decodePush(Reader& args) {
    while (args.remaining() > 0) {
        const std::uint8_t type = args.u8();
        switch (type) {
        case 0:
            emit(PushLiteral, literal(Value(args.string())));
            break;
        case 1:
            emit(PushLiteral, literal(Value(args.f32())));
            break;
        case 2:
            emit(PushLiteral, literal(Value::null()));
            break;
        case 3:
            emit(PushLiteral, literal(Value()));
            break;
        case 4:
            emit(PushRegister, args.u8());
            break;
        case 5:
            emit(PushLiteral, literal(Value(args.u8() != 0)));
            break;
        case 6:
            emit(PushLiteral, literal(Value(args.f64())));
            break;
        case 7:
            emit(PushLiteral,
                 literal(Value(static_cast<double>(static_cast<std::int32_t>(args.u32())))));
            break;
        case 8:
            emit(PushPoolItem, args.u8());
            break;
        case 9:
            emit(PushPoolItem, args.u16());
            break;
        default:
            emit(BadAction);
            return;
        }
        if (!args.ok()) {
            block_->code.back().op = BadAction;
            return;
        }
    }
}

void Decoder::decodeFunction(std::uint8_t op, Reader& args, std::size_t end) {
    auto fn = std::make_shared<FunctionCode>();
    fn->name = args.string();
    const std::uint16_t count = args.u16();
    fn->isFunction2 = op == 0x8e;
    if (fn->isFunction2) {
        fn->registerCount = args.u8();
        fn->flags = args.u16();
    }
    for (std::uint16_t i = 0; i < count && args.ok(); ++i) {
        const std::uint8_t reg = fn->isFunction2 ? args.u8() : 0;
        fn->params.emplace_back(reg, args.string());
    }
    const std::size_t size = args.u16();
    const std::size_t bodySize = std::min(size, bytes_.size() - std::min(end, bytes_.size()));
    if (nesting_ < MaxFunctionNesting) {
        fn->body =
            Decoder(bytes_.subspan(std::min(end, bytes_.size()), bodySize), version_, nesting_ + 1)
                .run();
    } else {
        fn->body = std::make_shared<Block>();
    }
    block_->functions.push_back(std::move(fn));
    emit(op, static_cast<std::uint32_t>(block_->functions.size() - 1));
    skipPos_ = end + bodySize;
}

void Decoder::decodeTry(Reader& args, std::size_t end) {
    const std::uint8_t flags = args.u8();
    const std::size_t trySize = args.u16(), catchSize = args.u16(), finallySize = args.u16();
    Value catchName;
    std::uint32_t catchRegister = 0;
    if (flags & 4) {
        catchRegister = args.u8();
    } else {
        catchName = Value(args.string());
    }
    emit(0x8f, 0, 0, flags);
    block_->code.back().c = 0;
    const auto base = static_cast<std::int64_t>(end);
    fix(0, base + static_cast<std::int64_t>(trySize));
    fix(1, base + static_cast<std::int64_t>(trySize + catchSize));
    fix(2, base + static_cast<std::int64_t>(trySize + catchSize + finallySize));
    // the catch variable goes into the literals; its index sits right after the instruction
    emit(PushLiteral, (flags & 4) ? catchRegister : literal(catchName));
    block_->code.back().op = 0; // a placeholder the loop never reaches as an action
}

void Decoder::decodeConstantPool(Reader& args) {
    auto pool = std::make_shared<std::vector<Str>>();
    const std::uint16_t count = args.u16();
    for (std::uint16_t i = 0; i < count && args.ok(); ++i) {
        pool->push_back(MakeStr(args.string()));
    }
    block_->pools.push_back(std::move(pool));
    emit(0x88, static_cast<std::uint32_t>(block_->pools.size() - 1));
}

void Decoder::decodeAction(std::uint8_t op, Reader& args, std::size_t end) {
    const auto here = static_cast<std::int64_t>(end);
    switch (op) {
    case 0x96:
        decodePush(args);
        return;
    case 0x81:
        emit(op, args.u16());
        return;
    case 0x83: {
        const std::string url = args.string();
        emit(op, literal(Value(url)), literal(Value(args.string())));
        return;
    }
    case 0x87: // StoreRegister and GetURL2: one byte
    case 0x9a:
        emit(op, args.u8());
        return;
    case 0x88:
        decodeConstantPool(args);
        return;
    case 0x8a:
    case 0x8d: // WaitForFrame and WaitForFrame2: a frame (the first only), then a skip count
        emit(op, op == 0x8a ? args.u16() : 0);
        skips_.emplace_back(block_->code.size() - 1, args.u8());
        return;
    case 0x8b:
    case 0x8c:
        emit(op, literal(Value(args.string())));
        return;
    case 0x8e:
    case 0x9b:
        decodeFunction(op, args, end);
        return;
    case 0x8f:
        decodeTry(args, end);
        return;
    case 0x94:
        emit(op);
        fix(0, here + args.u16());
        return;
    case 0x99:
    case 0x9d:
        emit(op);
        fix(0, here + static_cast<std::int16_t>(args.u16()));
        return;
    case 0x9f: {
        const std::uint8_t flags = args.u8();
        emit(op, (flags & 2) ? args.u16() : 0, 0, flags);
        return;
    }
    default:
        emit(op);
        return;
    }
}

} // namespace

std::shared_ptr<const Block> DecodeActions(std::span<const std::uint8_t> bytes, int version) {
    return Decoder(bytes, version, 0).run();
}

} // namespace quillon::engine::avm1
