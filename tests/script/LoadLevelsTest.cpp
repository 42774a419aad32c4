// Movies that scripts load into levels and through MovieClipLoader: when they arrive,
// what _root, _levelN and _target mean inside them, and paths that are refused.

#include "script/ScriptTestSupport.h"
#include "support/EngineTestSupport.h"
#include "support/TempDir.h"

#include <QImage>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace quillon::testing;
namespace fs = std::filesystem;

namespace {

class LoadLevels : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder());
        // child.swf: x = 5; trace(_root._target); stop()
        MovieWriter child(100, 100);
        ActionAssembler a;
        a.set("x", 5).push({"_root"}).op(Action::GetVariable).push({"_target"});
        a.op(Action::GetMember).op(Action::Trace).op(Action::Stop);
        child.doAction(a.block());
        child.showFrame();
        child.showFrame();
        childBytes_ = child.bytes();
        Write(folder() + "/child.swf", childBytes_);
        Write(outside_.file("child.swf"), childBytes_);
    }
    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::string folder() const { return movieDir_.file("movie"); }
    std::string outsidePath() const {
        return "../" + fs::path(outside_.path()).filename().string() + "/child.swf";
    }
    // Runs frames of movie from the folder; picture, when given, receives the last frame.
    ScriptRun Run(MovieWriter& movie, int frames, QImage* picture = nullptr) {
        Write(folder() + "/test.swf", movie.bytes());
        ScriptRun run;
        quillon::engine::MovieEngine engine;
        quillon::engine::ScriptOptions options;
        options.trace = [&run](const std::string& line) { run.traces.push_back(line); };
        options.warning = [&run](const std::string& line) { run.warnings.push_back(line); };
        engine.setScriptOptions(options);
        engine.load(folder() + "/test.swf");
        for (int i = 1; i < frames; ++i) {
            engine.advance();
        }
        if (picture) {
            *picture = Draw(engine);
        }
        return run;
    }

    quillon::test::TempDir movieDir_, outside_;
    Bytes childBytes_;
};

ActionAssembler& TraceTypeOf(ActionAssembler& a, const std::string& name) {
    return a.push({name}).op(Action::GetVariable).op(Action::TypeOf).op(Action::Trace);
}

TEST_F(LoadLevels, LoadMovieNumFillsALevelOnTheNextFrameAndUnloadEmptiesIt) {
    MovieWriter movie(100, 100);
    // loadMovieNum("child.swf", 1); loadMovieNum(<outside>, 2); trace(typeof _level1)
    ActionAssembler first;
    first.push({"child.swf", "_level1"}).getUrl2(0);
    first.push({outsidePath(), "_level2"}).getUrl2(0);
    TraceTypeOf(first, "_level1");
    movie.doAction(first.block());
    movie.showFrame();
    // trace(_level1.x); trace(_level1._target); trace(typeof _level2); unloadMovieNum(1)
    ActionAssembler second;
    second.traceVariable("_level1.x");
    second.push({"_level1"}).op(Action::GetVariable).push({"_target"}).op(Action::GetMember);
    second.op(Action::Trace);
    TraceTypeOf(second, "_level2");
    second.push({"", "_level1"}).getUrl2(0);
    movie.doAction(second.block());
    movie.showFrame();
    ActionAssembler third;
    TraceTypeOf(third, "_level1").op(Action::Stop);
    movie.doAction(third.block());
    movie.showFrame();

    const ScriptRun run = Run(movie, 3);
    EXPECT_EQ(run.joined(), "undefined\n_level1\n5\n_level1\nundefined\nundefined\n");
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("child.swf"), std::string::npos) << run.warnings[0];
}

// function () { trace(event); }
ActionAssembler& Handler(ActionAssembler& a, const std::string& event) {
    return a.function(FunctionSpec("", {}), ActionAssembler().trace(event));
}

