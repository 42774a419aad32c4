// quillon-cli's compress/estimate/batch methods and verify, run as a script would.

#include "support/MovieFixtures.h"
#include "codec/SwfImage.h"

#include <cstdio>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace quillon {
namespace {

using test::Bytes;
using testing::HasSubstr;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

CliRun Cli(const test::TempDir& dir, const std::string& words) {
    const std::string errFile = dir.file("stderr.txt");
    const std::string command =
        std::string(QUILLON_BUILD_DIR) + "/quillon-cli " + words + " 2>'" + errFile + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.out.append(buffer, n);
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes err = test::ReadFile(errFile);
    run.err.assign(err.begin(), err.end());
    return run;
}

class CliFormats : public testing::Test {
protected:
    void SetUp() override {
        test::WriteFile(dir_.file("old.swf"), test::TaggedMovie({.version = 9, .filler = 9000}));
        test::WriteFile(dir_.file("new.swf"), test::TaggedMovie({.version = 20, .filler = 9000}));
    }
    std::string Path(const std::string& name) const { return "'" + dir_.file(name) + "'"; }
    test::TempDir dir_;
};

TEST_F(CliFormats, CompressLzmaRaisesAnOldVersionWithAWarning) {
    CliRun run = Cli(dir_, "compress --lzma " + Path("old.swf") + " " + Path("old.zws"));
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.err, HasSubstr("version 9 raised to 13"));
    EXPECT_EQ(test::ReadFile(dir_.file("old.zws"))[3], 13);

    run = Cli(dir_, "compress --lzma " + Path("new.swf") + " " + Path("new.zws"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const Bytes zws = test::ReadFile(dir_.file("new.zws"));
    ASSERT_FALSE(zws.empty());
    EXPECT_EQ(zws[0], 'Z');

    run = Cli(dir_, "decompress " + Path("new.zws") + " " + Path("back.swf"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(test::ReadFile(dir_.file("back.swf")), test::ReadFile(dir_.file("new.swf")));

    run = Cli(dir_, "info --json " + Path("new.zws"));
    EXPECT_THAT(run.out, HasSubstr("\"signature\": \"ZWS\""));
    EXPECT_THAT(run.out, HasSubstr("\"compressionStatus\": \"Compressed\""));
}

TEST_F(CliFormats, EstimateAndBatchUseTheChosenMethod) {
    const Bytes plain = test::ReadFile(dir_.file("new.swf"));
    const struct {
        const char* flag;
        CompressionMethod method;
    } cases[] = {{"", CompressionMethod::ZlibLevel},
                 {"--best", CompressionMethod::ZlibSmallest},
                 {"--lzma", CompressionMethod::Lzma}};
    for (const auto& c : cases) {
        const std::size_t size = CompressSwfImage(plain, c.method).size();
        const CliRun run = Cli(dir_, std::string("estimate ") + c.flag + " " + Path("new.swf"));
        EXPECT_EQ(run.out, std::to_string(size) + " bytes\n") << c.flag;
    }
    EXPECT_EQ(Cli(dir_, "estimate --best --lzma " + Path("new.swf")).status, 2);

    std::filesystem::create_directory(dir_.file("in"));
    std::filesystem::create_directory(dir_.file("out"));
    test::WriteFile(dir_.file("in/a.swf"), plain);
    const CliRun run =
        Cli(dir_, "batch compress --lzma " + Path("in") + " --output " + Path("out"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFile(dir_.file("out/a.swf")),
              CompressSwfImage(plain, CompressionMethod::Lzma));
}

TEST_F(CliFormats, VerifyPrintsOkOrProblemsAndExitsFiveOnDamage) {
    Bytes damaged = test::ZlibMovie(test::ReadFile(dir_.file("new.swf")));
    damaged.push_back(0);
    test::WriteFile(dir_.file("damaged.swf"), damaged);

    CliRun run = Cli(dir_, "verify --jobs 2 " + Path("new.swf") + " " + Path("old.swf"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, dir_.file("new.swf") + ": OK\n" + dir_.file("old.swf") + ": OK\n");

    run = Cli(dir_, "verify " + Path("new.swf") + " " + Path("damaged.swf"));
    EXPECT_EQ(run.status, 5);
    EXPECT_THAT(run.out, HasSubstr(dir_.file("damaged.swf") + ": 1 bytes follow"));

    run = Cli(dir_, "verify --csv " + Path("damaged.swf"));
    EXPECT_EQ(run.status, 5);
    const std::string size = std::to_string(test::ReadFile(dir_.file("new.swf")).size());
    EXPECT_EQ(run.out, "path,signature,version,declared_length,real_length,frame_count,problems\n" +
                           dir_.file("damaged.swf") + ",CWS,20," + size + "," + size +
                           ",3,1 bytes follow the compressed data\n");

    run = Cli(dir_, "verify --json " + Path("new.swf"));
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("\"problems\": []"));
    EXPECT_THAT(run.out, HasSubstr("\"realLength\": " + size));
}

} // namespace
} // namespace quillon
