// NetConnection, NetStream and Video in an ActionScript 3 movie: the netStatus events in
// the player's order, the Video's constructor rules, and the stream's pictures drawn in
// the Video's place on the stage, stretched to its size.

#include "Avm2TestSupport.h"
#include "engine/FlvTestStreams.h"
#include "player/engine/MovieEngine.h"
#include "support/MovieWriter.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <fstream>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

using Lines = std::vector<std::string>;
using testing::Bytes;

constexpr std::uint8_t GetProperty = 0x66, CallPropVoid = 0x4f, ConstructProp = 0x4a,
                       FindPropStrict = 0x5d, ReturnVoid = 0x47, SetLocal1 = 0xd5, GetLocal1 = 0xd1,
                       GetLocal2 = 0xd2, GetLocal3 = 0xd3;

// new pkg.Class(ints...), left on the stack.
void Construct(AbcWriter& abc, AbcCode& code, const char* package, const char* cls,
               std::initializer_list<std::int32_t> args) {
    const std::uint32_t name = abc.qname(abc.ns(0x16, package), cls);
    code.nameOp(FindPropStrict, name);
    for (const std::int32_t a : args) {
        code.pushInt(a);
    }
    code.callProperty(ConstructProp, name, static_cast<std::uint32_t>(args.size()));
}

// function(e) { trace(e.info.code) }
std::uint32_t StatusHandler(AbcWriter& abc) {
    AbcCode code(abc);
    code.pushThisScope().getLocal(1).nameOp(GetProperty, abc.name("info"));
    code.nameOp(GetProperty, abc.name("code")).traceTop().op(ReturnVoid);
    return AddMethod(abc, code, 1);
}

// The document's constructor: a connection, a stream playing url with a netStatus
// listener, and a 40 x 20 Video at (10, 10) showing it.
Bytes StreamMovie(const std::string& url) {
    return DocumentMovie([&url](AbcCode& code, Names& n) {
        AbcWriter& abc = n.abc;
        Construct(abc, code, "flash.net", "NetConnection", {});
        code.op(SetLocal1).op(GetLocal1).nameOp(GetProperty, n("connected")).traceTop();
        code.op(GetLocal1).op(0x20).callProperty(CallPropVoid, n("connect"), 1);
        code.op(GetLocal1).nameOp(GetProperty, n("connected")).traceTop();
        const std::uint32_t stream = abc.qname(abc.ns(0x16, "flash.net"), "NetStream");
        code.nameOp(FindPropStrict, stream).op(GetLocal1).callProperty(ConstructProp, stream, 1);
        code.setLocal(2).op(GetLocal2).pushString("netStatus");
        code.op(0x40).u30(StatusHandler(abc)); // newfunction
        code.callProperty(CallPropVoid, n("addEventListener"), 2);
        code.op(GetLocal2).pushString(url).callProperty(CallPropVoid, n("play"), 1);
        Construct(abc, code, "flash.media", "Video", {40, 20});
        code.setLocal(3).op(GetLocal3).op(GetLocal2);
        code.callProperty(CallPropVoid, n("attachNetStream"), 1);
        code.op(GetLocal3).pushInt(10).nameOp(0x61, n("x"));
        code.op(GetLocal3).pushInt(10).nameOp(0x61, n("y"));
        code.getLocal(0).op(GetLocal3).callProperty(CallPropVoid, n("addChild"), 1);
        code.op(GetLocal3).nameOp(GetProperty, n("width")).traceTop();
    });
}

struct StreamRun {
    Lines traces, warnings;
    engine::MovieEngine movie;
};

void PlayStream(StreamRun& run, const std::string& folder, const std::string& url, int frames) {
    engine::ScriptOptions options;
    options.trace = [&run](const std::string& line) { run.traces.push_back(line); };
    options.warning = [&run](const std::string& line) { run.warnings.push_back(line); };
    run.movie.setScriptOptions(std::move(options));
    run.movie.loadBytes(StreamMovie(url), folder);
    for (int i = 1; i < frames; ++i) {
        run.movie.advance();
    }
}

TEST(Avm2NetStream, PlaysAFileWithItsEventsAndDrawsItsPicturesInTheVideo) {
    const testing::EncodedStream stream =
        testing::EncodeColours(2, 16, 16, {0xff0000, 0xff0000, 0x0000ff, 0x0000ff});
    ASSERT_FALSE(stream.packets.empty());
    std::vector<testing::FlvTagSpec> tags = {{18, 0, testing::MetaDataBody(0.4, 16, 16)}};
    for (testing::FlvTagSpec& tag : testing::VideoTags(2, stream, 100)) {
        tags.push_back(std::move(tag));
    }
    TempDir dir;
    const testing::FlvBytes file = testing::WriteFlv(tags);
    std::ofstream(dir.file("clip.flv"), std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    StreamRun run;
    PlayStream(run, dir.path(), "clip.flv", 2); // 10 frames a second: the first picture is up
    QImage stage(100, 100, QImage::Format_ARGB32_Premultiplied);
    stage.fill(Qt::white);
    {
        QPainter painter(&stage);
        run.movie.render(painter, QRectF(0, 0, 100, 100), run.movie.frameRect(),
                         engine::ScaleMode::ExactFit);
    }
    EXPECT_GT(stage.pixelColor(30, 20).red(), 230) << "the red picture stretched to 40 x 20";
    EXPECT_LT(stage.pixelColor(30, 20).blue(), 40);
    EXPECT_EQ(stage.pixel(60, 20), qRgb(255, 255, 255)) << "nothing right of the Video";
    EXPECT_EQ(stage.pixel(30, 40), qRgb(255, 255, 255)) << "nothing below it";
    for (int i = 0; i < 10; ++i) {
        run.movie.advance();
    }
    EXPECT_EQ(run.traces,
              (Lines{"false", "true", "40", "NetStream.Play.Start", "NetStream.Buffer.Full",
                     "NetStream.Buffer.Flush", "NetStream.Play.Stop", "NetStream.Buffer.Empty"}));
    // The stream has no client with onMetaData: a warning, not an error.
    EXPECT_FALSE(run.warnings.empty());
}

TEST(Avm2NetStream, AFileOutsideTheFolderIsNotFound) {
    TempDir dir;
    StreamRun run;
    PlayStream(run, dir.path(), "../clip.flv", 3);
    EXPECT_EQ(run.traces, (Lines{"false", "true", "40", "NetStream.Play.StreamNotFound"}));
}

} // namespace
} // namespace quillon::test
