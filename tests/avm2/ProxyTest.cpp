// flash.utils.Proxy without a subclass: every hook reports that it is not implemented.

#include "Avm2TestSupport.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

Emit NewProxy(AbcWriter& abc) {
    const std::uint32_t proxy = abc.qname(abc.ns(0x16, "flash.utils"), "Proxy");
    return [=](AbcCode& c) { c.nameOp(0x60, proxy).op(0x42).u30(0); };
}

TEST(Avm2Proxy, HooksAProxyLacksAreError2088) {
    const auto missing = [](const std::string& hook) {
        return "Error: Error #2088: The Proxy class does not implement " + hook +
               ". It must be overridden by a subclass.";
    };
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Get(a, NewProxy(a), "x"); }),
              missing("getProperty"));
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return SetNamed(a, NewProxy(a), "x", Int(1)); }),
              missing("setProperty"));
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Call(a, NewProxy(a), "f"); }),
              missing("callProperty"));
    EXPECT_EQ(
        ErrorOf([](AbcWriter& a) { return Call(a, NewProxy(a), "hasOwnProperty", {Str("x")}); }),
        missing("hasProperty"));
    // Methods of the prototypes are no declared traits: they go to callProperty too.
    EXPECT_EQ(ErrorOf([](AbcWriter& a) { return Call(a, NewProxy(a), "toString"); }),
              missing("callProperty"));
}

} // namespace
} // namespace quillon::test
