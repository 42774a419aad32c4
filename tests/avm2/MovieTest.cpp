// ActionScript 3 in movies: the document class built on the main timeline, frame
// scripts in the frame cycle, enterFrame listeners, damaged ABC blocks and cloned events.

#include "Avm2TestSupport.h"
#include "player/engine/MovieEngine.h"
#include "script/ScriptTestSupport.h"
#include "support/MovieWriter.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;

// The parts of a document class "Main extends flash.display.MovieClip" a test chooses.
struct DocumentSpec {
    std::vector<std::string> frameTraces; // frame script i traces frameTraces[i]
    bool stopInLastFrameScript = false;
    bool listenEnterFrame = false;  // onEnter traces "enter " + currentFrame
    bool listenArrivals = false;    // onArrival traces the type of added/removed events
    bool gotoInEnterFrame = false;  // onEnter then calls gotoAndStop(3) and traces "after"
    bool listenFrameEvents = false; // onArrival also hears frameConstructed and exitFrame
};

std::uint32_t Method(AbcWriter& abc, const AbcCode& code, std::uint32_t params = 0) {
    return AddMethod(abc, code, params);
}

// Goto arguments pushed in turn by a frame script, each traced as "at " + currentFrame.
using Gotos = std::vector<std::function<void(AbcCode&)>>;

std::uint32_t FrameScript(AbcWriter& abc, const std::string& text, bool stop, const Gotos& gotos) {
    AbcCode code(abc);
    code.pushThisScope().trace(text);
    for (const auto& pushFrame : gotos) {
        code.getLocal(0);
        pushFrame(code);
        code.callProperty(0x4f, abc.name("gotoAndStop"), 1).pushString("at ");
        code.getLocal(0).nameOp(0x66, abc.name("currentFrame")).op(0xa0).traceTop();
    }
    if (stop) {
        code.getLocal(0).callProperty(0x4f, abc.name("stop"), 0);
    }
    code.op(0x47);
    return Method(abc, code);
}

std::uint32_t EnterFrameHandler(AbcWriter& abc, bool gotoThree) {
    AbcCode code(abc);
    code.pushThisScope().pushString("enter ");
    code.getLocal(0).nameOp(0x66, abc.name("currentFrame")).op(0xa0).traceTop();
    if (gotoThree) {
        code.getLocal(0).pushInt(3).callProperty(0x4f, abc.name("gotoAndStop"), 1);
        code.trace("after");
    }
    code.op(0x47);
    return Method(abc, code, 1);
}

std::uint32_t ArrivalHandler(AbcWriter& abc) {
    AbcCode code(abc);
    code.pushThisScope().getLocal(1).nameOp(0x66, abc.name("type")).pushString(" ").op(0xa0);
    code.getLocal(0).nameOp(0x66, abc.name("currentFrame")).op(0xa0).traceTop().op(0x47);
    return Method(abc, code, 1);
}

AbcCode Constructor(AbcWriter& abc, const DocumentSpec& document) {
    AbcCode code(abc);
    code.pushThisScope().getLocal(0).op(0x49).u30(0).trace("constructed");
    if (!document.frameTraces.empty()) {
        code.getLocal(0);
        for (std::size_t i = 0; i < document.frameTraces.size(); ++i) {
            code.pushInt(static_cast<std::int32_t>(i));
            code.getLocal(0).nameOp(0x66, abc.name("frame" + std::to_string(i)));
        }
        code.callProperty(0x4f, abc.name("addFrameScript"),
                          static_cast<std::uint32_t>(2 * document.frameTraces.size()));
    }
    if (document.listenEnterFrame) {
        code.getLocal(0).pushString("enterFrame");
        code.getLocal(0).nameOp(0x66, abc.name("onEnter"));
        code.callProperty(0x4f, abc.name("addEventListener"), 2);
    }
    std::vector<const char*> heard;
    if (document.listenArrivals) {
        heard = {"added", "addedToStage", "removed"};
    }
    if (document.listenFrameEvents) {
        heard.insert(heard.end(), {"frameConstructed", "exitFrame"});
    }
    for (const char* type : heard) {
        code.getLocal(0).pushString(type);
        code.getLocal(0).nameOp(0x66, abc.name("onArrival"));
        code.callProperty(0x4f, abc.name("addEventListener"), 2);
    }
    code.op(0x47);
    return code;
}