TEST_F(LoadLevels, MovieClipLoaderTellsItsListenersInThePlayersOrder) {
    MovieWriter movie(100, 100);
    ActionAssembler a;
    a.push({"l", 0, "Object"}).op(Action::NewObject).op(Action::SetVariable);
    for (const char* event :
         {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"}) {
        a.push({"l"}).op(Action::GetVariable).push({event});
        Handler(a, event).op(Action::SetMember);
    }
    a.push({"mcl", 0, "MovieClipLoader"}).op(Action::NewObject).op(Action::SetVariable);
    // mcl.addListener(l)
    a.push({"l"}).op(Action::GetVariable).push({1, "mcl"}).op(Action::GetVariable);
    a.push({"addListener"}).op(Action::CallMethod).op(Action::Pop);
    CallOn(a, "_root", "createEmptyMovieClip", {1, "holder"}).op(Action::Pop);
    CallOn(a, "mcl", "loadClip", {"holder", "child.swf?y=7"}).op(Action::Trace);
    CallOn(a, "mcl", "loadClip", {3, outsidePath()}).op(Action::Trace);
    movie.doAction(a.block());
    movie.showFrame();
    // holder.y; holder.getBytesTotal() == mcl.getProgress(holder).bytesLoaded
    ActionAssembler second;
    second.traceVariable("holder.y");
    CallOn(second, "holder", "getBytesTotal", {});
    CallOn(second, "mcl", "getProgress", {"holder"}).push({"bytesLoaded"}).op(Action::GetMember);
    second.op(Action::Equals2).op(Action::Trace);
    CallOn(second, "holder", "getBytesTotal", {}).op(Action::Trace).op(Action::Stop);
    movie.doAction(second.block());
    movie.showFrame();

    const ScriptRun run = Run(movie, 2);
    // onLoadInit comes once the frame's scripts, the loaded movie's first among them, ran
    EXPECT_EQ(run.joined(), "true\ntrue\nonLoadStart\nonLoadProgress\nonLoadComplete\n"
                            "onLoadError\n/\n7\ntrue\n" +
                                std::to_string(childBytes_.size()) + "\nonLoadInit\n");
}

TEST_F(LoadLevels, AMovieThatLoadsItselfStopsAtTheCap) {
    // trace("in"); createEmptyMovieClip("c", 1); c.loadMovie("test.swf"); stop()
    MovieWriter movie(100, 100);
    ActionAssembler a;
    a.trace("in");
    CallOn(a, "this", "createEmptyMovieClip", {1, "c"}).op(Action::Pop);
    CallOn(a, "c", "loadMovie", {"test.swf"}).op(Action::Pop).op(Action::Stop);
    movie.doAction(a.block());
    movie.showFrame();
    const ScriptRun run = Run(movie, 100);
    EXPECT_GT(run.traces.size(), 10u);
    EXPECT_LE(run.traces.size(), 66u);
    ASSERT_FALSE(run.warnings.empty());
    EXPECT_NE(run.warnings.back().find("test.swf"), std::string::npos) << run.warnings.back();
}

// A picture file loads into a clip as its only content, at the clip's corner, and has no
// movie version; a file that is neither movie nor picture loads nothing.
TEST_F(LoadLevels, PictureFilesLoadIntoClipsAndOtherFilesDoNot) {
    QImage red(8, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(folder() + "/red.png")));
    Write(folder() + "/notes.png", Bytes{'n', 'o', 't', 'e', 's'});
    MovieWriter movie(40, 40);
    ActionAssembler a;
    CallOn(a, "this", "createEmptyMovieClip", {1, "pic"}).op(Action::Pop);
    CallOn(a, "this", "createEmptyMovieClip", {2, "other"}).op(Action::Pop);
    a.push({"pic"}).op(Action::GetVariable).push({"_x", 20}).op(Action::SetMember);
    CallOn(a, "pic", "loadMovie", {"red.png"}).op(Action::Pop);
    CallOn(a, "other", "loadMovie", {"notes.png"}).op(Action::Pop);
    movie.doAction(a.block());
    movie.showFrame();
    ActionAssembler second;
    CallOn(second, "pic", "getSWFVersion", {}).op(Action::Trace);
    second.traceVariable("pic._width").traceVariable("pic._height").op(Action::Stop);
    movie.doAction(second.block());
    movie.showFrame();

    QImage picture;
    const ScriptRun run = Run(movie, 2, &picture);
    EXPECT_EQ(run.joined(), "-1\n8\n4\n");
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("notes.png"), std::string::npos) << run.warnings[0];
    EXPECT_PIXEL(picture, 21, 1, Red);
    EXPECT_PIXEL(picture, 27, 3, Red);
    EXPECT_PIXEL(picture, 18, 1, White);
    EXPECT_PIXEL(picture, 21, 6, White);
}

} // namespace
