// NetConnection and NetStream as ActionScript 1 and 2 movies use them: connect(null),
// play of a file beside the movie with onStatus and onMetaData in the player's order,
// and a path leading out of the movie's folder refused as a stream not found.

#include "FlvTestStreams.h"
#include "script/ScriptTestSupport.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

void WriteFile(const std::string& path, const FlvBytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// name = new ctor(arg)
void NewInto(ActionAssembler& a, const std::string& name, const std::string& ctor,
             std::initializer_list<PushValue> args) {
    a.push({name});
    a.push(args).push({static_cast<int>(args.size()), ctor}).op(Action::NewObject);
    a.op(Action::SetVariable);
}

// object.member = function(info) { trace(info.field); }
void TraceHandler(ActionAssembler& a, const std::string& object, const std::string& member,
                  const std::string& field) {
    ActionAssembler body;
    body.push({"info"}).op(Action::GetVariable).push({field}).op(Action::GetMember);
    body.op(Action::Trace);
    a.push({object}).op(Action::GetVariable).push({member});
    a.function(FunctionSpec("", {{0, "info"}}), body);
    a.op(Action::SetMember);
}

ActionAssembler StreamScript(const std::string& url) {
    ActionAssembler a;
    NewInto(a, "nc", "NetConnection", {});
    a.push({"nc"}).op(Action::GetVariable).push({"isConnected"}).op(Action::GetMember);
    a.op(Action::Trace);
    CallOn(a, "nc", "connect", {Null{}}).op(Action::Trace);
    a.push({"ns", "nc"}).op(Action::GetVariable).push({1, "NetStream"}).op(Action::NewObject);
    a.op(Action::SetVariable);
    TraceHandler(a, "ns", "onStatus", "code");
    TraceHandler(a, "ns", "onMetaData", "duration");
    CallOn(a, "ns", "play", {url}).op(Action::Pop);
    return a;
}

// Writes the movie into folder and runs it there for frames frames.
void RunBeside(engine::MovieEngine& engine, const std::string& folder, const Bytes& movie,
               int frames, std::vector<std::string>& traces) {
    const std::string path = folder + "/movie.swf";
    WriteFile(path, FlvBytes(movie.begin(), movie.end()));
    engine::ScriptOptions options;
    options.trace = [&traces](const std::string& line) { traces.push_back(line); };
    options.warning = [](const std::string&) {};
    engine.setScriptOptions(options);
    engine.load(path);
    for (int i = 1; i < frames; ++i) {
        engine.advance();
    }
}

std::vector<std::string> RunBeside(const std::string& folder, const ActionAssembler& code,
                                   int frames) {
    engine::MovieEngine engine;
    std::vector<std::string> traces;
    RunBeside(engine, folder, OneScriptMovie(code, 8), frames, traces);
    return traces;
}

FlvBytes TwoSecondStream() {
    std::vector<FlvTagSpec> tags = {{18, 0, MetaDataBody(2.5, 16, 16)}};
    for (std::uint32_t t = 0; t <= 2000; t += 500) {
        tags.push_back({9, t, {0x22, 0, 0}}); // pictures that do not decode: order only
    }
    return WriteFlv(tags);
}

TEST(NetStreamScript, PlaysAFileBesideTheMovieWithStatusInThePlayersOrder) {
    test::TempDir dir;
    WriteFile(dir.file("clip.flv"), TwoSecondStream());
    // 12 frames a second: the stream's two seconds are over within 30 frames.
    const std::vector<std::string> traces = RunBeside(dir.path(), StreamScript("clip.flv"), 30);
    EXPECT_EQ(traces,
              (std::vector<std::string>{"false", "true", "NetStream.Play.Start",
                                        "NetStream.Buffer.Full", "2.5", "NetStream.Buffer.Flush",
                                        "NetStream.Play.Stop", "NetStream.Buffer.Empty"}));
}

TEST(NetStreamScript, AFileOutsideTheMoviesFolderIsNotFound) {
    test::TempDir dir;
    WriteFile(dir.file("clip.flv"), TwoSecondStream());
    std::filesystem::create_directory(dir.file("inner"));
    for (const std::string& url : {dir.file("clip.flv"), std::string("../clip.flv"),
                                   std::string("http://example.com/clip.flv")}) {
        const std::vector<std::string> traces = RunBeside(dir.file("inner"), StreamScript(url), 5);
        EXPECT_EQ(traces,
                  (std::vector<std::string>{"false", "true", "NetStream.Play.StreamNotFound"}))
            << url;
    }
}

TEST(NetStreamScript, AttachVideoShowsTheStreamOnAPlacedVideoAtItsSize) {
    const EncodedStream stream = EncodeColours(2, 16, 16, {0x00ff00, 0x00ff00});
    ASSERT_FALSE(stream.packets.empty());
    test::TempDir dir;
    WriteFile(dir.file("clip.flv"), WriteFlv(VideoTags(2, stream, 100)));
    ActionAssembler a = StreamScript("clip.flv");
    a.push({"ns"}).op(Action::GetVariable).push({1, "v"}).op(Action::GetVariable);
    a.push({"attachVideo"}).op(Action::CallMethod).op(Action::Pop);
    MovieWriter movie(100, 100, 12, 8);
    // DefineVideoStream: id 1, no frames of its own, 40 x 20, Sorenson H.263.
    movie.tag(60, Bytes{1, 0, 0, 0, 40, 0, 20, 0, 0, 2});
    Place place(1, 1);
    place.name = "v";
    movie.place(place.at(200, 200));
    movie.doAction(a.block());
    movie.showFrame();
    engine::MovieEngine engine;
    std::vector<std::string> traces;
    RunBeside(engine, dir.path(), movie.bytes(), 2, traces);
    QImage stage(100, 100, QImage::Format_ARGB32_Premultiplied);
    stage.fill(Qt::white);
    {
        QPainter painter(&stage);
        engine.render(painter, QRectF(0, 0, 100, 100), engine.frameRect(),
                      engine::ScaleMode::ExactFit);
    }
    const QColor inside = stage.pixelColor(45, 25);
    EXPECT_GT(inside.green(), 230);
    EXPECT_LT(inside.red(), 40);
    EXPECT_EQ(stage.pixel(55, 25), qRgb(255, 255, 255)) << "the Video is 40 pixels wide";
    EXPECT_EQ(stage.pixel(45, 35), qRgb(255, 255, 255)) << "and 20 high";
}

} // namespace