std::vector<std::uint8_t> DocumentAbc(const DocumentSpec& document,
                                      const std::vector<Gotos>& scriptGotos = {}) {
    AbcWriter abc;
    const std::uint32_t movieClip = abc.qname(abc.ns(0x16, "flash.display"), "MovieClip");
    const std::uint32_t main = abc.name("Main");
    AbcClassSpec klass;
    klass.name = main;
    klass.superName = movieClip;
    klass.iinit = Method(abc, Constructor(abc, document));
    AbcCode empty(abc);
    empty.op(0x47);
    klass.cinit = Method(abc, empty);
    for (std::size_t i = 0; i < document.frameTraces.size(); ++i) {
        const bool stop = document.stopInLastFrameScript && i + 1 == document.frameTraces.size();
        klass.instanceTraits.push_back(
            {abc.name("frame" + std::to_string(i)), 1, 0, 0, 0, 0,
             FrameScript(abc, document.frameTraces[i], stop,
                         i < scriptGotos.size() ? scriptGotos[i] : Gotos{})});
    }
    if (document.listenEnterFrame) {
        klass.instanceTraits.push_back({abc.name("onEnter"), 1, 0, 0, 0, 0,
                                        EnterFrameHandler(abc, document.gotoInEnterFrame)});
    }
    if (document.listenArrivals || document.listenFrameEvents) {
        klass.instanceTraits.push_back({abc.name("onArrival"), 1, 0, 0, 0, 0, ArrivalHandler(abc)});
    }
    const std::uint32_t index = abc.addClass(klass);
    AbcCode init(abc);
    init.pushThisScope().op(0x65).u8(0).nameOp(0x60, movieClip).op(0x58).u30(index);
    init.nameOp(0x68, main).op(0x47);
    abc.script(Method(abc, init), {{main, 4, 1, 0, 0, 0, index}});
    return abc.bytes();
}

void DoAbc2(MovieWriter& movie, const std::vector<std::uint8_t>& abc, std::uint32_t flags) {
    Bytes body = {static_cast<std::uint8_t>(flags), 0, 0, 0, 'f', '1', 0};
    body.insert(body.end(), abc.begin(), abc.end());
    movie.tag(DoAbc2Tag, body);
}

Bytes DocumentMovie(const std::vector<std::vector<std::uint8_t>>& blocks, int frames,
                    int version = 10, const std::map<int, std::string>& labels = {}) {
    MovieWriter movie(100, 100, 10, version);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    for (const auto& abc : blocks) {
        DoAbc2(movie, abc, 1);
    }
    movie.tag(SymbolClassTag, Bytes{1, 0, 0, 0, 'M', 'a', 'i', 'n', 0});
    for (int i = 0; i < frames; ++i) {
        if (const auto label = labels.find(i); label != labels.end()) {
            movie.frameLabel(label->second);
        }
        movie.showFrame();
    }
    return movie.bytes();
}

// A movie loaded (its first frame run) that collects its traces and warnings.
struct MovieRun {
    explicit MovieRun(Bytes bytes, double dateMs = engine::ScriptOptions{}.dateMs) {
        engine::ScriptOptions options;
        options.dateMs = dateMs;
        options.trace = [this](const std::string& line) { traces.push_back(line); };
        options.warning = [this](const std::string& line) { warnings.push_back(line); };
        movie.setScriptOptions(std::move(options));
        movie.loadBytes(std::move(bytes));
    }
    Lines traces, warnings;
    engine::MovieEngine movie;
};

// Runs the movie for `frames` frames in all.
std::unique_ptr<MovieRun> Play(Bytes movieBytes, int frames) {
    auto run = std::make_unique<MovieRun>(std::move(movieBytes));
    while (--frames > 0) {
        run->movie.advance();
    }
    return run;
}

TEST(Avm2Movie, NewDateReadsTheRunsClock) {
    AbcWriter abc;
    AbcCode code(abc);
    code.pushThisScope();
    Get(abc, New(abc, "Date"), "time")(code);
    code.traceTop().op(0x47);
    const std::uint32_t init = abc.method();
    abc.body(init, code, 8);
    abc.script(init, {});
    MovieWriter movie(100, 100, 10, 10);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    DoAbc2(movie, abc.bytes(), 0);
    const MovieRun run(movie.bytes(), 981173106007.0);
    EXPECT_EQ(run.traces, Lines{"981173106007"});
}

TEST(Avm2Movie, DocumentClassIsConstructedWithTheFirstFrame) {
    const auto run = Play(DocumentMovie({DocumentAbc({})}, 2), 1);
    EXPECT_EQ(run->traces, Lines{"constructed"});
    EXPECT_EQ(run->warnings, Lines{});
}

