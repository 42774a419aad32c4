// ActionScript 3 on scenes and labels of the main timeline, URLLoader reading a file
// beside the movie (and refusing one outside its folder), and Loader showing a picture.

#include "Avm2TestSupport.h"
#include "PlayedFile.h"
#include "player/engine/MovieEngine.h"
#include "support/EngineTestSupport.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"

#include <QImage>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;
using testing::MovieWriter;

constexpr int FrameLabelTag = 43;
constexpr int SceneTag = 86;

// A document class Main extends MovieClip whose constructor traces each emitted value in
// turn; onDone(e) traces each of e.target's fields.
std::vector<std::uint8_t> MainAbc(AbcWriter& abc, const std::vector<Emit>& traced,
                                  const std::vector<std::string>& fields = {"data"}) {
    const std::uint32_t movieClip = abc.qname(abc.ns(0x16, "flash.display"), "MovieClip");
    AbcCode ctor(abc);
    ctor.pushThisScope().getLocal(0).op(0x49).u30(0);
    for (const Emit& value : traced) {
        value(ctor);
        ctor.traceTop();
    }
    ctor.op(0x47);
    AbcCode done(abc);
    done.pushThisScope();
    for (const std::string& field : fields) {
        done.getLocal(1).nameOp(0x66, abc.name("target"));
        done.nameOp(0x66, abc.name(field)).traceTop();
    }
    done.op(0x47);
    AbcCode empty(abc);
    empty.op(0x47);
    AbcClassSpec klass;
    klass.name = abc.name("Main");
    klass.superName = movieClip;
    klass.iinit = AddMethod(abc, ctor);
    klass.cinit = AddMethod(abc, empty);
    klass.instanceTraits.push_back({abc.name("onDone"), 1, 0, 0, 0, 0, AddMethod(abc, done, 1)});
    const std::uint32_t index = abc.addClass(klass);
    AbcCode init(abc);
    init.pushThisScope().op(0x65).u8(0).nameOp(0x60, movieClip).op(0x58).u30(index);
    init.nameOp(0x68, abc.name("Main")).op(0x47);
    abc.script(AddMethod(abc, init), {{abc.name("Main"), 4, 1, 0, 0, 0, index}});
    return abc.bytes();
}

void Begin(MovieWriter& movie, const std::vector<std::uint8_t>& abc) {
    movie.tag(FileAttributesTag, Bytes{0x08, 0, 0, 0});
    Bytes body = {1, 0, 0, 0, 'f', '1', 0};
    body.insert(body.end(), abc.begin(), abc.end());
    movie.tag(DoAbc2Tag, body);
    movie.tag(SymbolClassTag, Bytes{1, 0, 0, 0, 'M', 'a', 'i', 'n', 0});
}

