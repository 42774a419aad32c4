// quillon-cli as scripts use it: its output lines and exit statuses.

#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace quillon::test;
namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status;
    std::string out;
};

CliRun Cli(const std::string& words, const std::string& shellPrefix = "") {
    const std::string command =
        shellPrefix + QUILLON_BUILD_DIR "/quillon-cli " + words + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun run{-1, ""};
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        run.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quote(const std::string& path) {
    return "'" + path + "'";
}

class CliTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string Movie(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name);
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, bytes);
        return path;
    }
};

TEST_F(CliTest, InfoPrintsThePanelValues) {
    Bytes body = MovieBody(500);
    const std::string path = Movie("m.swf", CompressedMovie(body, 9));
    const CliRun run = Cli("info " + Quote(path));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path + "\nCompression status: Compressed\nFlash version: v9\n"
                              "File status: Ok\nFile length: 508 bytes\nFrame rate: 24 fps\n");

    const CliRun json = Cli("info --json " + Quote(path));
    EXPECT_EQ(json.status, 0);
    for (const char* part :
         {"\"signature\": \"CWS\"", "\"declaredLength\": 508", "\"frameRect\": [0, 2000, 0, 2000]",
          "\"frameRateExact\": 24", "\"frameCount\": 1", "\"fileStatus\": \"Ok\""}) {
        EXPECT_NE(json.out.find(part), std::string::npos) << part;
    }
}

// info inspects in memory: with no room to write a single byte (a file size limit of
// zero, its signal ignored, stands for a full disk) it still gives every value.
TEST_F(CliTest, InfoWritesNothingSoAFullDiskCannotSpoilIt) {
    const std::string path = Movie("m.swf", CompressedMovie(MovieBody(5000), 9));
    const CliRun run = Cli("info " + Quote(path), "trap '' XFSZ; ulimit -f 0; ");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Flash version: v9\nFile status: Ok\nFile length: 5008 bytes"),
              std::string::npos)
        << run.out;
}

// Output redirected to a full disk: the values never reach the file, so it is no success.
TEST_F(CliTest, InfoOutputThatCannotBeWrittenIsAFailure) {
    const std::string path = Movie("m.swf", CompressedMovie(MovieBody(5000), 9));
    const CliRun run = Cli("info " + Quote(path) + " >" + Quote(dir.file("out.txt")),
                           "trap '' XFSZ; ulimit -f 0; ");
    EXPECT_EQ(run.status, 4);
}

TEST_F(CliTest, InfoJsonGivesTheExactFrameRate) {
    Bytes body = MovieBody(100);
    body[7] = 5; // 224 + 5/256 frames per second
    body[8] = 224;
    const CliRun json = Cli("info --json " + Quote(Movie("m.swf", PlainMovie(body))));
    EXPECT_NE(json.out.find("\"frameRateExact\": 224.01953125,"), std::string::npos) << json.out;
}

TEST_F(CliTest, InfoRefusesFilesShorterThanAHeader) {
    EXPECT_EQ(Cli("info " + Quote(Movie("empty.swf", {}))).status, 1);
    EXPECT_EQ(Cli("info " + Quote(Movie("short.swf", {'F', 'W', 'S', 1}))).status, 1);
    EXPECT_EQ(Cli("info").status, 2);
}

TEST_F(CliTest, TransformExitStatuses) {
    const Bytes body = MovieBody(2000);
    const std::string plain = Movie("plain.swf", PlainMovie(body));
    const std::string out = dir.file("out.swf");
    EXPECT_EQ(Cli("compress " + Quote(plain) + " " + Quote(out)).status, 0);
    EXPECT_EQ(Cli("decompress " + Quote(out) + " " + Quote(dir.file("back.swf"))).status, 0);
    EXPECT_EQ(ReadFile(dir.file("back.swf")), PlainMovie(body));
    // Inflating a plain movie fails; its copy is written all the same.
    EXPECT_EQ(Cli("decompress " + Quote(plain) + " " + Quote(dir.file("copy.swf"))).status, 3);
    EXPECT_EQ(ReadFile(dir.file("copy.swf")), PlainMovie(body));
    EXPECT_EQ(Cli("compress " + Quote(dir.file("missing.swf")) + " " + Quote(out)).status, 1);
    EXPECT_EQ(Cli("compress --level 12 " + Quote(plain) + " " + Quote(out)).status, 2);

    const CliRun estimate = Cli("estimate " + Quote(plain));
    EXPECT_EQ(estimate.status, 0);
    EXPECT_EQ(estimate.out, std::to_string(fs::file_size(out)) + " bytes\n");
}

TEST_F(CliTest, BatchIsTheSameOnOneThreadAndOnSeveral) {
    const Bytes body = MovieBody(3000);
    // Many inputs share names across folders: the first in scan order wins each output.
    for (int i = 0; i < 12; ++i) {
        Movie("in/f" + std::to_string(i) + "/same.swf", PlainMovie(MovieBody(100 + i)));
        Movie("in/f" + std::to_string(i) + "/own" + std::to_string(i) + ".swf", PlainMovie(body));
    }
    Movie("in/damaged.swf", {'C', 'W', 'S', 10, 0, 1, 0, 0, 1, 2, 3});
    fs::create_directories(dir.file("one"));
    fs::create_directories(dir.file("two"));
    const std::string in = Quote(dir.file("in"));
    const CliRun one =
        Cli("batch decompress " + in + " --output " + Quote(dir.file("one")) + " --jobs 1");
    const CliRun two =
        Cli("batch decompress " + in + " --output " + Quote(dir.file("two")) + " --jobs 2");
    EXPECT_EQ(one.status, 3); // plain movies fail to inflate: "Skip"
    EXPECT_EQ(two.status, 3);
    std::string twoAsOne = two.out;
    for (std::size_t at; (at = twoAsOne.find(dir.file("two"))) != std::string::npos;) {
        twoAsOne.replace(at, dir.file("two").size(), dir.file("one"));
    }
    EXPECT_EQ(twoAsOne, one.out);
    EXPECT_EQ(ReadFile(dir.file("two/same.swf")), PlainMovie(MovieBody(100)));
    EXPECT_NE(two.out.find("Exist!\t" + dir.file("in/f1/same.swf") + "\t\t"), std::string::npos);
}

TEST_F(CliTest, BatchLinesAndStatuses) {
    Movie("in/a.swf", PlainMovie(MovieBody(100)));
    Movie("in/b.swf", {'F'});
    fs::create_directories(dir.file("out"));
    const CliRun run = Cli("batch compress " + Quote(dir.file("in")) + " --output " +
                           Quote(dir.file("out")) + " --prefix c_");
    EXPECT_EQ(run.status, 1);
    const std::string a = dir.file("in/a.swf");
    EXPECT_EQ(run.out, "Ok\t" + a + "\t" + dir.file("out") + "/c_a.swf\t108\t" +
                           std::to_string(fs::file_size(dir.file("out/c_a.swf"))) + "\nError\t" +
                           dir.file("in/b.swf") + "\t\t1\t\n");
    EXPECT_EQ(
        Cli("batch compress " + Quote(dir.file("in")) + " --output " + Quote(dir.file("nowhere")))
            .status,
        1);
}

} // namespace