TEST(Avm2Movie, FrameScriptsRunAsTheirFramesAreEntered) {
    const auto run = Play(DocumentMovie({DocumentAbc({{"one", "two", "three"}})}, 3), 5);
    EXPECT_EQ(run->traces, (Lines{"constructed", "one", "two", "three", "one", "two"}));
}

TEST(Avm2Movie, StopInAFrameScriptHoldsTheFrameAndItsScriptRunsOnce) {
    const auto run = Play(DocumentMovie({DocumentAbc({{"one", "two"}, true})}, 3), 4);
    EXPECT_EQ(run->traces, (Lines{"constructed", "one", "two"}));
    EXPECT_EQ(run->movie.currentFrame(), 1);
}

TEST(Avm2Movie, EnterFrameListenersHearEveryFrameAfterTheFirst) {
    const auto run = Play(DocumentMovie({DocumentAbc({{}, false, true})}, 2), 4);
    EXPECT_EQ(run->traces, (Lines{"constructed", "enter 2", "enter 1", "enter 2"}));
}

// The stage takes the root after its constructor; a child the timeline removes is told
// so, bubbling to the root, before the playhead moves and enterFrame goes out, and it
// has left its parent's children by then.
TEST(Avm2Movie, RootArrivalAndTimelineRemovalsReachListeners) {
    MovieWriter movie(100, 100, 10, 10);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    DoAbc2(movie, DocumentAbc({{}, false, true, true}), 1);
    movie.tag(SymbolClassTag, Bytes{1, 0, 0, 0, 'M', 'a', 'i', 'n', 0});
    testing::TagStream oneFrame;
    oneFrame.showFrame();
    const std::uint16_t sprite = movie.defineSprite(oneFrame);
    movie.place(testing::Place(1, sprite));
    movie.showFrame();
    movie.remove(1);
    movie.showFrame();
    const auto run = Play(movie.bytes(), 2);
    EXPECT_EQ(run->traces,
              (Lines{"constructed", "added 1", "addedToStage 1", "removed 1", "enter 2"}));
}

// From version 10 a goto in an enterFrame listener finishes the new frame (its script
// included) before the listener goes on; older movies run the script after it.
TEST(Avm2Movie, AGotoInEnterFrameRunsTheFrameScriptAtOnceFromVersionTen) {
    const DocumentSpec document{{"one", "two", "three"}, false, true, false, true};
    const auto now = Play(DocumentMovie({DocumentAbc(document)}, 3, 10), 2);
    EXPECT_EQ(now->traces, (Lines{"constructed", "one", "enter 2", "three", "after"}));
    const auto later = Play(DocumentMovie({DocumentAbc(document)}, 3, 9), 2);
    EXPECT_EQ(later->traces, (Lines{"constructed", "one", "enter 2", "after", "three"}));
    EXPECT_EQ(later->movie.currentFrame(), 2);
}

// From version 10 a clip's goto in its own frame script waits for the script to end and
// a later one replaces it; older movies move the playhead at once.
TEST(Avm2Movie, AGotoInAClipsOwnFrameScriptWaitsForTheScriptFromVersionTen) {
    const auto abc =
        DocumentAbc({{"one", "two", "three"}},
                    {{[](AbcCode& c) { c.pushInt(3); }, [](AbcCode& c) { c.pushInt(2); }}});
    const auto queued = Play(DocumentMovie({abc}, 3, 10), 1);
    EXPECT_EQ(queued->traces, (Lines{"constructed", "one", "at 1", "at 1", "two"}));
    EXPECT_EQ(queued->movie.currentFrame(), 1);
    const auto direct = Play(DocumentMovie({abc}, 3, 9), 1);
    EXPECT_EQ(direct->traces, (Lines{"constructed", "one", "at 3", "at 2", "two"}));
}

// A whole number, also one written as text, names a frame even where a label reads the
// same; a fraction is looked up as a label, and an object is read as its text.
TEST(Avm2Movie, GotoArgumentsAreFrameNumbersOrLabelsByTheirValue) {
    const std::map<int, std::string> labels{{1, "3"}, {3, "1.5"}};
    const auto frameOf = [&](std::function<void(AbcCode&)> frame) {
        const auto abc = DocumentAbc({{"one"}}, {{std::move(frame)}});
        const auto run = Play(DocumentMovie({abc}, 4, 9, labels), 1);
        return run->traces.back();
    };
    EXPECT_EQ(frameOf([](AbcCode& c) { c.pushString("3"); }), "at 3");
    EXPECT_EQ(frameOf([](AbcCode& c) { c.pushDouble(1.5); }), "at 4");
    EXPECT_EQ(frameOf([](AbcCode& c) { c.pushDouble(2.5); }), "at 2");
    // an object by its text: ["1.5"] is the label
    EXPECT_EQ(frameOf([](AbcCode& c) { c.pushString("1.5").op(0x56).u30(1); }), "at 4");
}

