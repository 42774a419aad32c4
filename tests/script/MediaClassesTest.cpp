// Sound, Stage, LocalConnection and PrintJob: what scripts read back from them with no
// sound card, window, other movie or printer behind them.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// s = new Sound(); then the call given, then s.getPan(), s.getTransform().ll and .rr.
TEST(SoundSettings, PanFollowsTheTransform) {
    struct Case {
        const char* call;
        std::vector<PushValue> argsLastFirst;
        const char* read; // pan, ll, rr
    };
    const std::vector<Case> cases = {
        {"setPan", {50}, "50 50 100"},
        {"setPan", {-50}, "-50 100 50"},
        {"setPan", {200.5}, "0 -100 100"},               // the left channel inverted reads as full
        {"setPan", {3e9}, "2147483448 100 -2147483548"}, // out of range is the smallest int
        {"setPan", {}, "0 100 100"},
        {"setVolume", {7}, "0 100 100"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        a.push({"s", 0, "Sound"}).op(Action::NewObject).op(Action::DefineLocal);
        CallWith(a, "s", c.call, c.argsLastFirst).op(Action::Pop);
        CallOn(a, "s", "getPan", {});
        a.push({" "}).op(Action::Add2);
        CallOn(a, "s", "getTransform", {}).push({"ll"}).op(Action::GetMember).op(Action::Add2);
        a.push({" "}).op(Action::Add2);
        CallOn(a, "s", "getTransform", {}).push({"rr"}).op(Action::GetMember).op(Action::Add2);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(c.read) + "\n") << c.call;
    }
}

// Sounds of one clip share its volume; a sound made for a clip that is not there answers
// undefined; setTransform keeps parts that are no whole number.
TEST(SoundSettings, BelongToTheClip) {
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "mc"}).op(Action::Pop);
    for (const char* name : {"a", "b"}) {
        a.push({name, "mc"}).op(Action::GetVariable).push({1, "Sound"}).op(Action::NewObject);
        a.op(Action::DefineLocal);
    }
    a.push({"gone", "nothing"}).op(Action::GetVariable).push({1, "Sound"});
    a.op(Action::NewObject).op(Action::DefineLocal);
    CallOn(a, "a", "setVolume", {30.7}).op(Action::Pop);
    CallOn(a, "b", "getVolume", {}).op(Action::Trace);
    CallOn(a, "gone", "getVolume", {}).op(Action::Trace);
    a.push({"t", "ll", 10, "rr", 2.5, 2}).op(Action::InitObject).op(Action::DefineLocal);
    a.push({"t"}).op(Action::GetVariable).push({1, "b"}).op(Action::GetVariable);
    a.push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "a", "getTransform", {}).push({"ll"}).op(Action::GetMember).op(Action::Trace);
    CallOn(a, "a", "getTransform", {}).push({"rr"}).op(Action::GetMember).op(Action::Trace);
    CallOn(a, "a", "getPan", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "30\nundefined\n10\n100\n90\n");
}

// A sound finds its clip by path each time: one made with a path answers once a clip of
// that name appears, and a clip renamed away no longer takes the sound's settings.
TEST(SoundSettings, FindTheClipByPath) {
    ActionAssembler a;
    a.push({"s", "later", 1, "Sound"}).op(Action::NewObject).op(Action::DefineLocal);
    CallOn(a, "s", "getVolume", {}).op(Action::Trace);
    CallOn(a, "_root", "createEmptyMovieClip", {1, "later"}).op(Action::Pop);
    CallOn(a, "s", "getVolume", {}).op(Action::Trace);
    CallOn(a, "s", "setVolume", {40}).op(Action::Pop);
    a.push({"later"}).op(Action::GetVariable).push({"_name", "away"}).op(Action::SetMember);
    CallOn(a, "s", "setVolume", {10}).op(Action::Pop); // no clip named later: lost
    CallOn(a, "s", "getVolume", {}).op(Action::Trace);
    a.push({"away"}).op(Action::GetVariable).push({"_name", "later"}).op(Action::SetMember);
    CallOn(a, "s", "getVolume", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "undefined\n100\nundefined\n40\n");
}

// setTransform reads only the parts the object holds itself, never inherited ones.
TEST(SoundSettings, SetTransformTakesOnlyOwnParts) {
    ActionAssembler a;
    a.push({"s", 0, "Sound"}).op(Action::NewObject).op(Action::DefineLocal);
    a.push({"o", 0}).op(Action::InitObject).op(Action::DefineLocal);
    a.push({"o"}).op(Action::GetVariable);
    a.push({"__proto__", "ll", 22, "rr", 22, 2}).op(Action::InitObject).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({1, "s"}).op(Action::GetVariable);
    a.push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "s", "getTransform", {}).push({"ll"}).op(Action::GetMember).op(Action::Trace);
    a.push({"o"}).op(Action::GetVariable).push({"ll", 30}).op(Action::SetMember);
    a.push({"o"}).op(Action::GetVariable).push({1, "s"}).op(Action::GetVariable);
    a.push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "s", "getTransform", {}).push({"ll"}).op(Action::GetMember).op(Action::Trace);
    CallOn(a, "s", "getTransform", {}).push({"rr"}).op(Action::GetMember).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "100\n30\n100\n");
}

