// Conversions and number formatting, checked through what scripts trace.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>
#include <limits>

namespace quillon::test {
namespace {

TEST(Avm2Conversion, NumbersPrintAsThePlayerPrintsThem) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Double(0.1), "0.1"},
        {Double(1e21), "1e+21"},
        {Double(123456789012345680000.0), "123456789012345680000"},
        {Double(1e-7), "1e-7"},
        {Double(0.000001), "0.000001"},
        {Double(-0.0), "0"},
        {Double(nan), "NaN"},
        {Double(-inf), "-Infinity"},
        {Double(1.5e300), "1.5e+300"},
        {Double(0.1 + 0.2), "0.30000000000000004"},
        {Double(-2.5), "-2.5"},
        {Double(4294967295.0), "4294967295"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Conversion, NumberMethodsFormat) {
    AbcWriter abc;
    const std::vector<TraceCase> cases = {
        {Call(abc, Double(1.005), "toFixed", {Int(2)}), "1.00"},
        {Call(abc, Double(2.5), "toFixed", {Int(0)}), "3"},
        {Call(abc, Double(-2.5), "toFixed", {Int(0)}), "-3"},
        {Call(abc, Double(0.000001), "toFixed", {Int(3)}), "0.000"},
        {Call(abc, Double(1e21), "toFixed", {Int(2)}), "1e+21"},
        {Call(abc, Double(123.456), "toPrecision", {Int(4)}), "123.5"},
        {Call(abc, Double(0.00001), "toPrecision", {Int(1)}), "0.00001"},
        {Call(abc, Double(1e21), "toPrecision", {Int(3)}), "1.00e+21"},
        {Call(abc, Double(123456), "toExponential", {Int(2)}), "1.23e+5"},
        {Call(abc, Double(0.00015), "toExponential", {}), "1.5e-4"},
        {Call(abc, Int(255), "toString", {Int(16)}), "ff"},
        {Call(abc, Int(-255), "toString", {Int(2)}), "-11111111"},
        {Call(abc, Double(0.5), "toString", {Int(2)}), "0.1"},
        {Call(abc, Int(35), "toString", {Int(36)}), "z"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Conversion, IntUintNumberStringBooleanRules) {
    AbcWriter abc;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<TraceCase> cases = {
        {Then(Double(4294967295.0), 0x73), "-1"},
        {Then(Double(2147483648.0), 0x73), "-2147483648"},
        {Then(Double(-1.9), 0x73), "-1"},
        {Then(Double(nan), 0x73), "0"},
        {Then(Double(1e20), 0x73), "1661992960"},
        {Then(Int(-1), 0x74), "4294967295"},
        {Then(Str(" 0x1A "), 0x75), "26"},
        {Then(Str(""), 0x75), "0"},
        {Then(Str("12px"), 0x75), "NaN"},
        {Then(Str("1e3"), 0x75), "1000"},
        {Then(Str("-Infinity"), 0x75), "-Infinity"},
        {Then(Str(""), 0x76), "false"},
        {Then(Str("0"), 0x76), "true"},
        {Then(Double(nan), 0x76), "false"},
        {[](AbcCode& c) { c.op(0x20).op(0x85); }, "null"}, // coerce_s keeps null
        {[](AbcCode& c) { c.op(0x20).op(0x70); }, "null"}, // convert_s makes "null"
        {[](AbcCode& c) { c.op(0x21).op(0x75); }, "NaN"},  // undefined to Number
        {[](AbcCode& c) { c.op(0x21).op(0x95); }, "undefined"},
        {[](AbcCode& c) { c.op(0x20).op(0x95); }, "object"},
        {Then(Int(3), 0x95), "number"},
        {[](AbcCode& c) { c.pushInt(7).pushString("7").op(0xab); }, "true"},  // equals
        {[](AbcCode& c) { c.pushInt(7).pushString("7").op(0xac); }, "false"}, // strictequals
        {[](AbcCode& c) { c.op(0x20).op(0x21).op(0xab); }, "true"},
        {[](AbcCode& c) { c.pushString("10").pushString("9").op(0xad); }, "true"}, // strings
        {[](AbcCode& c) { c.pushString("10").pushInt(9).op(0xad); }, "false"},     // numbers
        {[=](AbcCode& c) { c.pushDouble(nan).pushInt(1).op(0xb0); }, "false"},
        {[](AbcCode& c) { c.pushInt(1).pushString("2").op(0xa0); }, "12"},
        {[](AbcCode& c) { c.pushInt(2147483647).pushInt(1).op(0xa0); }, "2147483648"},
        {[](AbcCode& c) { c.pushInt(2147483647).pushInt(1).op(0xc5); }, "-2147483648"},
        {[](AbcCode& c) { c.pushInt(1).pushInt(-5).pushInt(5).op(0xa4).op(0xa3); }, "-Infinity"},
        {[](AbcCode& c) { c.pushInt(-1).pushInt(28).op(0xa7); }, "15"},
        {[](AbcCode& c) { c.pushInt(1).pushInt(33).op(0xa5); }, "2"},
        {[](AbcCode& c) { c.pushInt(7).pushInt(2).op(0xa3); }, "3.5"},
    };
    ExpectTraces(abc, cases);
}

} // namespace
} // namespace quillon::test