// The queued goto is a frame of its own, even to the frame the clip is on: its frame
// events go out before the frame's own exitFrame.
TEST(Avm2Movie, AQueuedGotoToTheSameFrameSendsItsOwnFrameEvents) {
    DocumentSpec document{{"one"}};
    document.listenFrameEvents = true;
    const auto abc = DocumentAbc(document, {{[](AbcCode& c) { c.pushInt(1); }}});
    const auto run = Play(DocumentMovie({abc}, 2, 10), 1);
    EXPECT_EQ(run->traces, (Lines{"constructed", "frameConstructed 1", "one", "at 1",
                                  "frameConstructed 1", "exitFrame 1", "exitFrame 1"}));
}

// Two frame scripts that send the playhead to each other end the frame (each frame, with
// a warning), not the run.
TEST(Avm2Movie, FrameScriptsThatGoToEachOtherEndTheFrame) {
    const auto abc = DocumentAbc(
        {{"one", "two"}}, {{[](AbcCode& c) { c.pushInt(2); }}, {[](AbcCode& c) { c.pushInt(1); }}});
    const auto run = Play(DocumentMovie({abc}, 2, 10), 2);
    ASSERT_GT(run->traces.size(), 4u);
    EXPECT_EQ(run->traces[1], "one");
    EXPECT_EQ(run->traces[3], "two");
    EXPECT_EQ(run->warnings, (Lines{"frame scripts stopped: too many gotos in one frame",
                                    "frame scripts stopped: too many gotos in one frame"}));
}

TEST(Avm2Movie, ADamagedAbcBlockIsAWarningAndTheMoviePlaysOn) {
    std::vector<std::uint8_t> damaged = DocumentAbc({{"one", "two"}});
    damaged.resize(damaged.size() / 2);
    const auto run = Play(DocumentMovie({damaged}, 3), 3);
    EXPECT_EQ(run->traces, Lines{});
    ASSERT_FALSE(run->warnings.empty());
    EXPECT_EQ(run->movie.currentFrame(), 2);
}

TEST(Avm2Movie, AnotherBlockStillLoadsAfterADamagedOne) {
    const std::vector<std::uint8_t> garbage = {0x10, 0x00, 0x2e, 0x00, 0xff, 0xff};
    const auto run = Play(DocumentMovie({garbage, DocumentAbc({{"one"}})}, 1), 1);
    EXPECT_EQ(run->traces, (Lines{"constructed", "one"}));
    EXPECT_EQ(run->warnings.size(), 1u);
}

// Defines the classes, all MovieClips, on the script's global object, in slots 1, 2, ...
std::vector<std::uint8_t>
ClassesScript(AbcWriter& abc, std::uint32_t movieClip,
              std::initializer_list<std::pair<const char*, std::uint32_t>> classes) {
    AbcCode init(abc);
    init.pushThisScope();
    std::vector<AbcTraitSpec> globals;
    for (const auto& [name, index] : classes) {
        init.op(0x65).u8(0).nameOp(0x60, movieClip).op(0x58).u30(index);
        init.nameOp(0x68, abc.name(name));
        const auto slot = static_cast<std::uint32_t>(globals.size() + 1);
        globals.push_back({abc.name(name), 4, slot, 0, 0, 0, index});
    }
    init.op(0x47);
    abc.script(Method(abc, init), std::move(globals));
    return abc.bytes();
}

// Defines the classes Kid and Main, both MovieClips, on the script's global object.
std::vector<std::uint8_t> KidAndMainScript(AbcWriter& abc, std::uint32_t movieClip,
                                           std::uint32_t kidIndex, std::uint32_t mainIndex) {
    return ClassesScript(abc, movieClip, {{"Kid", kidIndex}, {"Main", mainIndex}});
}