// duration comes from the attached sound (44 kHz, 11025 samples: 250 ms); none before.
TEST(SoundSettings, DurationOfTheAttachedSound) {
    MovieWriter movie(100, 100, 12, 8);
    const std::uint16_t id = movie.defineSound({0, 3, true, false}, 11025, Bytes(22050, 0));
    movie.exportAsset(id, "beep");
    ActionAssembler a;
    a.push({"s", 0, "Sound"}).op(Action::NewObject).op(Action::DefineLocal);
    a.push({"s"}).op(Action::GetVariable).push({"duration"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "s", "attachSound", {"BEEP"}).op(Action::Pop);
    a.push({"s"}).op(Action::GetVariable).push({"duration"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "s", "getPosition", {}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(), "undefined\n250\n0\n");
}

// Stage.align keeps the edge letters found, in the order L T R B; scaleMode any case.
TEST(StageSettings, AlignAndScaleMode) {
    const std::vector<std::pair<PushValue, const char*>> aligns = {
        {"TL", "LT"}, {"br", "RB"}, {"xyz", ""}, {true, "TR"}, {"TllLBbbtRr", "LTRB"}};
    for (const auto& [value, read] : aligns) {
        ActionAssembler a;
        a.push({"Stage"}).op(Action::GetVariable).push({"align", value}).op(Action::SetMember);
        a.push({"Stage"}).op(Action::GetVariable).push({"align"}).op(Action::GetMember);
        a.op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), std::string(read) + "\n");
    }
    ActionAssembler a;
    for (const char* mode : {"EXACTFIT", "nonsense", "noscale"}) {
        a.push({"Stage"}).op(Action::GetVariable).push({"scaleMode", mode}).op(Action::SetMember);
        a.push({"Stage"}).op(Action::GetVariable).push({"scaleMode"}).op(Action::GetMember);
        a.op(Action::Trace);
    }
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "exactFit\nshowAll\nnoScale\n");
}

// One receiver per channel; a call sent reaches it after the frame, the sender hearing
// "status" first, and "error" when nobody holds the channel.
TEST(LocalConnections, DeliverAfterTheFrame) {
    ActionAssembler onStatus;
    onStatus.push({"info"}).op(Action::GetVariable).push({"level"}).op(Action::GetMember);
    onStatus.op(Action::Trace);
    ActionAssembler ping;
    ping.push({"ping "}).push({"x"}).op(Action::GetVariable).op(Action::Add2).op(Action::Trace);
    ActionAssembler a;
    for (const char* name : {"rx", "other", "tx"}) {
        a.push({name, 0, "LocalConnection"}).op(Action::NewObject).op(Action::DefineLocal);
    }
    a.push({"rx"}).op(Action::GetVariable).push({"ping"});
    a.function(FunctionSpec("", {{0, "x"}}), ping).op(Action::SetMember);
    a.push({"tx"}).op(Action::GetVariable).push({"onStatus"});
    a.function(FunctionSpec("", {{0, "info"}}), onStatus).op(Action::SetMember);
    CallOn(a, "rx", "connect", {"Chan"}).op(Action::Trace);
    CallOn(a, "other", "connect", {"chan"}).op(Action::Trace);
    CallOn(a, "tx", "send", {7, "ping", "CHAN"}).op(Action::Trace);
    CallOn(a, "tx", "send", {"close", "nobody"}).op(Action::Trace);
    CallOn(a, "tx", "send", {"ping", "nobody"}).op(Action::Pop);
    CallOn(a, "tx", "send", {9, "ping", "localhost:chan"}).op(Action::Pop);
    CallOn(a, "tx", "send", {"ping", "late"}).op(Action::Pop); // sent before it connects
    CallOn(a, "other", "connect", {"late"}).op(Action::Pop);
    a.trace("end of frame");
    MovieWriter movie(100, 100, 12, 8);
    movie.doAction(a.block());
    movie.showFrame();
    movie.showFrame();
    EXPECT_EQ(
        RunMovie(movie.bytes(), 2).joined(),
        "true\nfalse\ntrue\nfalse\nend of frame\nstatus\nping 7\nerror\nstatus\nping 9\nerror\n");
}

// No printer: the job's sizes read 0 and cannot be written; start refuses.
TEST(PrintJobs, HaveNoPrinter) {
    ActionAssembler a;
    a.push({"j", 0, "PrintJob"}).op(Action::NewObject).op(Action::DefineLocal);
    a.push({"j"}).op(Action::GetVariable).push({"pageWidth", 5}).op(Action::SetMember);
    a.push({"j"}).op(Action::GetVariable).push({"pageWidth"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "j", "start", {}).op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "0\nfalse\n");
}

} // namespace
