#include "batch/BatchRow.h"

#include "codec/FileIO.h"
#include "codec/Transforms.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

using namespace quillon;
using namespace quillon::test;

namespace {

TEST(BatchOutputPath, FolderSlashPrefixAndTheInputsName) {
    EXPECT_EQ(BatchOutputPath("/out", "compressed_", "/clips/intro.swf"),
              "/out/compressed_intro.swf");
    EXPECT_EQ(BatchOutputPath("/", "c_", "/clips/intro.swf"), "//c_intro.swf");
    EXPECT_EQ(BatchOutputPath("/out/", "", "intro.swf"), "/out//intro.swf");
    EXPECT_EQ(BatchOutputPath("", "p", "/a/b/c.swf"), "/pc.swf");
}

class BatchRowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string input = dir.file("in.swf");
    std::string target = dir.file("out.swf");
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_F(BatchRowTest, AnExistingOutputIsNeverReplaced) {
    WriteFile(input, PlainMovie(MovieBody(100)));
    WriteFile(target, {'x'});
    const BatchRowResult result = ProcessBatchRow({BatchKind::Compress}, input, target);
    EXPECT_EQ(result.status, "Exist!");
    EXPECT_FALSE(result.outputWritten);
    EXPECT_EQ(ReadFile(target), Bytes{'x'});
    // An empty prefix into the input's own folder names the input itself.
    EXPECT_EQ(
        ProcessBatchRow({BatchKind::Decompress}, input, BatchOutputPath(dir.path(), "", input))
            .status,
        "Exist!");
}

TEST_F(BatchRowTest, StatusesOfTheTransforms) {
    const Bytes body = MovieBody(1000);
    struct Case {
        const char* name;
        BatchKind kind;
        Bytes movie;
        const char* status;
        bool written;
    } cases[] = {
        {"compress", BatchKind::Compress, PlainMovie(body), "Ok", true},
        {"decompress", BatchKind::Decompress, CompressedMovie(body), "Ok", true},
        {"decompress a plain movie", BatchKind::Decompress, PlainMovie(body), "Skip", true},
        {"an empty input", BatchKind::Compress, {}, "Error", false},
        {"a short input", BatchKind::Compress, {'F', 'W'}, "Error", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(target);
        WriteFile(input, c.movie);
        const BatchRowResult result = ProcessBatchRow({c.kind}, input, target);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.outputWritten, c.written);
        EXPECT_EQ(FileExists(target), c.written);
        EXPECT_EQ(result.error.empty(), std::string(c.status) != "Error");
    }
}

TEST_F(BatchRowTest, AFullDiskIsReportedInTheRow) {
    SetWriteFaultHook([](WriteStep s) { return s == WriteStep::Write ? ENOSPC : 0; });
    WriteFile(input, PlainMovie(MovieBody(100)));
    const BatchRowResult result = ProcessBatchRow({BatchKind::Decompress}, input, target);
    EXPECT_EQ(result.status, "Disk full!");
    EXPECT_FALSE(result.outputWritten);
    EXPECT_FALSE(FileExists(target));
    // The one-row commands get the same report from the shared transform.
    EXPECT_EQ(TransformRow({BatchKind::Compress}, input, target).written, WriteResult::DiskFull);
}

TEST_F(BatchRowTest, AnyExceptionEndsTheRowAsErrorWithItsMessage) {
    WriteFile(input, PlainMovie(MovieBody(100)));
    struct Case {
        std::function<void()> raise;
        const char* message;
    } cases[] = {
        {[] { throw std::bad_alloc(); }, "Out of memory"},
        {[] { throw std::runtime_error("odd failure"); }, "odd failure"},
        {[] { throw 42; }, "Unknown error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        SetWriteFaultHook([&c](WriteStep) -> int {
            c.raise();
            return 0;
        });
        const BatchRowResult result = ProcessBatchRow({BatchKind::Compress}, input, target);
        EXPECT_EQ(result.status, "Error");
        EXPECT_EQ(result.error, c.message);
        EXPECT_FALSE(result.outputWritten);
    }
}

TEST_F(BatchRowTest, AnUnwritableOutputIsAnErrorWithItsMessage) {
    WriteFile(input, PlainMovie(MovieBody(100)));
    const BatchRowResult result =
        ProcessBatchRow({BatchKind::Compress}, input, dir.file("none/x.swf"));
    EXPECT_EQ(result.status, "Error");
    EXPECT_NE(result.error.find("Cannot create file"), std::string::npos);
}

} // namespace