// MovieClip subclasses with an empty static initialiser, as the timeline tests make them.
struct ClipClassMaker {
    explicit ClipClassMaker(AbcWriter& writer)
        : abc(writer), movieClip(abc.qname(abc.ns(0x16, "flash.display"), "MovieClip")) {
        AbcCode empty(abc);
        empty.op(0x47);
        emptyMethod = Method(abc, empty);
    }
    std::uint32_t operator()(const std::string& name, const AbcCode& body,
                             std::vector<AbcTraitSpec> traits = {}) const {
        AbcClassSpec klass;
        klass.name = abc.name(name);
        klass.superName = movieClip;
        klass.iinit = Method(abc, body);
        klass.cinit = emptyMethod;
        klass.instanceTraits = std::move(traits);
        return abc.addClass(klass);
    }
    AbcWriter& abc;
    std::uint32_t movieClip;
    std::uint32_t emptyMethod = 0;
};

// Kid's constructor: builds its base, then traces "kid " + name.
AbcCode KidTracesItsName(AbcWriter& abc) {
    AbcCode kid(abc);
    kid.pushThisScope().getLocal(0).op(0x49).u30(0).pushString("kid ");
    kid.getLocal(0).nameOp(0x66, abc.name("name")).op(0xa0).traceTop().op(0x47);
    return kid;
}

// Makes movie an ActionScript 3 movie running abc, with Main its document class and a
// one-frame sprite, which it returns, bound to Kid.
std::uint16_t BindKidAndMain(MovieWriter& movie, const std::vector<std::uint8_t>& abc) {
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    DoAbc2(movie, abc, 1);
    testing::TagStream empty;
    empty.showFrame();
    const std::uint16_t sprite = movie.defineSprite(empty);
    movie.tag(SymbolClassTag, Bytes{2, 0, 0, 0, 'M', 'a', 'i', 'n', 0,
                                    static_cast<std::uint8_t>(sprite), 0, 'K', 'i', 'd', 0});
    return sprite;
}

// Main's constructor traces what it sees of its timeline children, the named one also
// through its property; Kid, bound to the sprite, traces its own construction.
std::vector<std::uint8_t> ChildrenAbc() {
    AbcWriter abc;
    const std::uint32_t movieClip = abc.qname(abc.ns(0x16, "flash.display"), "MovieClip");
    const auto makeClass = [&](const std::string& name, const AbcCode& body, bool holdsKid) {
        AbcClassSpec klass;
        klass.name = abc.name(name);
        if (holdsKid) {
            klass.instanceTraits.push_back({abc.name("kid"), 0, 0, 0, 0, 0, 0});
        }
        klass.superName = movieClip;
        klass.iinit = Method(abc, body);
        AbcCode empty(abc);
        empty.op(0x47);
        klass.cinit = Method(abc, empty);
        return abc.addClass(klass);
    };
    AbcCode kid(abc);
    kid.pushThisScope().getLocal(0).op(0x49).u30(0).trace("kid constructed").op(0x47);
    AbcCode main(abc);
    main.pushThisScope().getLocal(0).op(0x49).u30(0);
    main.pushString("children ").getLocal(0).nameOp(0x66, abc.name("numChildren"));
    main.op(0xa0).traceTop();
    for (int i = 0; i < 2; ++i) {
        main.getLocal(0).pushInt(i).callProperty(0x46, abc.name("getChildAt"), 1);
        main.nameOp(0x66, abc.name("name")).traceTop();
    }
    main.getLocal(0).nameOp(0x66, abc.name("kid")).nameOp(0x66, abc.name("name")).traceTop();
    main.op(0x47);
    const std::uint32_t kidIndex = makeClass("Kid", kid, false);
    const std::uint32_t mainIndex = makeClass("Main", main, true);
    return KidAndMainScript(abc, movieClip, kidIndex, mainIndex);
}

TEST(Avm2Movie, TimelineChildrenAreBoundToTheirClassesBeforeTheDocumentIsBuilt) {
    MovieWriter movie(100, 100, 10, 10);
    const std::uint16_t sprite = BindKidAndMain(movie, ChildrenAbc());
    testing::Place named{1, sprite};
    named.name = "kid";
    movie.place(named);
    movie.place(testing::Place{2, sprite});
    movie.showFrame();
    const auto run = Play(movie.bytes(), 1);
    EXPECT_EQ(run->traces, (Lines{"kid constructed", "kid constructed", "children 2", "kid",
                                  "instance1", "kid"}));
    EXPECT_EQ(run->warnings, Lines{});
}

