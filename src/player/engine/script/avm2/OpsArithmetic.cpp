// Arithmetic, bitwise, comparison and conversion instructions.

#include "player/engine/script/avm2/Convert.h"
#include "player/engine/script/avm2/OpsSupport.h"
#include "player/engine/script/avm2/Properties.h"
#include "player/engine/script/avm2/XmlObject.h"

#include <cmath>

namespace quillon::avm2 {
namespace {

Value Step(Vm& vm, const Value& v, int delta) {
    if (v.isInt()) {
        const std::int64_t r = static_cast<std::int64_t>(v.asInt()) + delta;
        if (r == static_cast<std::int32_t>(r)) {
            return Value::integer(static_cast<std::int32_t>(r));
        }
    }
    return Value::number(ToNumber(vm, v) + delta);
}

template <int Delta> void Increment(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Step(f.vm, top, Delta);
}
template <int Delta> void IncLocal(Frame& f, const Instr& in) {
    f.locals[in.a] = Step(f.vm, f.locals[in.a], Delta);
}
template <int Delta> void IncrementInt(Frame& f, const Instr&) {
    Value& top = f.top();
    const std::uint32_t v = static_cast<std::uint32_t>(ToInt32(f.vm, top));
    top = Value::integer(static_cast<std::int32_t>(v + Delta));
}
template <int Delta> void IncLocalInt(Frame& f, const Instr& in) {
    Value& local = f.locals[in.a];
    const std::uint32_t v =
        static_cast<std::uint32_t>(local.isInt() ? local.asInt() : ToInt32(f.vm, local));
    local = Value::integer(static_cast<std::int32_t>(v + Delta));
}

void Negate(Frame& f, const Instr&) {
    Value& top = f.top();
    if (top.isInt() && top.asInt() != 0 && top.asInt() != INT32_MIN) {
        top = Value::integer(-top.asInt());
    } else {
        top = Value::number(-ToNumber(f.vm, top));
    }
}
void NegateInt(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::integer(
        static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(ToInt32(f.vm, top))));
}
void Not(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::boolean(!ToBoolean(top));
}
void BitNot(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::integer(~ToInt32(f.vm, top));
}
void TypeOfOp(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Value::string(TypeOf(top));
}

void AddOp(Frame& f, const Instr&) {
    const Value b = f.pop();
    Value& a = f.top();
    a = Add(f.vm, a, b);
}

enum class Arith { Sub, Mul, Div, Mod };

template <Arith A> Value IntArith(std::int32_t x, std::int32_t y, bool& ok) {
    ok = true;
    const std::int64_t a = x, b = y;
    std::int64_t r = 0;
    switch (A) {
    case Arith::Sub:
        r = a - b;
        break;
    case Arith::Mul:
        r = a * b;
        ok = !(r == 0 && (a < 0 || b < 0)); // the product is -0
        break;
    case Arith::Mod:
        ok = b != 0 && !(a < 0 && a % b == 0);
        r = ok ? a % b : 0;
        break;
    case Arith::Div:
        ok = false;
        break;
    }
    ok = ok && r == static_cast<std::int32_t>(r);
    return Value::integer(static_cast<std::int32_t>(r));
}

template <Arith A> void ArithOp(Frame& f, const Instr&) {
    const Value bv = f.pop();
    Value& av = f.top();
    if (av.isInt() && bv.isInt()) {
        bool ok;
        Value r = IntArith<A>(av.asInt(), bv.asInt(), ok);
        if (ok) {
            av = std::move(r);
            return;
        }
    }
    const double a = ToNumber(f.vm, av), b = ToNumber(f.vm, bv);
    switch (A) {
    case Arith::Sub:
        av = Value::number(a - b);
        break;
    case Arith::Mul:
        av = Value::number(a * b);
        break;
    case Arith::Div:
        av = Value::number(a / b);
        break;
    case Arith::Mod:
        av = Value::number(std::fmod(a, b));
        break;
    }
}

enum class Bits { Shl, Shr, Ushr, And, Or, Xor, AddI, SubI, MulI };

template <Bits B> void BitOp(Frame& f, const Instr&) {
    const Value bv = f.pop();
    Value& av = f.top();
    const std::int32_t a = ToInt32(f.vm, av);
    const std::int32_t b = ToInt32(f.vm, bv);
    const std::uint32_t ua = static_cast<std::uint32_t>(a), ub = static_cast<std::uint32_t>(b);
    switch (B) {
    case Bits::Shl:
        av = Value::integer(static_cast<std::int32_t>(ua << (ub & 31)));
        break;
    case Bits::Shr:
        av = Value::integer(a >> (ub & 31));
        break;
    case Bits::Ushr:
        av = Value::unsignedInt(ua >> (ub & 31));
        break;
    case Bits::And:
        av = Value::integer(a & b);
        break;
    case Bits::Or:
        av = Value::integer(a | b);
        break;
    case Bits::Xor:
        av = Value::integer(a ^ b);
        break;
    case Bits::AddI:
        av = Value::integer(static_cast<std::int32_t>(ua + ub));
        break;
    case Bits::SubI:
        av = Value::integer(static_cast<std::int32_t>(ua - ub));
        break;
    case Bits::MulI:
        av = Value::integer(static_cast<std::int32_t>(ua * ub));
        break;
    }
}

template <bool Strict> void EqualsOp(Frame& f, const Instr&) {
    const Value b = f.pop();
    Value& a = f.top();
    a = Value::boolean(Strict ? StrictEquals(a, b) : LooseEquals(f.vm, a, b));
}

template <bool Swap, int Want> void CompareOp(Frame& f, const Instr&) {
    const Value b = f.pop();
    Value& a = f.top();
    const int r = Swap ? LessThan(f.vm, b, a) : LessThan(f.vm, a, b);
    a = Value::boolean(r == Want);
}

template <Coercion C> void CoerceOp(Frame& f, const Instr&) {
    Value& top = f.top();
    top = Coerce(f.vm, top, C);
}
void ConvertString(Frame& f, const Instr&) {
    Value& top = f.top();
    top = ToStringValue(f.vm, top);
}
void ConvertObject(Frame& f, const Instr&) {
    if (f.top().isNullish()) {
        ThrowNullAccess(f.vm, f.top());
    }
}
// esc_xelem and esc_xattr: the text of a value put into XML markup.
template <bool Attribute> void EscapeXml(Frame& f, const Instr&) {
    Value& top = f.top();
    if (IsXml(top)) {
        top = Value::string(Attribute ? EscapeAttributeText(XmlToString(f.vm, top))
                                      : XmlMarkup(f.vm, top));
        return;
    }
    const std::string text = ToString(f.vm, top);
    top = Value::string(Attribute ? EscapeAttributeText(text) : EscapeElementText(text));
}
void CheckFilter(Frame& f, const Instr&) {
    if (!IsXml(f.top())) {
        f.vm.throwError(ErrorKind::TypeError, 1123,
                        "Filter operator not supported on type " + ClassName(f.vm, f.top()) + ".");
    }
}
void PopOne(Frame& f, const Instr&) {
    f.pop();
}

// clang-format off
const OpEntry kEntries[] = {
    {0x07, PopOne, "dxnslate"}, {0x70, ConvertString, "convert_s"},
    {0x71, EscapeXml<false>, "esc_xelem"}, {0x72, EscapeXml<true>, "esc_xattr"},
    {0x73, CoerceOp<Coercion::Int>, "convert_i"}, {0x74, CoerceOp<Coercion::Uint>, "convert_u"},
    {0x75, CoerceOp<Coercion::Number>, "convert_d"},
    {0x76, CoerceOp<Coercion::Boolean>, "convert_b"}, {0x77, ConvertObject, "convert_o"},
    {0x78, CheckFilter, "checkfilter"}, {0x81, CoerceOp<Coercion::Boolean>, "coerce_b"},
    {0x82, CoerceOp<Coercion::Any>, "coerce_a"}, {0x83, CoerceOp<Coercion::Int>, "coerce_i"},
    {0x84, CoerceOp<Coercion::Number>, "coerce_d"}, {0x85, CoerceOp<Coercion::String>, "coerce_s"},
    {0x88, CoerceOp<Coercion::Uint>, "coerce_u"}, {0x89, CoerceOp<Coercion::Object>, "coerce_o"},
    {0x90, Negate, "negate"}, {0x91, Increment<1>, "increment"},
    {0x92, IncLocal<1>, "inclocal", Operands::Local}, {0x93, Increment<-1>, "decrement"},
    {0x94, IncLocal<-1>, "declocal", Operands::Local}, {0x95, TypeOfOp, "typeof"},
    {0x96, Not, "not"}, {0x97, BitNot, "bitnot"}, {0xa0, AddOp, "add"},
    {0xa1, ArithOp<Arith::Sub>, "subtract"}, {0xa2, ArithOp<Arith::Mul>, "multiply"},
    {0xa3, ArithOp<Arith::Div>, "divide"}, {0xa4, ArithOp<Arith::Mod>, "modulo"},
    {0xa5, BitOp<Bits::Shl>, "lshift"}, {0xa6, BitOp<Bits::Shr>, "rshift"},
    {0xa7, BitOp<Bits::Ushr>, "urshift"}, {0xa8, BitOp<Bits::And>, "bitand"},
    {0xa9, BitOp<Bits::Or>, "bitor"}, {0xaa, BitOp<Bits::Xor>, "bitxor"},
    {0xab, EqualsOp<false>, "equals"}, {0xac, EqualsOp<true>, "strictequals"},
    {0xad, CompareOp<false, 1>, "lessthan"}, {0xae, CompareOp<true, 0>, "lessequals"},
    {0xaf, CompareOp<true, 1>, "greaterthan"}, {0xb0, CompareOp<false, 0>, "greaterequals"},
    {0xc0, IncrementInt<1>, "increment_i"}, {0xc1, IncrementInt<-1>, "decrement_i"},
    {0xc2, IncLocalInt<1>, "inclocal_i", Operands::Local},
    {0xc3, IncLocalInt<-1>, "declocal_i", Operands::Local}, {0xc4, NegateInt, "negate_i"},
    {0xc5, BitOp<Bits::AddI>, "add_i"}, {0xc6, BitOp<Bits::SubI>, "subtract_i"},
    {0xc7, BitOp<Bits::MulI>, "multiply_i"},
};
// clang-format on

} // namespace

extern const std::span<const OpEntry> ArithmeticOps = kEntries;

} // namespace quillon::avm2
