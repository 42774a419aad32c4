#include "Avm2TestSupport.h"

#include "support/MovieWriter.h"

#include <gtest/gtest.h>

namespace quillon::test {

ScriptRun RunBytes(const std::vector<std::uint8_t>& bytes, const avm2::Limits& limits) {
    ScriptRun run;
    avm2::Vm vm([&](const std::string& line) { run.lines.push_back(line); }, limits);
    try {
        vm.runAbc(bytes);
    } catch (const QuillonError& e) {
        run.error = e.what();
    }
    return run;
}

ScriptRun RunMain(AbcWriter& abc, const AbcCode& code, const avm2::Limits& limits,
                  const std::vector<AbcExceptionSpec>& exceptions,
                  const std::vector<AbcTraitSpec>& scriptTraits) {
    const std::uint32_t init = abc.method();
    abc.body(init, code, 8, exceptions);
    abc.script(init, scriptTraits);
    return RunBytes(abc.bytes(), limits);
}

std::uint32_t AddMethod(AbcWriter& abc, const AbcCode& code, std::uint32_t params,
                        std::uint8_t flags,
                        const std::vector<std::pair<std::uint32_t, std::uint8_t>>& optional,
                        const std::vector<AbcTraitSpec>& traits,
                        const std::vector<AbcExceptionSpec>& exceptions) {
    const std::uint32_t method = abc.method(params, flags, optional);
    abc.body(method, code, params + 8, exceptions, traits);
    return method;
}

void ExpectTraces(AbcWriter& abc, const std::vector<TraceCase>& cases) {
    AbcCode code(abc);
    code.pushThisScope();
    for (const TraceCase& c : cases) {
        c.emit(code);
        code.traceTop();
    }
    code.op(0x47);
    const ScriptRun run = RunMain(abc, code);
    ASSERT_EQ(run.error, "") << "after " << run.lines.size() << " of the cases";
    ASSERT_EQ(run.lines.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(run.lines[i], cases[i].expected) << "case " << i;
    }
}

Emit Double(double d) {
    return [d](AbcCode& c) { c.pushDouble(d); };
}
Emit Str(const std::string& s) {
    return [s](AbcCode& c) { c.pushString(s); };
}
Emit Int(std::int32_t i) {
    return [i](AbcCode& c) { c.pushInt(i); };
}
Emit Then(Emit value, std::uint8_t op) {
    return [=](AbcCode& c) {
        value(c);
        c.op(op);
    };
}
Emit Lex(AbcWriter& abc, const std::string& name) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) { c.nameOp(0x60, multiname); };
}
Emit Call(AbcWriter& abc, Emit value, const std::string& name, std::vector<Emit> args) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) {
        value(c);
        for (const Emit& a : args) {
            a(c);
        }
        c.callProperty(0x46, multiname, static_cast<std::uint32_t>(args.size()));
    };
}
Emit Get(AbcWriter& abc, Emit value, const std::string& name) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) {
        value(c);
        c.nameOp(0x66, multiname);
    };
}

Emit SetNamed(AbcWriter& abc, Emit value, const std::string& name, Emit item) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) {
        value(c);
        c.op(0x2a);
        item(c);
        c.nameOp(0x61, multiname);
    };
}

std::string ErrorOf(const std::function<Emit(AbcWriter&)>& emit) {
    AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope();
    emit(abc)(code);
    code.traceTop();
    code.op(0x47);
    return RunMain(abc, code).error;
}

Emit Global(AbcWriter& abc, const std::string& name, std::vector<Emit> args, std::uint8_t op) {
    const std::uint32_t multiname = abc.name(name);
    return [=](AbcCode& c) {
        c.nameOp(0x5d, multiname);
        for (const Emit& a : args) {
            a(c);
        }
        c.callProperty(op, multiname, static_cast<std::uint32_t>(args.size()));
    };
}
Emit New(AbcWriter& abc, const std::string& cls, std::vector<Emit> args) {
    return Global(abc, cls, std::move(args), 0x4a);
}

// A movie whose document class Main runs body in its constructor.
std::vector<std::uint8_t>
DocumentMovie(const std::function<void(AbcCode&, Names&)>& body,
              const std::function<void(testing::MovieWriter&)>& timeline) {
    AbcWriter abc;
    Names names{abc};
    const std::uint32_t movieClip = names.display("MovieClip");
    const std::uint32_t main = abc.name("Main");
    AbcCode ctor(abc);
    ctor.pushThisScope().getLocal(0).op(0x49).u30(0);
    body(ctor, names);
    ctor.op(0x47);
    AbcClassSpec klass;
    klass.name = main;
    klass.superName = movieClip;
    klass.iinit = AddMethod(abc, ctor);
    AbcCode empty(abc);
    empty.op(0x47);
    klass.cinit = AddMethod(abc, empty);
    const std::uint32_t index = abc.addClass(klass);
    AbcCode init(abc);
    init.pushThisScope().op(0x65).u8(0).nameOp(0x60, movieClip).op(0x58).u30(index);
    init.nameOp(0x68, main).op(0x47);
    abc.script(AddMethod(abc, init), {{main, 4, 1, 0, 0, 0, index}});
    const std::vector<std::uint8_t> bytes = abc.bytes();
    testing::MovieWriter movie(100, 100, 10, 10);
    movie.tag(69, testing::Bytes{0x08, 0, 0, 0});
    testing::Bytes doAbc = {1, 0, 0, 0, 'f', '1', 0};
    doAbc.insert(doAbc.end(), bytes.begin(), bytes.end());
    movie.tag(82, doAbc);
    movie.tag(76, testing::Bytes{1, 0, 0, 0, 'M', 'a', 'i', 'n', 0});
    if (timeline) {
        timeline(movie);
    }
    movie.showFrame();
    return movie.bytes();
}

Emit ArrayOf(std::vector<Emit> items) {
    return [=](AbcCode& c) {
        for (const Emit& e : items) {
            e(c);
        }
        c.op(0x56).u30(static_cast<std::uint32_t>(items.size()));
    };
}

} // namespace quillon::test
