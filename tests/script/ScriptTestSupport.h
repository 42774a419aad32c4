#pragma once
// Runs test movies with scripts and collects what they trace and warn.

#include "player/engine/MovieEngine.h"
#include "support/ActionAssembler.h"

#include <string>
#include <vector>

namespace quillon::testing {

struct ScriptRun {
    std::vector<std::string> traces;
    std::vector<std::string> warnings;
    std::string joined() const {
        std::string out;
        for (const std::string& t : traces) {
            out += t + "\n";
        }
        return out;
    }
};

// Loads the movie and runs it for `frames` frames (the first frame runs at load).
inline ScriptRun RunMovie(const Bytes& movie, int frames = 1) {
    ScriptRun run;
    engine::MovieEngine engine;
    engine::ScriptOptions options;
    options.trace = [&run](const std::string& line) { run.traces.push_back(line); };
    options.warning = [&run](const std::string& line) { run.warnings.push_back(line); };
    engine.setScriptOptions(options);
    engine.loadBytes(movie);
    for (int i = 1; i < frames; ++i) {
        engine.advance();
    }
    return run;
}

// object.method(args...), the arguments given last to first; the result stays on the stack.
inline ActionAssembler& CallOn(ActionAssembler& a, const std::string& object,
                               const std::string& method,
                               std::initializer_list<PushValue> argsLastFirst) {
    a.push(argsLastFirst)
        .push({static_cast<int>(argsLastFirst.size()), object})
        .op(Action::GetVariable)
        .push({method})
        .op(Action::CallMethod);
    return a;
}

// new flash.<package>.<cls>(args), the arguments given last to first; left on the stack.
inline ActionAssembler& New(ActionAssembler& a, const std::string& package, const std::string& cls,
                            std::initializer_list<PushValue> argsLastFirst) {
    a.push(argsLastFirst)
        .push({static_cast<int>(argsLastFirst.size()), "flash"})
        .op(Action::GetVariable)
        .push({package})
        .op(Action::GetMember)
        .push({cls})
        .op(Action::NewMethod);
    return a;
}

// The same with the arguments kept in a table, as table-driven cases hold them.
inline ActionAssembler& CallWith(ActionAssembler& a, const std::string& object,
                                 const std::string& method,
                                 const std::vector<PushValue>& argsLastFirst) {
    for (const PushValue& value : argsLastFirst) {
        a.push({value});
    }
    a.push({static_cast<int>(argsLastFirst.size()), object}).op(Action::GetVariable);
    return a.push({method}).op(Action::CallMethod);
}

// trace(object.member)
inline void TraceMember(ActionAssembler& a, const std::string& object, const std::string& member) {
    a.push({object}).op(Action::GetVariable).push({member}).op(Action::GetMember).op(Action::Trace);
}

// clip.moveTo(left, top) and lines around the box (pixels) back to it, with the clip's
// current styles.
inline void DrawBox(ActionAssembler& a, const std::string& clip, int left, int top, int right,
                    int bottom) {
    CallOn(a, clip, "moveTo", {top, left}).op(Action::Pop);
    CallOn(a, clip, "lineTo", {bottom, left}).op(Action::Pop);
    CallOn(a, clip, "lineTo", {bottom, right}).op(Action::Pop);
    CallOn(a, clip, "lineTo", {top, right}).op(Action::Pop);
    CallOn(a, clip, "lineTo", {top, left}).op(Action::Pop);
}

// for (n in var) trace(n);
inline void TraceNamesOf(ActionAssembler& a, const std::string& var) {
    static int loops = 0; // labels are unique within an assembler
    // appended rather than concatenated: GCC 12 misreports "literal" + string at -O2
    std::string next = "next", done = "donenext";
    next += std::to_string(++loops);
    done += std::to_string(loops);
    a.push({var}).op(Action::GetVariable).op(Action::Enumerate2);
    a.label(next).storeRegister(0).push({Null{}}).op(Action::Equals2).ifTrue(done);
    a.push({Register{0}}).op(Action::Trace).jump(next).label(done);
}

// Places an empty one-frame sprite named `name` at `depth` of the main timeline.
inline void PlaceEmptyClip(MovieWriter& movie, std::uint16_t depth, const std::string& name) {
    TagStream empty;
    empty.showFrame();
    Place place(depth, movie.defineSprite(empty));
    place.name = name;
    movie.place(place);
}

// A movie of one frame holding one action block, of a version.
inline Bytes OneScriptMovie(const ActionAssembler& code, int version = 10) {
    MovieWriter movie(100, 100, 12, version);
    movie.doAction(code.block());
    movie.showFrame();
    return movie.bytes();
}

} // namespace quillon::testing
