// quillon-cli render: pictures of frames, fitting into a size, all frames of a pass, and
// its exit statuses.

#include "codec/FileIO.h"
#include "support/EngineTestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

struct CliResult {
    int status = -1;
    std::string errors;
};

CliResult RunCli(const QStringList& args, const QString& command = "render") {
    QProcess process;
    process.start(QStringLiteral(QUILLON_BUILD_DIR "/quillon-cli"), QStringList{command} + args);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError().toStdString()};
}

// Two frames: a red square at the left, then at the right.
Bytes TwoFrameMovie() {
    MovieWriter movie(100, 50);
    movie.setBackground({255, 255, 255});
    movie.place(Place{1, movie.defineRectangle(0, 0, 800, 800, {255, 0, 0})}.at(100, 100));
    movie.showFrame();
    Place move{1, std::nullopt};
    move.move = true;
    move.at(1100, 100);
    movie.place(move);
    movie.showFrame();
    return movie.bytes();
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        movie_ = path("movie.swf");
        ASSERT_TRUE(WriteFileReplacing(movie_.toStdString(), TwoFrameMovie()));
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    QString movie_;
};

} // namespace

TEST_F(RenderCommand, WritesTheFrameAfterNFramesAtStageSize) {
    ASSERT_EQ(RunCli({movie_, "--frame", "1", "--output", path("one.png")}).status, 0);
    ASSERT_EQ(RunCli({movie_, "--frame", "2", "--output", path("two.png")}).status, 0);
    const QImage one(path("one.png")), two(path("two.png"));
    ASSERT_EQ(one.size(), QSize(100, 50));
    EXPECT_PIXEL(one, 25, 25, QColor(255, 0, 0));
    EXPECT_PIXEL(one, 75, 25, QColor(255, 255, 255));
    EXPECT_PIXEL(two, 25, 25, QColor(255, 255, 255));
    EXPECT_PIXEL(two, 75, 25, QColor(255, 0, 0));
}

TEST_F(RenderCommand, SizeFitsTheStageWithTheBackgroundAround) {
    ASSERT_EQ(
        RunCli({movie_, "--frame", "1", "--output", path("fit.png"), "--size", "200x200"}).status,
        0);
    const QImage image(path("fit.png"));
    ASSERT_EQ(image.size(), QSize(200, 200));
    // stage 2x: 200x100 centred, square from (10,60) to (90,140)
    EXPECT_PIXEL(image, 50, 100, QColor(255, 0, 0));
    EXPECT_PIXEL(image, 50, 30, QColor(255, 255, 255));
}

TEST_F(RenderCommand, AllFramesWritesOnePassOfNumberedPictures) {
    ASSERT_EQ(RunCli({movie_, "--all-frames", path("frames")}).status, 0);
    const QStringList files = QDir(path("frames")).entryList({"*.png"}, QDir::Files, QDir::Name);
    ASSERT_EQ(files, QStringList({"frame-0001.png", "frame-0002.png"}));
    EXPECT_PIXEL(QImage(path("frames/frame-0002.png")), 75, 25, QColor(255, 0, 0));
}

TEST_F(RenderCommand, BadWordsAreUsageErrors) {
    EXPECT_EQ(RunCli({movie_, "--frame", "1"}).status, 2);
    EXPECT_EQ(RunCli({movie_, "--frame", "0", "--output", path("x.png")}).status, 2);
    EXPECT_EQ(RunCli({movie_, "--frame", "two", "--output", path("x.png")}).status, 2);
    EXPECT_EQ(RunCli({movie_, "--frame", "1", "--output", path("x.png"), "--size", "10"}).status,
              2);
    EXPECT_EQ(RunCli({movie_, "--frame", "1", "--output", path("x.png"), "--loud"}).status, 2);
    EXPECT_EQ(RunCli({"--frame", "1", "--output", path("x.png")}).status, 2);
    EXPECT_FALSE(QFile::exists(path("x.png")));
}

// run reads its words through the same option table as render.
TEST_F(RenderCommand, RunTakesItsOptionsInAnyOrderAndRefusesBadOnes) {
    EXPECT_EQ(RunCli({"--seed", "7", movie_, "--date", "2001-02-03", "--frames", "2", "--key",
                      "1:tab", "--key", "2:Shift+Tab", "--key", "2:a", "--key", "1:65"},
                     "run")
                  .status,
              0);
    const struct {
        QStringList words;
        const char* says;
    } bad[] = {
        {{movie_, "--frames", "0"}, "--frames is between 1 and 1000000"},
        {{movie_, "--frames", "2", "--seed", "-1"}, "--seed is at most 4294967295"},
        {{movie_, "--frames", "2", "--date", "2001-13-01"}, "is not a date"},
        {{movie_, "--frames"}, "--frames needs a value"},
        {{movie_, "--frames", "2", "--fast"}, "unknown option --fast"},
        {{movie_, movie_, "--frames", "2"}, "more than one source given"},
        {{movie_, "--key", "tab"}, "--key takes FRAME:KEY"},
        {{movie_, "--key", "1:nokey"}, "the key code of --key"},
        {{movie_, "--key", "0:tab"}, "a frame from 1"},
        {{movie_, "--key", "1:300"}, "a key code from 1 to 255"},
    };
    for (const auto& [words, says] : bad) {
        const CliResult result = RunCli(words, "run");
        EXPECT_EQ(result.status, 2) << words.join(' ').toStdString();
        EXPECT_NE(result.errors.find(says), std::string::npos) << result.errors;
    }
}

TEST_F(RenderCommand, UnreadableSourceIsAnErrorAndDamageIsReported) {
    const CliResult missing = RunCli({path("none.swf"), "--frame", "1", "--output", path("x.png")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("none.swf"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path("x.png")));
    Bytes damaged = TwoFrameMovie();
    damaged.resize(damaged.size() - 6); // the last frame and the End tag are lost
    ASSERT_TRUE(WriteFileReplacing(path("damaged.swf").toStdString(), damaged));
    const CliResult run = RunCli({path("damaged.swf"), "--frame", "1", "--output", path("d.png")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.errors.find("End tag"), std::string::npos) << run.errors;
    EXPECT_PIXEL(QImage(path("d.png")), 25, 25, QColor(255, 0, 0));
}
