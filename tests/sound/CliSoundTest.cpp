// quillon-cli audio and sounds on movies made here.

#include "codec/FileIO.h"
#include "player/engine/sound/WavFile.h"
#include "sound/SoundFixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

struct CliResult {
    int status = -1;
    std::string output, errors;
};

CliResult RunCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QUILLON_BUILD_DIR "/quillon-cli"), args);
    process.waitForFinished(30000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

const SoundFormatSpec Mono22k{3, 2, true, false};

class SoundCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const Bytes& bytes) const {
        EXPECT_TRUE(WriteFileReplacing(path(name).toStdString(), bytes));
        return path(name);
    }
    QTemporaryDir dir_;
};

// Four frames at 10 a second, streaming a 22 kHz tone in 2205-sample blocks, with an
// event sound in a sprite.
Bytes StreamMovie(Bytes& eventData) {
    MovieWriter movie(100, 100, 10);
    eventData = PcmBytes(Sine(22050, 1000, {500}), false);
    const auto sound = movie.defineSound(Mono22k, 1000, eventData);
    TagStream sprite;
    sprite.startSound(sound);
    sprite.showFrame();
    const auto clip = movie.defineSprite(sprite);
    movie.soundStreamHead(Mono22k, 2205);
    const auto tone = Sine(22050, 4 * 2205, {1000});
    for (int f = 0; f < 4; ++f) {
        movie.soundStreamBlock(PcmBytes(
            std::vector<std::int16_t>(tone.begin() + f * 2205, tone.begin() + (f + 1) * 2205),
            false));
        if (f == 0) {
            movie.place(Place{1, clip});
        }
        movie.showFrame();
    }
    return movie.bytes();
}

TEST_F(SoundCommands, AudioWritesOnePassOrTheFramesAsked) {
    Bytes event;
    const QString movie = write("movie.swf", StreamMovie(event));
    ASSERT_EQ(RunCli({"audio", movie, path("pass.wav")}).status, 0);
    const auto pass = engine::DecodeWav(ReadWholeFile(path("pass.wav").toStdString()));
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->rate, 44100);
    EXPECT_EQ(pass->channels, 2);
    EXPECT_EQ(pass->frames(), 4u * 4410u);
    // 1000 Hz for the 0.4 s of the stream, the event sound adding 500 Hz at the start.
    EXPECT_NEAR(ZeroCrossings(pass->samples, 2, 0, 4410, 4 * 4410), 2 * 1000 * 0.3, 6);
    ASSERT_EQ(RunCli({"audio", movie, path("six.wav"), "--frames", "6"}).status, 0);
    const auto six = engine::DecodeWav(ReadWholeFile(path("six.wav").toStdString()));
    ASSERT_TRUE(six);
    EXPECT_EQ(six->frames(), 6u * 4410u);
    // The loop back to the first frame restarts the stream.
    EXPECT_EQ(
        std::vector<std::int16_t>(six->samples.begin() + 4 * 4410 * 2 + 4000,
                                  six->samples.begin() + 4 * 4410 * 2 + 4400),
        std::vector<std::int16_t>(pass->samples.begin() + 4000, pass->samples.begin() + 4400));
    EXPECT_EQ(RunCli({"audio", movie}).status, 2);
    EXPECT_EQ(RunCli({"audio", movie, path("x.wav"), "--frames", "0"}).status, 2);
}

TEST_F(SoundCommands, SoundsListsAndExtractsEachSound) {
    Bytes event;
    const QString movie = write("movie.swf", StreamMovie(event));
    const CliResult listed = RunCli({"sounds", movie});
    ASSERT_EQ(listed.status, 0) << listed.errors;
    EXPECT_EQ(listed.output, "1\tpcm-le\t22050\t1\t1000\t2000\n"
                             "stream main\tpcm-le\t22050\t1\t8820\t17640\n");
    const CliResult json = RunCli({"sounds", "--json", movie});
    EXPECT_NE(json.output.find("{\"sound\": \"stream main\", \"format\": \"pcm-le\", \"rate\": "
                               "22050, \"channels\": 1, \"samples\": 8820, \"bytes\": 17640}"),
              std::string::npos)
        << json.output;
    ASSERT_EQ(RunCli({"sounds", movie, "--extract", path("out")}).status, 0);
    const auto sound = engine::DecodeWav(ReadWholeFile(path("out/sound-1.wav").toStdString()));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->rate, 22050);
    EXPECT_EQ(PcmBytes(sound->samples, false), event);
    const auto stream = engine::DecodeWav(ReadWholeFile(path("out/stream-main.wav").toStdString()));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->frames(), 8820u);
}

TEST_F(SoundCommands, Mp3IsExtractedExactlyAsStored) {
    const auto encoded = Encode("libmp3lame", 22050, 1, Sine(22050, 22050, {440}));
    if (!encoded) {
        GTEST_SKIP() << "this build has no MP3 encoder";
    }
    MovieWriter writer(100, 100, 10);
    writer.defineSound({2, 2, true, false}, 22050, encoded->data,
                       static_cast<std::int16_t>(encoded->padding));
    writer.soundStreamHead({2, 2, true, false}, 2205);
    for (std::size_t i = 0; i < encoded->packets.size(); ++i) {
        writer.soundStreamBlockMp3(576, 0, encoded->packets[i]);
        writer.showFrame();
    }
    const QString movie = write("mp3.swf", writer.bytes());
    ASSERT_EQ(RunCli({"sounds", movie, "--extract", path("out")}).status, 0);
    EXPECT_EQ(ReadWholeFile(path("out/sound-1.mp3").toStdString()), encoded->data);
    EXPECT_EQ(ReadWholeFile(path("out/stream-main.mp3").toStdString()), encoded->data);
}

} // namespace
} // namespace quillon::testing