// Main hears added before its base constructor runs and traces its children as it is
// built and at enterFrame (their count and the newest); Kid traces its name when built.
std::vector<std::uint8_t> ConstructionOrderAbc() {
    AbcWriter abc;
    const ClipClassMaker makeClass(abc);
    const std::uint32_t movieClip = makeClass.movieClip;
    const std::uint32_t numChildren = abc.name("numChildren");
    const AbcCode kid = KidTracesItsName(abc);
    AbcCode enter(abc); // "enter " + numChildren + " " + getChildAt(numChildren - 1)
    enter.pushThisScope().pushString("enter ").getLocal(0).nameOp(0x66, numChildren).op(0xa0);
    enter.pushString(" ").op(0xa0).getLocal(0).getLocal(0).nameOp(0x66, numChildren);
    enter.pushInt(1).op(0xa1).callProperty(0x46, abc.name("getChildAt"), 1).op(0xa0);
    enter.traceTop().op(0x47);
    AbcCode main(abc);
    main.pushThisScope();
    for (const char* type : {"added", "enterFrame"}) {
        main.getLocal(0).pushString(type);
        main.getLocal(0).nameOp(0x66,
                                abc.name(type == std::string("added") ? "onArrival" : "onEnter"));
        main.callProperty(0x4f, abc.name("addEventListener"), 2);
    }
    main.pushString("before super ").getLocal(0).nameOp(0x66, numChildren).op(0xa0).traceTop();
    main.getLocal(0).op(0x49).u30(0).trace("after super").op(0x47);
    const std::uint32_t kidIndex = makeClass("Kid", kid, {});
    const std::uint32_t mainIndex =
        makeClass("Main", main,
                  {{abc.name("first"), 0, 0, 0, 0, 0, 0},
                   {abc.name("onArrival"), 1, 0, 0, 0, 0, ArrivalHandler(abc)},
                   {abc.name("onEnter"), 1, 0, 0, 0, 0, Method(abc, enter, 1)}});
    return KidAndMainScript(abc, movieClip, kidIndex, mainIndex);
}

// The first frame's children are constructed as the document's base class is, each
// heard arriving right after its constructor; a later frame's new child is on the list
// (but not yet to be had) during enterFrame and constructed after it.
TEST(Avm2Movie, TimelineChildrenAreConstructedInTheirParentsBaseAndAfterEnterFrame) {
    MovieWriter movie(100, 100, 10, 10);
    const std::uint16_t sprite = BindKidAndMain(movie, ConstructionOrderAbc());
    testing::Place named{1, sprite};
    named.name = "first";
    movie.place(named);
    movie.showFrame();
    movie.place(testing::Place{2, sprite});
    movie.showFrame();
    movie.showFrame();
    const struct {
        int frames;
        Lines traces;
    } cases[] = {
        {1, {"before super 1", "kid first", "added 1", "after super", "added 1"}},
        {2,
         {"before super 1", "kid first", "added 1", "after super", "added 1", "enter 2 null",
          "kid instance1", "added 2"}},
    };
    for (const auto& c : cases) {
        const auto run = Play(movie.bytes(), c.frames);
        EXPECT_EQ(run->traces, c.traces) << c.frames << " frames";
        EXPECT_EQ(run->warnings, Lines{});
    }
}

// A script's Event subclass without a clone of its own is copied as the built-in class it
// extends, keeping the type; its own constructor might want other arguments.
TEST(Avm2Movie, CloningAScriptEventGivesTheBuiltInEvent) {
    const testing::ScriptRun run =
        testing::RunMovie(test::DocumentMovie([](AbcCode& code, Names& n) {
            AbcWriter& abc = n.abc;
            const std::uint32_t event = abc.qname(abc.ns(0x16, "flash.events"), "Event");
            const std::uint32_t mine = abc.name("MyEvent");
            AbcCode init(abc); // MyEvent(type) { super(type) }
            init.getLocal(0).getLocal(1).op(0x49).u30(1).op(0x47);
            AbcCode empty(abc);
            empty.op(0x47);
            AbcClassSpec klass;
            klass.name = mine;
            klass.superName = event;
            klass.flags = 0;
            klass.iinit = AddMethod(abc, init, 1);
            klass.cinit = AddMethod(abc, empty);
            const std::uint32_t index = abc.addClass(klass);
            code.op(0x64).nameOp(0x60, event).op(0x58).u30(index).nameOp(0x68, mine);
            code.nameOp(0x5d, mine).pushString("ping").callProperty(0x4a, mine, 1);
            code.callProperty(0x46, n("clone"), 0).setLocal(1);
            code.getLocal(1).nameOp(0x66, n("type")).traceTop();
            code.getLocal(1).nameOp(0x60, mine).op(0xb3).traceTop();  // is MyEvent
            code.getLocal(1).nameOp(0x60, event).op(0xb3).traceTop(); // is Event
        }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"ping", "false", "true"}));
}

