// quillon-cli over lists of movies: --files-from, --null, --jsonl, and the split that
// keeps the archive commands free of the drawing libraries.

#include "support/Bytes.h"
#include "support/Shell.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

using namespace quillon::test;
namespace fs = std::filesystem;

namespace {

const std::string Tool = QUILLON_BUILD_DIR "/quillon-cli";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::multiset<std::string> LineSet(const std::string& text) {
    const auto lines = Lines(text);
    return {lines.begin(), lines.end()};
}

class CliListTest : public ::testing::Test {
protected:
    TempDir dir;

    // count movies in nested folders; every seventh is damaged (a wrong declared length).
    std::vector<std::string> Tree(int count) {
        std::vector<std::string> paths;
        const Bytes body = MovieBody(300);
        for (int i = 0; i < count; ++i) {
            const fs::path path =
                fs::path(dir.path()) / "t" / std::to_string(i % 10) / (std::to_string(i) + ".swf");
            fs::create_directories(path.parent_path());
            WriteFile(path.string(),
                      i % 7 == 0 ? PlainMovie(body, 8, 99) : CompressedMovie(body, 9));
            paths.push_back(path.string());
        }
        return paths;
    }
    std::string List(const std::vector<std::string>& paths, char separator) {
        std::string text;
        for (const auto& path : paths) {
            text += path + separator;
        }
        const std::string file = dir.file(separator ? "list.txt" : "list0.txt");
        WriteFile(file, Bytes(text.begin(), text.end()));
        return file;
    }
};

TEST_F(CliListTest, AListGivesWhatTheArgumentsGive) {
    const auto paths = Tree(12);
    std::string words;
    for (const auto& path : paths) {
        words += " " + ShellQuote(path);
    }
    const ShellRun byArguments = RunShell(Tool + " verify" + words);
    EXPECT_EQ(byArguments.status, 5);
    ASSERT_GE(Lines(byArguments.out).size(), 12u); // a damaged movie can have several problems
    const std::string list = ShellQuote(List(paths, '\n'));
    const std::string list0 = ShellQuote(List(paths, '\0'));
    for (const std::string& command :
         {Tool + " verify --files-from " + list, Tool + " verify --files-from - < " + list,
          Tool + " verify --null --files-from " + list0,
          "cat " + list0 + " | " + Tool + " verify --files-from=- --null"}) {
        const ShellRun run = RunShell(command);
        EXPECT_EQ(run.status, 5) << command;
        EXPECT_EQ(run.out, byArguments.out) << command;
    }
    EXPECT_EQ(RunShell(Tool + " info --files-from " + list + " >/dev/null").status, 0);
}

TEST_F(CliListTest, JsonLinesAreOneObjectPerMovieAndNameFailures) {
    const auto paths = Tree(8);
    const std::string list = ShellQuote(List(paths, '\n'));
    for (const std::string command : {"verify", "info"}) {
        const ShellRun run = RunShell(Tool + " " + command + " --jsonl --files-from " + list);
        const auto lines = Lines(run.out);
        ASSERT_EQ(lines.size(), paths.size()) << command;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].rfind("{\"path\": \"" + paths[i] + "\"", 0), 0u) << lines[i];
            EXPECT_EQ(lines[i].back(), '}');
        }
    }
    WriteFile(dir.file("empty.swf"), {});
    const ShellRun failed =
        RunShell(Tool + " info --jsonl " + ShellQuote(dir.file("empty.swf")) + " 2>/dev/null");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out.rfind("{\"path\": ", 0), 0u);
    EXPECT_NE(failed.out.find("\"error\": "), std::string::npos);
}

