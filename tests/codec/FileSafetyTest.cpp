// What the file layer does with hostile names and odd folders: special files are
// refused without waiting, scratch files never write through a planted link, and a
// target in a folder that allows no new file can still be replaced.

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/Transforms.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillon;
using namespace quillon::test;
namespace fs = std::filesystem;

namespace {

class FileSafety : public ::testing::Test {
protected:
    TempDir dir;
    void TearDown() override { SetWriteFaultHook(nullptr); }
};

TEST_F(FileSafety, ReadingAFifoFailsAtOnceWithAClearError) {
    const std::string pipe = dir.file("pipe.swf");
    if (::mkfifo(pipe.c_str(), 0600) != 0) {
        GTEST_SKIP() << "this machine cannot make a FIFO here";
    }
    // Without a writer, a blocking open would never return.
    try {
        ReadWholeFile(pipe);
        FAIL() << "a FIFO was read";
    } catch (const EFOpenError& error) {
        EXPECT_NE(std::string(error.what()).find("not a regular file"), std::string::npos);
    }
    bool inflateFailed = false;
    EXPECT_THROW(DecompressSwfFile(pipe, dir.file("out.swf"), inflateFailed), EFOpenError);
    EXPECT_THROW(ReadWholeFile("/dev/null"), EFOpenError);
}

TEST_F(FileSafety, AScratchFileNeverWritesThroughAPlantedLink) {
    const std::string victim = dir.file("victim.txt");
    const std::string scratch = dir.file("$test.swf");
    WriteFile(victim, {'k', 'e', 'e', 'p'});
    fs::create_symlink(victim, scratch);
    {
        ScratchFile file(scratch);
        ASSERT_TRUE(file.write(Bytes{'n', 'e', 'w'}));
        EXPECT_FALSE(fs::is_symlink(scratch));
        EXPECT_EQ(ReadFile(scratch), (Bytes{'n', 'e', 'w'}));
    }
    EXPECT_EQ(ReadFile(victim), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch)));
}

TEST_F(FileSafety, OnlyTheScratchFileThisProgramMadeIsRemoved) {
    const std::string scratch = dir.file("$test2.swf");
    {
        ScratchFile file(scratch);
        ASSERT_TRUE(file.write(Bytes{'a'}));
        // Someone else's file takes the name meanwhile: it stays.
        WriteFile(dir.file("other"), {'o', 't', 'h', 'e', 'r'});
        fs::rename(dir.file("other"), scratch);
    }
    EXPECT_EQ(ReadFile(scratch), (Bytes{'o', 't', 'h', 'e', 'r'}));
    {
        ScratchFile unused(scratch); // never written: it removes nothing
    }
    EXPECT_TRUE(fs::exists(scratch));
}

TEST_F(FileSafety, AFailedScratchWriteLeavesNothing) {
    const std::string scratch = dir.file("$test.swf");
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write ? ENOSPC : 0; });
    ScratchFile file(scratch);
    EXPECT_FALSE(file.write(Bytes(100, 1)));
    EXPECT_FALSE(fs::exists(scratch));
}

// The folder refuses the temporary file (as a read-only folder does for anyone but
// root); the target itself is writable, so it is rewritten where it stands.
TEST_F(FileSafety, AWritableTargetInAReadOnlyFolderIsRewrittenInPlace) {
    const std::string target = dir.file("out.swf");
    WriteFile(target, {'o', 'l', 'd'});
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Create ? EACCES : 0; });
    EXPECT_TRUE(WriteFileReplacing(target, Bytes{'n', 'e', 'w', '!'}));
    EXPECT_EQ(ReadFile(target), (Bytes{'n', 'e', 'w', '!'}));

    // A failure of that write says what happened to the target.
    SetWriteFaultHook([](WriteStep step) {
        return step == WriteStep::Create ? EACCES : step == WriteStep::Write ? ENOSPC : 0;
    });
    try {
        WriteFileReplacing(target, Bytes{'x'});
        FAIL() << "the failed in-place write was not reported";
    } catch (const EInPlaceWriteError& error) {
        EXPECT_NE(std::string(error.what()).find("in place"), std::string::npos);
    }
    // A target that does not exist yet cannot be made there.
    EXPECT_THROW(WriteFileReplacing(dir.file("new.swf"), Bytes{'x'}), EFCreateError);
}

TEST_F(FileSafety, AReplacedFileKeepsItsOwnerAndGroupWhenRunAsRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file to another owner";
    }
    const std::string target = dir.file("owned.swf");
    WriteFile(target, {'o', 'l', 'd'});
    ASSERT_EQ(::chown(target.c_str(), 1234, 5678), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileReplacing(target, Bytes{'n', 'e', 'w'}));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 5678u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

} // namespace
