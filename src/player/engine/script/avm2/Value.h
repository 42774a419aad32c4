#pragma once
// The one value representation of the machine: sixteen bytes, a kind and a payload.
// Strings are shared and counted (they hold no references, so counting frees them
// all); objects live in the machine's heap and are referred to by pointer.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quillon::avm2 {

class Object;

struct StringData {
    std::uint32_t refs = 1;
    std::uint32_t atom = 0; // interned name id, 0 = not interned yet
    std::string text;       // UTF-8
};

enum class Kind : std::uint8_t { Undefined, Null, Boolean, Int, Number, String, Object };

class Value {
public:
    Value() { u_.i = 0; }
    Value(const Value& other) : kind_(other.kind_), u_(other.u_) { retain(); }
    Value(Value&& other) noexcept : kind_(other.kind_), u_(other.u_) {
        other.kind_ = Kind::Undefined;
        other.u_.i = 0;
    }
    Value& operator=(const Value& other) {
        if (this != &other) {
            other.retain();
            release();
            kind_ = other.kind_;
            u_ = other.u_;
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            release();
            kind_ = other.kind_;
            u_ = other.u_;
            other.kind_ = Kind::Undefined;
            other.u_.i = 0;
        }
        return *this;
    }
    ~Value() { release(); }

    // An array element never set or deleted: undefined to every reader, but the
    // array looks such an index up on its prototypes and enumeration skips it.
    static Value hole() {
        Value v;
        v.u_.i = kHoleMark;
        return v;
    }
    static Value null() { return Value(Kind::Null); }
    static Value boolean(bool b) {
        Value v(Kind::Boolean);
        v.u_.b = b;
        return v;
    }
    static Value integer(std::int32_t i) {
        Value v(Kind::Int);
        v.u_.i = i;
        return v;
    }
    static Value number(double d) {
        Value v(Kind::Number);
        v.u_.d = d;
        return v;
    }
    static Value unsignedInt(std::uint32_t u) {
        return u <= 0x7fffffffu ? integer(static_cast<std::int32_t>(u)) : number(u);
    }
    static Value string(std::string text);
    static Value object(Object* o) {
        if (!o) {
            return null();
        }
        Value v(Kind::Object);
        v.u_.o = o;
        return v;
    }

    Kind kind() const { return kind_; }
    bool isUndefined() const { return kind_ == Kind::Undefined; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isHole() const { return kind_ == Kind::Undefined && u_.i == kHoleMark; }
    bool isNullish() const { return kind_ <= Kind::Null; }
    bool isInt() const { return kind_ == Kind::Int; }
    bool isNumeric() const { return kind_ == Kind::Int || kind_ == Kind::Number; }
    bool isString() const { return kind_ == Kind::String; }
    bool isObject() const { return kind_ == Kind::Object; }

    bool asBool() const { return u_.b; }
    std::int32_t asInt() const { return u_.i; }
    double asNumber() const { return kind_ == Kind::Int ? u_.i : u_.d; }
    const std::string& asString() const { return u_.s->text; }
    StringData* stringData() const { return u_.s; }
    Object* asObject() const { return u_.o; }

private:
    static constexpr std::int32_t kHoleMark = 0x486f6c65;
    explicit Value(Kind kind) : kind_(kind) { u_.i = 0; }
    void retain() const {
        if (kind_ == Kind::String) {
            ++u_.s->refs;
        }
    }
    void release() {
        if (kind_ == Kind::String && --u_.s->refs == 0) {
            delete u_.s;
        }
    }

    Kind kind_ = Kind::Undefined;
    union {
        bool b;
        std::int32_t i;
        double d;
        StringData* s;
        Object* o;
    } u_;
};

inline Value Value::string(std::string text) {
    Value v(Kind::String);
    v.u_.s = new StringData{1, 0, std::move(text)};
    return v;
}

} // namespace quillon::avm2
