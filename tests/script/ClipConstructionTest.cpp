// How clips come to be as scripts see it: registered classes on timeline and script-made
// clips, init actions ahead of them, the order of frame scripts, frames named by any value,
// and the depths scripts move clips to.

#include "script/ScriptTestSupport.h"

#include <gtest/gtest.h>

using namespace quillon::testing;

namespace {

// Pushes object.name.
ActionAssembler& Member(ActionAssembler& a, const std::string& object, const std::string& name) {
    return a.push({object}).op(Action::GetVariable).push({name}).op(Action::GetMember);
}

// cls = function() { trace("ctor " + this._name + " " + typeof this.kid + " " + this.tag) };
// cls.prototype.__proto__ = MovieClip.prototype; cls.prototype.tag = tag;
// trace(Object.registerClass(symbol, cls));
ActionAssembler RegisterTracingClass(const std::string& cls, const std::string& symbol,
                                     const std::string& tag) {
    ActionAssembler ctor;
    ctor.push({"ctor "});
    Member(ctor, "this", "_name").op(Action::Add2).push({" "}).op(Action::Add2);
    Member(ctor, "this", "kid").op(Action::TypeOf).op(Action::Add2).push({" "}).op(Action::Add2);
    Member(ctor, "this", "tag").op(Action::Add2).op(Action::Trace);
    ActionAssembler a;
    a.push({cls}).function(FunctionSpec(), ctor).op(Action::SetVariable);
    Member(a, cls, "prototype").push({"__proto__"});
    Member(a, "MovieClip", "prototype").op(Action::SetMember);
    Member(a, cls, "prototype").push({"tag", tag}).op(Action::SetMember);
    a.push({cls}).op(Action::GetVariable).push({symbol, 2, "Object"}).op(Action::GetVariable);
    a.push({"registerClass"}).op(Action::CallMethod).op(Action::Trace);
    return a;
}

// A sprite holding a sprite named kid, exported as Sym.
std::uint16_t DefineSymbolWithKid(MovieWriter& movie) {
    TagStream empty;
    empty.showFrame();
    TagStream inner;
    Place kid(1, movie.defineSprite(empty));
    kid.name = "kid";
    inner.place(kid);
    inner.showFrame();
    const std::uint16_t symbol = movie.defineSprite(inner);
    movie.exportAsset(symbol, "Sym");
    return symbol;
}

} // namespace

TEST(ClipConstruction, TimelineClipsTakeTheClassTheirInitActionsRegister) {
    MovieWriter movie(100, 100, 12, 8);
    const std::uint16_t symbol = DefineSymbolWithKid(movie);
    Place placed(1, symbol);
    placed.name = "a";
    movie.place(placed);
    ActionAssembler frame;
    frame.push({"frame "});
    Member(frame, "a", "tag").op(Action::Add2).op(Action::Trace);
    movie.doAction(frame.block());
    // after the placement and the frame's script, yet it runs first and the clip is
    // constructed with its class, its own clips already there, before the frame script
    ActionAssembler init = RegisterTracingClass("C", "Sym", "classy");
    movie.doInitAction(symbol, init.trace("init").block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "true\ninit\nctor a movieclip classy\nframe classy\n");
}

TEST(ClipConstruction, ScriptMadeClipsAreConstructedOnceWhenMade) {
    MovieWriter movie(100, 100, 12, 8);
    const std::uint16_t symbol = DefineSymbolWithKid(movie);
    movie.doInitAction(symbol, RegisterTracingClass("C", "Sym", "classy").block());
    ActionAssembler a;
    CallOn(a, "_root", "attachMovie", {5, "b", "Sym"}).op(Action::Pop);
    CallOn(a, "b", "duplicateMovieClip", {6, "c"}).op(Action::Pop);
    CallOn(a, "_root", "createEmptyMovieClip", {7, "d"}).op(Action::Pop);
    a.trace("made");
    movie.doAction(a.block());
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("next").op(Action::Stop).block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(),
              "true\nctor b movieclip classy\nctor c movieclip classy\nmade\nnext\n");
}

TEST(ClipConstruction, RegisterClassAnswersWhetherItTookTheRegistration) {
    struct Case {
        const char* name;
        std::vector<PushValue> argsLastFirst;
        const char* expected;
    };
    const Case cases[] = {
        {"nothing", {}, "false\n"},
        {"a symbol alone", {"sym"}, "false\n"},
        {"null takes it back", {Null{}, "sym"}, "true\n"},
        {"undefined takes it back", {Undefined{}, "sym"}, "true\n"},
        {"a number", {12, "sym"}, "false\n"},
        {"a string", {"C", "sym"}, "false\n"},
    };
    for (const Case& c : cases) {
        ActionAssembler a;
        CallWith(a, "Object", "registerClass", c.argsLastFirst).op(Action::Trace);
        EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), c.expected) << c.name;
    }
}

TEST(ClipConstruction, ClipsRunTheirFramesBeforeTheClipHoldingThem) {
    MovieWriter movie(100, 100, 12, 8);
    TagStream inner;
    inner.showFrame();
    inner.doAction(ActionAssembler().trace("child 2").op(Action::Stop).block());
    inner.showFrame();
    movie.place(Place(1, movie.defineSprite(inner)));
    movie.showFrame();
    movie.doAction(ActionAssembler().trace("root 2").op(Action::Stop).block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(), "child 2\nroot 2\n");
}