TEST_F(CliListTest, BatchFromAListResumesWithExist) {
    const auto paths = Tree(5);
    const std::string list = ShellQuote(List(paths, '\n'));
    fs::create_directories(dir.file("out"));
    const std::string command = Tool + " batch decompress --jsonl --files-from " + list +
                                " --output " + ShellQuote(dir.file("out")) + " 2>/dev/null";
    const ShellRun first = RunShell(command);
    const ShellRun again = RunShell(command);
    const auto firstLines = Lines(first.out), againLines = Lines(again.out);
    ASSERT_EQ(firstLines.size(), 5u);
    ASSERT_EQ(againLines.size(), 5u);
    // The damaged plain movie cannot be inflated: "Skip", and its output is written.
    EXPECT_EQ(firstLines[0].rfind("{\"status\": \"Skip\", \"input\": ", 0), 0u) << firstLines[0];
    EXPECT_EQ(firstLines[1].rfind("{\"status\": \"Ok\", \"input\": ", 0), 0u) << firstLines[1];
    EXPECT_NE(firstLines[1].find("\"outputSize\": 308}"), std::string::npos) << firstLines[1];
    for (const auto& line : againLines) {
        EXPECT_EQ(line.rfind("{\"status\": \"Exist!\", ", 0), 0u) << line;
        EXPECT_NE(line.find("\"output\": \"\""), std::string::npos) << line;
    }
}

TEST_F(CliListTest, ListOptionsThatDoNotFitAreUsageErrors) {
    const std::string movie = ShellQuote(Tree(1)[0]);
    for (const std::string& words :
         {"verify --null " + movie, "verify --files-from - " + movie + " </dev/null",
          "info --json --jsonl " + movie, "verify --jsonl --csv " + movie,
          "batch compress --files-from - " + movie + " --output /tmp </dev/null",
          std::string("verify --files-from")}) {
        EXPECT_EQ(RunShell(Tool + " " + words + " 2>/dev/null").status, 2) << words;
    }
    EXPECT_EQ(RunShell(Tool + " verify --files-from /no/such/list 2>/dev/null").status, 1);
    // An empty list is no movie at all, and nothing is wrong with it.
    EXPECT_EQ(RunShell(Tool + " verify --files-from - </dev/null").status, 0);
}

TEST_F(CliListTest, NoProgressLineWhenStderrIsNotATerminal) {
    const std::string list = ShellQuote(List(Tree(30), '\n'));
    const ShellRun run =
        RunShell(Tool + " verify --jobs 1 --files-from " + list + " 2>&1 >/dev/null");
    EXPECT_EQ(run.out, "");
}

// The archive commands must not drag in the drawing and video libraries.
TEST(CliStartTest, TheArchiveToolLinksNeitherQtNorFfmpeg) {
    const ShellRun ldd = RunShell("ldd " + Tool);
    ASSERT_EQ(ldd.status, 0);
    EXPECT_NE(ldd.out.find("libz.so"), std::string::npos);
    for (const char* library : {"libQt6", "libavcodec", "libavutil", "libswscale", "libGL"}) {
        EXPECT_EQ(ldd.out.find(library), std::string::npos) << library;
    }
}

// What a cluster does: the list cut into pieces, each piece checked by its own call,
// gives the same results as one call over the whole tree.
TEST_F(CliListTest, ParallelPiecesGiveTheSameResultsAsOneCall) {
    if (RunShell("parallel --version >/dev/null 2>&1").status != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    const auto paths = Tree(1100);
    const ShellRun whole =
        RunShell(Tool + " verify --jsonl --files-from " + ShellQuote(List(paths, '\n')));
    ASSERT_EQ(Lines(whole.out).size(), paths.size());
    const ShellRun pieces = RunShell("find " + ShellQuote(dir.file("t")) +
                                     " -name '*.swf' | parallel -j2 -N500 --pipe " + Tool +
                                     " verify --files-from - --jsonl");
    // Every piece holds damaged movies, so each of the three calls exits 5 and parallel
    // counts three failed calls.
    EXPECT_EQ(pieces.status, 3);
    EXPECT_EQ(LineSet(pieces.out), LineSet(whole.out));
}

} // namespace