// An error keeps the script methods that were running when it was made, and prints
// them under what its toString says.
TEST(Avm2Movie, ErrorsRememberTheirStackTrace) {
    const testing::ScriptRun run =
        testing::RunMovie(test::DocumentMovie([](AbcCode& code, Names& n) {
            AbcWriter& abc = n.abc;
            const std::uint32_t error = abc.name("Error"), stack = n("getStackTrace");
            AbcCode inner(abc); // function() { return new Error("deep") }
            inner.nameOp(0x5d, error).pushString("deep").callProperty(0x4a, error, 1).op(0x48);
            const std::uint32_t method = AddMethod(abc, inner);
            code.nameOp(0x5d, error).pushString("m").callProperty(0x4a, error, 1);
            code.callProperty(0x46, stack, 0).traceTop();
            code.op(0x40).u30(method).op(0x20).op(0x41).u30(0);
            code.callProperty(0x46, stack, 0).traceTop();
        }));
    EXPECT_EQ(run.warnings, Lines{});
    ASSERT_EQ(run.traces.size(), 2u);
    EXPECT_EQ(run.traces[0], "Error: m\n\tat Main()");
    EXPECT_TRUE(run.traces[1].starts_with("Error: deep\n\tat MethodInfo-")) << run.traces[1];
    EXPECT_TRUE(run.traces[1].ends_with("()\n\tat Main()")) << run.traces[1];
}

// A listener that is a plain function runs on the top-level global object: it sees the
// built-in definitions but not the movie script's own global variables.
TEST(Avm2Movie, AFunctionListenerRunsOnTheTopLevelGlobal) {
    const testing::ScriptRun run =
        testing::RunMovie(test::DocumentMovie([](AbcCode& code, Names& n) {
            AbcWriter& abc = n.abc;
            const std::uint32_t late = abc.multinameL(abc.nsSet({abc.publicNs()}));
            AbcCode listener(
                abc); // function(e) { trace(this); trace(this.mine); trace(typeof this.parseInt) }
            listener.getLocal(0).traceTop();
            listener.getLocal(0).nameOp(0x66, n("mine")).traceTop();
            listener.getLocal(0).nameOp(0x66, n("parseInt")).op(0x95).traceTop();
            listener.op(0x47);
            const std::uint32_t method = AddMethod(abc, listener, 1);
            code.op(0x64).pushString("mine").pushString("script's").nameOp(0x61, late);
            code.getLocal(0).pushString("ping").op(0x40).u30(method);
            code.callProperty(0x4f, n("addEventListener"), 2);
            const std::uint32_t event = abc.qname(abc.ns(0x16, "flash.events"), "Event");
            code.getLocal(0).nameOp(0x5d, event).pushString("ping").callProperty(0x4a, event, 1);
            code.callProperty(0x4f, n("dispatchEvent"), 1);
        }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"[object global]", "undefined", "function"}));
}

// A parent joining or leaving the stage takes its children with it: they hear
// addedToStage and removedFromStage after it, but not added or removed; adding a child
// to the parent it is in again only moves it, and nobody hears anything.
TEST(Avm2Movie, TheStageEventsOfAParentReachItsChildren) {
    const testing::ScriptRun run =
        testing::RunMovie(test::DocumentMovie([](AbcCode& code, Names& n) {
            AbcWriter& abc = n.abc;
            const std::uint32_t sprite = n.display("Sprite");
            const auto listen = [&](std::uint32_t local, const std::string& type) {
                AbcCode heard(abc);
                heard.trace(std::to_string(local) + " " + type).op(0x47);
                code.getLocal(local).pushString(type).op(0x40).u30(AddMethod(abc, heard, 1));
                code.callProperty(0x4f, n("addEventListener"), 2);
            };
            for (std::uint32_t local : {1u, 2u}) {
                code.nameOp(0x5d, sprite).callProperty(0x4a, sprite, 0).setLocal(local);
            }
            code.getLocal(1).getLocal(2).callProperty(0x4f, n("addChild"), 1);
            for (std::uint32_t local : {1u, 2u}) {
                for (const char* type : {"added", "addedToStage", "removed", "removedFromStage"}) {
                    listen(local, type);
                }
            }
            const struct {
                const char* method;
                std::uint32_t target;
            } steps[] = {{"addChild", 1}, {"addChild", 1}, {"removeChild", 1}};
            for (const auto& step : steps) {
                code.getLocal(0).getLocal(step.target).callProperty(0x4f, n(step.method), 1);
                code.trace(std::string("after ") + step.method);
            }
        }));
    EXPECT_EQ(run.warnings, Lines{});
    EXPECT_EQ(run.traces, (Lines{"1 added", "1 addedToStage", "2 addedToStage", "after addChild",
                                 "after addChild", "1 removed", "1 removedFromStage",
                                 "2 removedFromStage", "after removeChild"}));
}