TEST(ClipConstruction, GotoFrame2NamesFramesByAnyValue) {
    struct Case {
        const char* name;
        PushValue frame;
        std::optional<std::uint16_t> sceneBias;
        const char* expected; // _currentframe after the goto
    };
    const Case cases[] = {
        {"undefined is a label", Undefined{}, {}, "2\n"},
        {"false is a label", false, {}, "3\n"},
        {"a label by its text", "undefined", {}, "2\n"},
        {"a fraction names no frame", 2.5, {}, "1\n"},
        {"whole numbers taken as 32 bits", 4294967296.0 + 4, {}, "4\n"},
        {"the scene moves a label", false, 1, "4\n"},
        {"the scene moves a number", 2, 1, "3\n"},
    };
    for (const Case& c : cases) {
        MovieWriter movie(100, 100, 12, 8);
        ActionAssembler a;
        a.push({c.frame}).gotoFrame2(false, c.sceneBias);
        Member(a, "this", "_currentframe").op(Action::Trace);
        movie.doAction(a.block());
        movie.showFrame();
        for (const char* label : {"undefined", "false", "", ""}) {
            if (*label) {
                movie.frameLabel(label);
            }
            movie.showFrame();
        }
        EXPECT_EQ(RunMovie(movie.bytes()).joined(), c.expected) << c.name;
    }
}

TEST(ClipConstruction, DepthsFollowTheClipsScriptsName) {
    MovieWriter movie(100, 100, 12, 8);
    const std::uint16_t shape = movie.defineRectangle(0, 0, 200, 200, Rgba{255, 0, 0, 255});
    const std::uint16_t symbol = DefineSymbolWithKid(movie);
    movie.place(Place(1, shape));
    for (int depth : {2, 3}) {
        Place clip(depth, symbol);
        clip.name = depth == 2 ? "p" : "q";
        movie.place(clip);
    }
    movie.place(Place(4, symbol)); // unnamed: the first name the player makes up
    ActionAssembler a;
    CallOn(a, "q", "swapDepths", {"../p"}).op(Action::Pop);
    CallOn(a, "p", "getDepth", {}).op(Action::Trace);
    CallOn(a, "q", "getDepth", {}).op(Action::Trace);
    // a clip of another parent stays where it is
    Member(a, "p", "kid").push({1, "q"}).op(Action::GetVariable);
    a.push({"swapDepths"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "q", "getDepth", {}).op(Action::Trace);
    CallOn(a, "q", "swapDepths", {4294967296.0 + 7}).op(Action::Pop);
    CallOn(a, "q", "getDepth", {}).op(Action::Trace);
    // a shape there stands for the clip asked
    CallOn(a, "_root", "getInstanceAtDepth", {-16383}).op(Action::Trace);
    CallOn(a, "_root", "getInstanceAtDepth", {-16380}).op(Action::Trace);
    CallOn(a, "_root", "getDepth", {}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes()).joined(),
              "-16381\n-16382\n-16382\n7\n_level0\n_level0.instance1\n-16384\n");
}

TEST(ClipConstruction, OnlySpritesEndingInAWholeFrameGoRound) {
    MovieWriter movie(100, 100, 12, 8);
    TagStream cut;
    cut.doAction(ActionAssembler().trace("cut 1").block());
    cut.showFrame();
    cut.doAction(ActionAssembler().trace("cut 2").block()); // no ShowFrame after it
    TagStream whole;
    whole.doAction(ActionAssembler().trace("whole 1").block());
    whole.showFrame();
    whole.doAction(ActionAssembler().trace("whole 2").block());
    whole.showFrame();
    movie.place(Place(1, movie.defineSprite(cut)));
    movie.place(Place(2, movie.defineSprite(whole)));
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 4).joined(),
              "cut 1\nwhole 1\nwhole 2\ncut 2\nwhole 1\nwhole 2\n");
}

TEST(ClipConstruction, UnloadingAClipsMovieUnloadsItsClipsThenTellsTheClip) {
    ActionAssembler gone, kidGone;
    gone.trace("gone");
    kidGone.trace("kid gone");
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    CallOn(a, "c", "createEmptyMovieClip", {1, "k"}).op(Action::Pop);
    a.push({"c"}).op(Action::GetVariable).push({"onUnload"});
    a.function(FunctionSpec(), gone).op(Action::SetMember);
    Member(a, "c", "k").push({"onUnload"}).function(FunctionSpec(), kidGone);
    a.op(Action::SetMember);
    CallOn(a, "c", "unloadMovie", {}).op(Action::Pop);
    a.trace("asked");
    MovieWriter movie(100, 100, 12, 8);
    movie.doAction(a.block());
    movie.showFrame();
    movie.showFrame();
    EXPECT_EQ(RunMovie(movie.bytes(), 2).joined(), "asked\nkid gone\ngone\n");
}

TEST(ClipConstruction, PointsConvertToWholeTwips) {
    ActionAssembler a;
    CallOn(a, "_root", "createEmptyMovieClip", {1, "m"}).op(Action::Pop);
    a.push({"m"}).op(Action::GetVariable).push({"_rotation", 30}).op(Action::SetMember);
    a.push({"p", "x", 10, "y", 10, 2}).op(Action::InitObject).op(Action::SetVariable);
    a.push({"p"}).op(Action::GetVariable).push({1, "m"}).op(Action::GetVariable);
    a.push({"localToGlobal"}).op(Action::CallMethod).op(Action::Pop);
    Member(a, "p", "x").op(Action::Trace);
    Member(a, "p", "y").op(Action::Trace);
    EXPECT_EQ(RunMovie(OneScriptMovie(a, 8)).joined(), "3.65\n13.65\n");
}