Bytes Text(const std::string& text) {
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

Emit This() {
    return [](AbcCode& c) { c.getLocal(0); };
}

using Played = PlayedFile;

void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The traces of a movie's first frame, played from a file.
Lines FirstFrameTraces(const MovieWriter& movie) {
    TempDir dir;
    Write(dir.file("test.swf"), movie.bytes());
    Played run;
    run.start(dir.file("test.swf"), 1);
    return run.traces;
}

TEST(Avm2Timeline, ScenesAndLabelsCountFramesWithinTheirScene) {
    AbcWriter abc;
    const Emit scene = Get(abc, This(), "currentScene");
    const std::vector<Emit> traced = {
        Get(abc, scene, "name"),
        Get(abc, Get(abc, This(), "scenes"), "length"),
        Get(abc, This(), "currentLabel"),
        Call(abc, This(), "gotoAndStop", {Int(1), Str("Two")}),
        Get(abc, This(), "currentFrame"),
        Get(abc, Get(abc, This(), "currentScene"), "name"),
        Get(abc, This(), "currentFrameLabel"),
        Get(abc, Get(abc, Get(abc, This(), "currentScene"), "labels"), "length"),
        Get(abc, Get(abc, This(), "currentScene"), "numFrames"),
        Get(abc, This(), "totalFrames"),
    };
    MovieWriter movie(100, 100, 10, 10);
    Begin(movie, MainAbc(abc, traced));
    // scenes One (frames 1-2) and Two (frame 3); labels start and second
    Bytes scenes = {2, 0};
    for (const Bytes& part : {Text("One"), Bytes{2}, Text("Two"), Bytes{2, 0}, Text("start"),
                              Bytes{2}, Text("second")}) {
        scenes.insert(scenes.end(), part.begin(), part.end());
    }
    movie.tag(SceneTag, scenes);
    movie.tag(FrameLabelTag, Text("start"));
    movie.showFrame();
    movie.showFrame();
    movie.tag(FrameLabelTag, Text("second"));
    movie.showFrame();
    EXPECT_EQ(FirstFrameTraces(movie),
              (Lines{"One", "2", "start", "undefined", "1", "Two", "second", "1", "1", "3"}));
}

// Where the timeline lists its labels with its scenes, those are the labels ActionScript 3
// sees, not the FrameLabel tags; the current label may come from an earlier scene.
TEST(Avm2Timeline, TheScenesTagsLabelsReplaceTheFrameLabelTags) {
    AbcWriter abc;
    const std::vector<Emit> traced = {
        Get(abc, This(), "currentLabel"),
        Call(abc, This(), "gotoAndStop", {Int(1), Str("Two")}),
        Get(abc, This(), "currentLabel"),
        Get(abc, This(), "currentFrameLabel"),
        Get(abc, Get(abc, Get(abc, This(), "currentScene"), "labels"), "length"),
    };
    MovieWriter movie(100, 100, 10, 10);
    Begin(movie, MainAbc(abc, traced));
    // scenes One (frame 1) and Two (frame 2); one label, listed, on frame 1
    Bytes scenes = {2, 0};
    for (const Bytes& part : {Text("One"), Bytes{1}, Text("Two"), Bytes{1, 0}, Text("listed")}) {
        scenes.insert(scenes.end(), part.begin(), part.end());
    }
    movie.tag(SceneTag, scenes);
    movie.tag(FrameLabelTag, Text("tagged"));
    movie.showFrame();
    movie.tag(FrameLabelTag, Text("taggedToo"));
    movie.showFrame();
    EXPECT_EQ(FirstFrameTraces(movie), (Lines{"listed", "undefined", "listed", "null", "0"}));
}

// new URLLoader(); addEventListener("complete", onDone); load(new URLRequest(url))
Emit LoadInto(AbcWriter& abc, const std::string& url, const std::string& format) {
    const std::uint32_t loader = abc.qname(abc.ns(0x16, "flash.net"), "URLLoader");
    const std::uint32_t request = abc.qname(abc.ns(0x16, "flash.net"), "URLRequest");
    const std::uint32_t listen = abc.name("addEventListener"), load = abc.name("load");
    const std::uint32_t dataFormat = abc.name("dataFormat"), onDone = abc.name("onDone");
    return [=](AbcCode& c) {
        c.nameOp(0x5d, loader).callProperty(0x4a, loader, 0).op(0x2a); // dup
        c.pushString(format).nameOp(0x61, dataFormat).op(0x2a);
        c.pushString("complete").getLocal(0).nameOp(0x66, onDone);
        c.callProperty(0x4f, listen, 2);
        c.nameOp(0x5d, request).pushString(url).callProperty(0x4a, request, 1);
        c.callProperty(0x46, load, 1);
    };
}

TEST(Avm2Timeline, UrlLoaderReadsFilesBesideTheMovieOnTheNextFrame) {
    TempDir dir, outside;
    std::filesystem::create_directories(dir.file("movie"));
    std::ofstream(dir.file("movie/vars.txt")) << "a=x%7e";
    std::ofstream(outside.file("vars.txt")) << "secret=1";
    AbcWriter abc;
    const std::string escaped =
        "../" + std::filesystem::path(outside.path()).filename().string() + "/vars.txt";
    const std::vector<Emit> traced = {LoadInto(abc, "vars.txt", "text"),
                                      LoadInto(abc, "vars.txt", "variables"),
                                      LoadInto(abc, escaped, "text")};
    MovieWriter movie(100, 100, 10, 10);
    Begin(movie, MainAbc(abc, traced));
    movie.showFrame();
    movie.showFrame();
    Write(dir.file("movie/test.swf"), movie.bytes());
    Played run;
    run.start(dir.file("movie/test.swf"), 2);
    // text as it is; variables decoded and written back; the refused file an ioError
    EXPECT_EQ(run.traces,
              (Lines{"undefined", "undefined", "undefined", "a=x%7e", "a=x%7E",
                     "Error #2044: Unhandled ioError:. text=Error #2032: Stream Error. URL: " +
                         escaped}));
    ASSERT_EQ(run.warnings.size(), 1u);
    EXPECT_NE(run.warnings[0].find("vars.txt"), std::string::npos);
}

// loader = new Loader(); its contentLoaderInfo calls onDone on complete; it loads url
// and goes on the stage at (10, 10).
Emit LoadPicture(AbcWriter& abc, const std::string& url) {
    const std::uint32_t loader = abc.qname(abc.ns(0x16, "flash.display"), "Loader");
    const std::uint32_t request = abc.qname(abc.ns(0x16, "flash.net"), "URLRequest");
    const std::uint32_t info = abc.name("contentLoaderInfo"), x = abc.name("x");
    const std::uint32_t y = abc.name("y"), onDone = abc.name("onDone");
    const std::uint32_t listen = abc.name("addEventListener"), load = abc.name("load");
    const std::uint32_t addChild = abc.name("addChild"), content = abc.name("content");
    return [=](AbcCode& c) {
        c.nameOp(0x5d, loader).callProperty(0x4a, loader, 0).setLocal(1);
        c.getLocal(1).pushInt(10).nameOp(0x61, x).getLocal(1).pushInt(10).nameOp(0x61, y);
        c.getLocal(1).nameOp(0x66, info).pushString("complete").getLocal(0).nameOp(0x66, onDone);
        c.callProperty(0x4f, listen, 2);
        c.getLocal(1).nameOp(0x5d, request).pushString(url).callProperty(0x4a, request, 1);
        c.callProperty(0x4f, load, 1);
        c.getLocal(0).getLocal(1).callProperty(0x46, addChild, 1).op(0x29);
        c.getLocal(1).nameOp(0x66, content); // nothing yet
    };
}

TEST(Avm2Timeline, LoaderShowsAPictureBesideTheMovieAndTellsItsEvents) {
    TempDir dir;
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.file("pic.png")), "PNG"));
    for (const char* url : {"pic.png", "missing.png"}) {
        AbcWriter abc;
        MovieWriter movie(100, 100, 10, 10);
        Begin(movie, MainAbc(abc, {LoadPicture(abc, url)},
                             {"contentType", "width", "height", "content", "bytesTotal"}));
        movie.showFrame();
        Write(dir.file("test.swf"), movie.bytes());
        Played run;
        run.start(dir.file("test.swf"), 1);
        const QImage frame = testing::Draw(run.movie);
        if (std::string(url) == "pic.png") {
            EXPECT_EQ(run.traces,
                      (Lines{"null", "image/png", "4", "3", "[object Bitmap]",
                             std::to_string(std::filesystem::file_size(dir.file("pic.png")))}));
            EXPECT_PIXEL(frame, 12, 11, QColor(255, 0, 0));
            EXPECT_PIXEL(frame, 15, 14, QColor(255, 255, 255)); // past its 4 by 3 pixels
        } else {
            EXPECT_EQ(run.traces,
                      (Lines{"null", "Error #2044: Unhandled ioError:. text=Error #2035: URL Not "
                                     "Found. URL: missing.png"}));
            EXPECT_PIXEL(frame, 12, 11, QColor(255, 255, 255));
        }
    }
}

} // namespace
} // namespace quillon::test
