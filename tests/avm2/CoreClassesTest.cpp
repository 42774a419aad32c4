// Date, RegExp and JSON as scripts use them.

#include "Avm2TestSupport.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

// Runs the cases with the process in the given time zone, then puts the zone back.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            saved_ = old;
            had_ = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        had_ ? setenv("TZ", saved_.c_str(), 1) : unsetenv("TZ");
        tzset();
    }

private:
    std::string saved_;
    bool had_ = false;
};

TEST(Avm2Date, FieldsAndArithmeticInUtc) {
    AbcWriter abc;
    const Emit utc = Lex(abc, "Date");
    // 2001-02-03 04:05:06.007 UTC
    const Emit feb3 = New(abc, "Date", {Double(981173106007.0)});
    const std::vector<TraceCase> cases = {
        {Call(abc, utc, "UTC", {Int(2001), Int(1), Int(3), Int(4), Int(5), Int(6), Int(7)}),
         "981173106007"},
        {Call(abc, utc, "UTC", {Int(99), Int(0)}), "915148800000"},            // 1999
        {Call(abc, utc, "UTC", {Int(2000), Int(14), Int(1)}), "983404800000"}, // month carries
        {Call(abc, utc, "UTC", {Int(2000), Int(0), Int(0)}), "946598400000"},  // day 0: Dec 31
        {Call(abc, feb3, "getUTCFullYear"), "2001"},
        {Call(abc, feb3, "getUTCMonth"), "1"},
        {Call(abc, feb3, "getUTCDate"), "3"},
        {Call(abc, feb3, "getUTCDay"), "6"},
        {Get(abc, feb3, "millisecondsUTC"), "7"},
        {Call(abc, feb3, "toUTCString"), "Sat Feb 3 04:05:06 2001 UTC"},
        {Call(abc, feb3, "setUTCHours", {Int(25), Int(0)}), "981248406007"},
        {Call(abc, feb3, "setUTCFullYear", {Int(2004), Int(1), Int(29)}), "1078027506007"},
        {Call(abc, New(abc, "Date", {Double(-1)}), "getUTCFullYear"), "1969"},
        {Call(abc, New(abc, "Date", {Double(8.64e15)}), "getTime"), "8640000000000000"},
        {Call(abc, New(abc, "Date", {Double(8.64e15 + 1)}), "getTime"), "NaN"},
        {Call(abc, New(abc, "Date", {Double(0.0 / 0.0)}), "toString"), "Invalid Date"},
        {Call(abc, New(abc, "Date", {Double(0.0 / 0.0)}), "setUTCMonth", {Int(1)}), "NaN"},
        {Call(abc, New(abc, "Date", {Double(0.0 / 0.0)}), "setUTCFullYear", {Int(2000)}),
         "946684800000"},
        {Call(abc, New(abc, "Date"), "getTime"), "1262304000000"}, // the run's clock
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Date, LocalTextInTheMachinesZone) {
    const ZoneScope zone("Asia/Kathmandu"); // +05:45, no daylight saving
    AbcWriter abc;
    const Emit feb3 = New(abc, "Date", {Int(2001), Int(1), Int(3), Int(4), Int(5), Int(6)});
    const std::vector<TraceCase> cases = {
        {feb3, "Sat Feb 3 04:05:06 GMT+0545 2001"},
        {Call(abc, feb3, "toDateString"), "Sat Feb 3 2001"},
        {Call(abc, feb3, "toTimeString"), "04:05:06 GMT+0545"},
        {Call(abc, feb3, "toLocaleString"), "Sat Feb 3 2001 4:05:06 AM"},
        {Call(abc, feb3, "toLocaleTimeString"), "4:05:06 AM"},
        {Call(abc, feb3, "getTimezoneOffset"), "-345"},
        {Call(abc, feb3, "getUTCHours"), "22"},
        {Get(abc, feb3, "hours"), "4"},
        {Then(feb3, 0x95), "object"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Date, ParseReadsThePlayersForms) {
    const ZoneScope zone("UTC");
    struct Case {
        const char* text;
        const char* time;
    };
    const Case table[] = {
        {"Sat Feb 3 04:05:06 GMT+0545 2001", "981152406000"},
        {"Sat Feb 3 04:05:06 2001 UTC", "981173106000"},
        {"Wed Apr 12 15:30:17 2006 GMT-0700", "1144881017000"},
        {"Apr/03/1988 15:30:17", "576084617000"},
        {"04/03/1988", "576028800000"},
        {"Sat Apr 30 77", "231206400000"},
        {"1999 Mon Sun Sat Apr 30 3:00 PM", "925484400000"},
        {"Sat Jan 30", "NaN"},                  // no year
        {"Sat Jan 30 random 77", "NaN"},        // a word it does not know
        {"Jan 30 77 GMT-0700 GMT-0800", "NaN"}, // two zones
        {"", "NaN"},
    };
    AbcWriter abc;
    std::vector<TraceCase> cases;
    for (const Case& c : table) {
        cases.push_back({Call(abc, Lex(abc, "Date"), "parse", {Str(c.text)}), c.time});
    }
    ExpectTraces(abc, cases);
}

TEST(Avm2RegExp, ExecTestAndFlags) {
    AbcWriter abc;
    const auto re = [&](const char* source, const char* flags) {
        return New(abc, "RegExp", {Str(source), Str(flags)});
    };
    const Emit dates = re("(\\d+)-(?P<month>\\d+)", "g");
    const std::vector<TraceCase> cases = {
        {Call(abc, dates, "exec", {Str("on 2024-05 and 1999-12")}), "2024-05,2024,05"},
        {Get(abc, Call(abc, dates, "exec", {Str("x 7-8")}), "index"), "2"},
        {Get(abc, Call(abc, dates, "exec", {Str("x 7-8")}), "month"), "8"},
        {Call(abc, dates, "exec", {Str("none")}), "null"},
        {Call(abc, re("b", "i"), "test", {Str("ABC")}), "true"},
        {Call(abc, re("^b", ""), "test", {Str("a\nb")}), "false"},
        {Call(abc, re("^b", "m"), "test", {Str("a\nb")}), "true"},
        {Call(abc, re("a$", ""), "test", {Str("a\n")}), "false"}, // $ only at the very end
        {Call(abc, re("a.b", "s"), "test", {Str("a\nb")}), "true"},
        {Call(abc, re("a b # note", "x"), "test", {Str("ab")}), "true"},
        {Call(abc, re("\\u00e9", ""), "test", {Str("caf\xc3\xa9")}), "true"},
        {Call(abc, re("[^]", ""), "test", {Str("\n")}), "true"},
        {re("a/b", "gimsx"), "/a/b/gimsx"},
        {Get(abc, re("x", "g"), "global"), "true"},
        {Get(abc, re("x", "g"), "multiline"), "false"},
        {Get(abc, re("(", ""), "source"), "("}, // a broken pattern never matches
        {Call(abc, re("(", ""), "test", {Str("(")}), "false"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2RegExp, GlobalExecMovesLastIndex) {
    AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope();
    New(abc, "RegExp", {Str("o"), Str("g")})(code);
    code.setLocal(1);
    for (int i = 0; i < 3; ++i) {
        code.getLocal(1).pushString("foo").callProperty(0x46, abc.name("test"), 1).traceTop();
        code.getLocal(1).nameOp(0x66, abc.name("lastIndex")).traceTop();
    }
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.lines, (std::vector<std::string>{"true", "2", "true", "3", "false", "0"}));
}

TEST(Avm2RegExp, StringPatternMethods) {
    AbcWriter abc;
    const auto re = [&](const char* source, const char* flags) {
        return New(abc, "RegExp", {Str(source), Str(flags)});
    };
    const Emit text = Str("John Smith, Jane Doe");
    const std::vector<TraceCase> cases = {
        {Call(abc, text, "replace", {re("(\\w+) (\\w+)", "g"), Str("$2 $1")}),
         "Smith John, Doe Jane"},
        {Call(abc, text, "replace", {re("o", ""), Str("[$&|$`]")}), "J[o|J]hn Smith, Jane Doe"},
        {Call(abc, Str("abc"), "replace", {re("b", ""), Str("$'$$")}), "ac$c"},
        {Call(abc, Str("abc"), "replace", {re("b", ""), Str("$9")}), "a$9c"},
        {Call(abc, Str("a.b.c"), "replace", {Str("."), Str("-")}), "a-b.c"},
        {Call(abc, Str("aaa"), "replace", {re("", "g"), Str("-")}), "-a-a-a-"},
        {Call(abc, text, "match", {re("J\\w+", "g")}), "John,Jane"},
        {Get(abc, Call(abc, text, "match", {re("S(m)", "")}), "index"), "5"},
        {Call(abc, text, "match", {re("z", "g")}), "null"},
        {Call(abc, text, "search", {re("jane", "i")}), "12"},
        {Call(abc, text, "search", {Str("x")}), "-1"},
        {Call(abc, Str("a1b22c"), "split", {re("\\d+", "")}), "a,b,c"},
        {Call(abc, Str("a1b2c"), "split", {re("(\\d)", "")}), "a,1,b,2,c"},
        {Call(abc, Str("abc"), "split", {re("", "")}), "a,b,c"},
        {Get(abc, Call(abc, Str("a,b,c"), "split", {Str(","), Int(2)}), "length"), "2"},
        {Get(abc, Call(abc, Str(""), "split", {Str("")}), "length"), "1"},
        {Call(abc, Str("\xc3\xa9t\xc3\xa9"), "toUpperCase"), "\xc3\x89T\xc3\x89"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2RegExp, FunctionReplacerSeesGroupsIndexAndInput) {
    AbcWriter abc;
    // function(match, group, index, input) { return group + index; }
    AbcCode body(abc);
    body.getLocal(2).getLocal(3).op(0xa0).op(0x48);
    const std::uint32_t replacer = AddMethod(abc, body, 4);
    const Emit fn = [=](AbcCode& c) { c.op(0x40).u30(replacer); };
    const std::vector<TraceCase> cases = {
        {Call(abc, Str("x-a-b"), "replace", {New(abc, "RegExp", {Str("-(\\w)"), Str("g")}), fn}),
         "xa1b3"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2RegExp, HostilePatternGivesUpInsteadOfHanging) {
    AbcWriter abc;
    const std::string subject = std::string(40, 'a') + "!";
    const std::vector<TraceCase> cases = {
        {Call(abc, New(abc, "RegExp", {Str("^(a+)+$"), Str("")}), "test", {Str(subject)}), "false"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Json, RoundTripsAndFormats) {
    AbcWriter abc;
    const Emit json = Lex(abc, "JSON");
    const auto parse = [&](const std::string& text) {
        return Call(abc, json, "parse", {Str(text)});
    };
    const auto again = [&](const std::string& text, std::vector<Emit> more = {}) {
        std::vector<Emit> args = {parse(text)};
        args.insert(args.end(), more.begin(), more.end());
        return Call(abc, json, "stringify", args);
    };
    const std::vector<TraceCase> cases = {
        {again(R"({"b":[1,2.5,true,null],"a":"x\"y\u00e9\n"})"),
         "{\"b\":[1,2.5,true,null],\"a\":\"x\\\"y\xc3\xa9\\n\"}"},
        {again(" [ ] "), "[]"},
        {again("-0.5e2"), "-50"},
        {again(R"({"a":1,"b":[2]})", {[](AbcCode& c) { c.op(0x20); }, Int(2)}),
         "{\n  \"a\": 1,\n  \"b\": [\n    2\n  ]\n}"},
        {again(R"({"a":1,"b":2,"c":3})", {New(abc, "Array", {Str("c"), Str("a")})}),
         "{\"c\":3,\"a\":1}"},
        {Get(abc, parse(R"({"k":{"n":7}})"), "k"), "[object Object]"},
        {Call(abc, json, "stringify", {Str("tab\there")}), "\"tab\\there\""},
        {Call(abc, json, "stringify", {Double(1.0 / 0.0)}), "null"},
        {Call(abc, json, "stringify", {New(abc, "Date", {Int(0)})}), "{}"},
    };
    ExpectTraces(abc, cases);
}

TEST(Avm2Json, BadInputThrowsThePlayersErrors) {
    struct Case {
        const char* text;
        const char* error;
    };
    const char* syntax = "SyntaxError: Error #1132: Invalid JSON parse input.";
    const Case table[] = {
        {"{", syntax},        {"[1,]", syntax}, {"{'a':1}", syntax}, {"01", syntax},
        {"\"a\nb\"", syntax}, {"tru", syntax},  {"1 2", syntax},     {"", syntax},
    };
    for (const Case& c : table) {
        AbcWriter abc;
        AbcCode code(abc);
        code.pushThisScope();
        Call(abc, Lex(abc, "JSON"), "parse", {Str(c.text)})(code);
        code.traceTop().op(0x47);
        EXPECT_EQ(RunMain(abc, code).error, c.error) << c.text;
    }
    // o.a = o, and a replacer that is neither a function nor a list.
    AbcWriter cyclic;
    AbcCode loop(cyclic);
    loop.pushThisScope().op(0x55).u30(0).setLocal(1);
    loop.getLocal(1).getLocal(1).nameOp(0x61, cyclic.name("a"));
    Call(cyclic, Lex(cyclic, "JSON"), "stringify", {[](AbcCode& c) { c.getLocal(1); }})(loop);
    loop.traceTop().op(0x47);
    EXPECT_EQ(RunMain(cyclic, loop).error,
              "TypeError: Error #1129: Cyclic structure cannot be converted to JSON string.");
    AbcWriter replacer;
    AbcCode bad(replacer);
    bad.pushThisScope();
    Call(replacer, Lex(replacer, "JSON"), "stringify", {Int(1), Str("x")})(bad);
    bad.traceTop().op(0x47);
    EXPECT_NE(RunMain(replacer, bad).error.find("Error #1131"), std::string::npos);
    // Nesting past the limit stops the script rather than the stack.
    AbcWriter deep;
    AbcCode code(deep);
    code.pushThisScope();
    Call(deep, Lex(deep, "JSON"), "parse", {Str(std::string(100000, '['))})(code);
    code.traceTop().op(0x47);
    EXPECT_NE(RunMain(deep, code).error.find("deeper than the limit"), std::string::npos);
}

} // namespace
} // namespace quillon::test