// Kid, Box and Main, all MovieClips: Kid traces its name when built, Box its children
// once its base is done; Main makes a Box with `new`, traces what it holds, puts it on
// the stage, takes it off and traces it again.
std::vector<std::uint8_t> NewSymbolAbc() {
    AbcWriter abc;
    const ClipClassMaker makeClass(abc);
    const std::uint32_t movieClip = makeClass.movieClip;
    const std::uint32_t numChildren = abc.name("numChildren");
    const AbcCode kid = KidTracesItsName(abc);
    AbcCode box(abc);
    box.pushThisScope().trace("box begins").getLocal(0).op(0x49).u30(0);
    box.pushString("box built ").getLocal(0).nameOp(0x66, numChildren).op(0xa0).traceTop();
    box.op(0x47);
    // "what " + numChildren + " " + totalFrames + " " + currentFrame + " " + getChildAt(0).name
    const auto describe = [&](AbcCode& code, const std::string& what) {
        code.pushString(what + " ").getLocal(1).nameOp(0x66, numChildren).op(0xa0);
        for (const char* property : {"totalFrames", "currentFrame"}) {
            code.pushString(" ").op(0xa0).getLocal(1).nameOp(0x66, abc.name(property)).op(0xa0);
        }
        code.pushString(" ").op(0xa0).getLocal(1).pushInt(0);
        code.callProperty(0x46, abc.name("getChildAt"), 1).nameOp(0x66, abc.name("name"));
        code.op(0xa0).traceTop();
    };
    AbcCode main(abc);
    main.pushThisScope().getLocal(0).op(0x49).u30(0);
    main.nameOp(0x5d, abc.name("Box")).callProperty(0x4a, abc.name("Box"), 0).setLocal(1);
    describe(main, "new");
    main.getLocal(0).getLocal(1).callProperty(0x4f, abc.name("addChild"), 1);
    describe(main, "shown");
    main.getLocal(0).getLocal(1).callProperty(0x4f, abc.name("removeChild"), 1);
    describe(main, "taken off");
    main.op(0x47);
    const std::uint32_t kidIndex = makeClass("Kid", kid);
    const std::uint32_t boxIndex = makeClass("Box", box, {{abc.name("inner"), 0, 0, 0, 0, 0, 0}});
    const std::uint32_t mainIndex = makeClass("Main", main);
    return ClassesScript(abc, movieClip,
                         {{"Kid", kidIndex}, {"Box", boxIndex}, {"Main", mainIndex}});
}

// A class bound to a sprite that a script constructs gets the sprite's timeline: its
// first frame's children, built as its base class is, and its frames; it keeps them
// on the display list and off it again.
TEST(Avm2Movie, NewOfASymbolsClassPlaysTheSymbolsTimeline) {
    MovieWriter movie(100, 100, 10, 10);
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    DoAbc2(movie, NewSymbolAbc(), 1);
    testing::TagStream kidFrames;
    kidFrames.showFrame();
    const std::uint16_t kid = movie.defineSprite(kidFrames);
    testing::TagStream boxFrames;
    testing::Place inner{1, kid};
    inner.name = "inner";
    boxFrames.place(inner);
    boxFrames.showFrame();
    boxFrames.showFrame();
    boxFrames.showFrame();
    const std::uint16_t box = movie.defineSprite(boxFrames);
    movie.tag(SymbolClassTag, Bytes{3,   0,
                                    0,   0,
                                    'M', 'a',
                                    'i', 'n',
                                    0,   static_cast<std::uint8_t>(kid),
                                    0,   'K',
                                    'i', 'd',
                                    0,   static_cast<std::uint8_t>(box),
                                    0,   'B',
                                    'o', 'x',
                                    0});
    movie.showFrame();
    const auto run = Play(movie.bytes(), 1);
    EXPECT_EQ(run->traces, (Lines{"box begins", "kid inner", "box built 1", "new 1 3 1 inner",
                                  "shown 1 3 1 inner", "taken off 1 3 1 inner"}));
    EXPECT_EQ(run->warnings, Lines{});
}

} // namespace
} // namespace quillon::test
