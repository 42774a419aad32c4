#include "support/ActionAssembler.h"

#include <cstring>
#include <stdexcept>

namespace quillon::testing {

void ActionAssembler::record(std::uint8_t code, const Bytes& body) {
    out_.push_back(code);
    if (code >= 0x80) {
        out_.push_back(static_cast<std::uint8_t>(body.size() & 0xff));
        out_.push_back(static_cast<std::uint8_t>(body.size() >> 8));
        out_.insert(out_.end(), body.begin(), body.end());
    }
}

ActionAssembler& ActionAssembler::op(std::uint8_t code) {
    record(code, {});
    return *this;
}

ActionAssembler& ActionAssembler::getUrl2(std::uint8_t flags) {
    record(0x9a, {flags});
    return *this;
}

ActionAssembler& ActionAssembler::push(std::initializer_list<PushValue> values) {
    BitWriter w;
    for (const PushValue& v : values) {
        if (auto* s = std::get_if<std::string>(&v)) {
            w.u8(0);
            w.string(*s);
        } else if (auto* c = std::get_if<const char*>(&v)) {
            w.u8(0);
            w.string(*c);
        } else if (auto* d = std::get_if<double>(&v)) {
            std::uint64_t bits;
            std::memcpy(&bits, d, 8);
            w.u8(6);
            w.u32(static_cast<std::uint32_t>(bits >> 32)); // high word first
            w.u32(static_cast<std::uint32_t>(bits));
        } else if (auto* i = std::get_if<int>(&v)) {
            w.u8(7);
            w.u32(static_cast<std::uint32_t>(*i));
        } else if (auto* b = std::get_if<bool>(&v)) {
            w.u8(5);
            w.u8(*b ? 1 : 0);
        } else if (std::holds_alternative<Null>(v)) {
            w.u8(2);
        } else if (std::holds_alternative<Undefined>(v)) {
            w.u8(3);
        } else {
            w.u8(4);
            w.u8(std::get<Register>(v).index);
        }
    }
    record(0x96, w.take());
    return *this;
}

ActionAssembler& ActionAssembler::constants(const std::vector<std::string>& pool) {
    BitWriter w;
    w.u16(static_cast<std::uint16_t>(pool.size()));
    for (const std::string& s : pool) {
        w.string(s);
    }
    record(0x88, w.take());
    return *this;
}

ActionAssembler& ActionAssembler::pushConstant(std::uint16_t index) {
    record(0x96, index < 256 ? Bytes{8, static_cast<std::uint8_t>(index)}
                             : Bytes{9, static_cast<std::uint8_t>(index & 0xff),
                                     static_cast<std::uint8_t>(index >> 8)});
    return *this;
}

ActionAssembler& ActionAssembler::storeRegister(std::uint8_t index) {
    record(0x87, {index});
    return *this;
}

ActionAssembler& ActionAssembler::label(const std::string& name) {
    labels_[name] = out_.size();
    return *this;
}

ActionAssembler& ActionAssembler::jump(const std::string& label) {
    record(0x99, {0, 0});
    jumps_.emplace_back(out_.size() - 2, label);
    return *this;
}

ActionAssembler& ActionAssembler::ifTrue(const std::string& label) {
    record(0x9d, {0, 0});
    jumps_.emplace_back(out_.size() - 2, label);
    return *this;
}

ActionAssembler& ActionAssembler::function(const FunctionSpec& fn, const ActionAssembler& body) {
    const Bytes code = body.code();
    BitWriter w;
    w.string(fn.name);
    w.u16(static_cast<std::uint16_t>(fn.params.size()));
    if (fn.v2) {
        w.u8(fn.registerCount);
        w.u16(fn.flags);
    }
    for (const auto& [reg, name] : fn.params) {
        if (fn.v2) {
            w.u8(reg);
        }
        w.string(name);
    }
    w.u16(static_cast<std::uint16_t>(code.size()));
    record(fn.v2 ? 0x8e : 0x9b, w.take());
    out_.insert(out_.end(), code.begin(), code.end());
    return *this;
}

ActionAssembler& ActionAssembler::with(const ActionAssembler& body) {
    const Bytes code = body.code();
    BitWriter w;
    w.u16(static_cast<std::uint16_t>(code.size()));
    record(0x94, w.take());
    out_.insert(out_.end(), code.begin(), code.end());
    return *this;
}

ActionAssembler& ActionAssembler::gotoFrame2(bool play, std::optional<std::uint16_t> sceneBias) {
    Bytes body{static_cast<std::uint8_t>((play ? 1 : 0) | (sceneBias ? 2 : 0))};
    if (sceneBias) {
        body.push_back(static_cast<std::uint8_t>(*sceneBias & 0xff));
        body.push_back(static_cast<std::uint8_t>(*sceneBias >> 8));
    }
    record(0x9f, body);
    return *this;
}

ActionAssembler& ActionAssembler::trace(PushValue value) {
    push({value});
    return op(Action::Trace);
}

ActionAssembler& ActionAssembler::set(const std::string& name, PushValue value) {
    push({name, value});
    return op(Action::SetVariable);
}

ActionAssembler& ActionAssembler::traceVariable(const std::string& name) {
    push({name});
    op(Action::GetVariable);
    return op(Action::Trace);
}

Bytes ActionAssembler::code() const {
    Bytes out = out_;
    for (const auto& [at, name] : jumps_) {
        auto it = labels_.find(name);
        if (it == labels_.end()) {
            throw std::logic_error("jump to unknown label " + name);
        }
        const auto offset =
            static_cast<std::int16_t>(static_cast<long>(it->second) - static_cast<long>(at + 2));
        out[at] = static_cast<std::uint8_t>(offset & 0xff);
        out[at + 1] = static_cast<std::uint8_t>((offset >> 8) & 0xff);
    }
    return out;
}

Bytes ActionAssembler::block() const {
    Bytes out = code();
    out.push_back(0);
    return out;
}

} // namespace quillon::testing
