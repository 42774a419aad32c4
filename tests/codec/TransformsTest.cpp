#include "codec/Transforms.h"

#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/SwfImage.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

using namespace quillon;
using namespace quillon::test;

namespace {

class TransformsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string source = dir.file("source.swf");
    std::string target = dir.file("target.swf");

    Bytes Header(const Bytes& movie) { return Bytes(movie.begin(), movie.begin() + 8); }
    Bytes PlainHeader(const Bytes& movie) {
        Bytes header = Header(movie);
        header[0] = 'F';
        return header;
    }
    bool Decompress(const Bytes& movie) {
        WriteFile(source, movie);
        bool failed = true;
        EXPECT_EQ(DecompressSwfFile(source, target, failed), WriteResult::Written);
        return failed;
    }
};

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A zlib stream whose first `good` bytes of data inflate, followed by an invalid block.
Bytes StreamCorruptAfter(const Bytes& data, std::size_t good) {
    z_stream z{};
    deflateInit(&z, 9);
    Bytes out(compressBound(static_cast<uLong>(good)) + 64);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(good);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FULL_FLUSH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    out.push_back(0xFF); // a final block of the reserved type 3
    out.push_back(0xFF);
    return out;
}

TEST_F(TransformsTest, CompressThenDecompressGivesBackTheSameBytes) {
    const Bytes movie = PlainMovie(MovieBody(200000));
    WriteFile(source, movie);
    ASSERT_EQ(CompressSwfFile(source, target, 9), WriteResult::Written);
    const Bytes compressed = ReadFile(target);
    EXPECT_EQ(std::string(compressed.begin(), compressed.begin() + 3), "CWS");
    EXPECT_EQ(Bytes(compressed.begin() + 3, compressed.begin() + 8),
              Bytes(movie.begin() + 3, movie.begin() + 8));
    EXPECT_EQ(Inflate(Bytes(compressed.begin() + 8, compressed.end())),
              Bytes(movie.begin() + 8, movie.end()));

    bool failed = true;
    ASSERT_EQ(DecompressSwfFile(target, dir.file("again.swf"), failed), WriteResult::Written);
    EXPECT_FALSE(failed);
    EXPECT_EQ(ReadFile(dir.file("again.swf")), movie);
}

TEST_F(TransformsTest, AnEightByteMovieCompressesToTheStreamOfNoData) {
    WriteFile(source, {'F', 'W', 'S', 10, 8, 0, 0, 0});
    CompressSwfFile(source, target, 9);
    EXPECT_EQ(ReadFile(target),
              (Bytes{'C', 'W', 'S', 10, 8, 0, 0, 0, 0x78, 0xDA, 0x03, 0, 0, 0, 0, 1}));
}

TEST_F(TransformsTest, CompressingACompressedMovieWrapsItsStreamAgain) {
    const Bytes movie = CompressedMovie(MovieBody(5000));
    WriteFile(source, movie);
    CompressSwfFile(source, target, 9);
    const Bytes twice = ReadFile(target);
    EXPECT_EQ(std::string(twice.begin(), twice.begin() + 3), "CWS");
    EXPECT_EQ(Inflate(Bytes(twice.begin() + 8, twice.end())),
              Bytes(movie.begin() + 8, movie.end()));
}

TEST_F(TransformsTest, DeclaredLengthDecidesHowMuchIsInflated) {
    const Bytes body = MovieBody(200000);
    struct Case {
        const char* name;
        std::int64_t declared;
        bool trailing;
        bool failed;
        std::size_t bodyBytes;
    } cases[] = {
        {"exactly the header", 8, false, false, 0},
        {"shorter than the body", 1000, false, false, 992},
        {"the body", 200008, false, false, 200000},
        {"the body, bytes after the stream", 200008, true, false, 200000},
        // The data runs out in the fourth block: three whole blocks are kept.
        {"100,000 too long", 300008, false, true, 3 * InflateBlockSize},
        {"100,000 too long, bytes after the stream", 300008, true, true, 3 * InflateBlockSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes movie = CompressedMovie(body, 10, c.declared);
        if (c.trailing) {
            movie = Concat(movie, Bytes(100, 0x55));
        }
        EXPECT_EQ(Decompress(movie), c.failed);
        const Bytes out = ReadFile(target);
        ASSERT_EQ(out.size(), 8 + c.bodyBytes);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), PlainHeader(movie));
        EXPECT_TRUE(std::equal(out.begin() + 8, out.end(), body.begin()));
    }
}

TEST_F(TransformsTest, OnlyCompletedBlocksReachTheOutput) {
    const std::size_t block = InflateBlockSize;
    struct Case {
        std::size_t bodySize;
        std::size_t declaredBody;
        bool failed;
        std::size_t kept;
    } cases[] = {
        {block, block, false, block},
        {block + 1, block + 1, false, block + 1},
        {block, block + 1, true, block}, // the second block never fills
        {block - 1, block, true, 0},     // nor does the first
        {2 * block, 2 * block + 5, true, 2 * block},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bodySize);
        const Bytes body = MovieBody(c.bodySize);
        EXPECT_EQ(Decompress(CompressedMovie(body, 10, c.declaredBody + 8)), c.failed);
        const Bytes out = ReadFile(target);
        ASSERT_EQ(out.size(), 8 + c.kept);
        EXPECT_TRUE(std::equal(out.begin() + 8, out.end(), body.begin()));
    }
}

TEST_F(TransformsTest, CorruptDataKeepsTheCompletedBlocksThenTheRawBody) {
    const Bytes body = MovieBody(200000);
    const Bytes stream = StreamCorruptAfter(body, 150000);
    Bytes movie = {'C', 'W', 'S', 9, 0x48, 0x0D, 0x03, 0}; // declares 200,008
    movie = Concat(movie, stream);
    Bytes expected =
        Concat(PlainHeader(movie), Bytes(body.begin(), body.begin() + 2 * InflateBlockSize));
    expected = Concat(expected, stream);

    EXPECT_TRUE(Decompress(movie));
    EXPECT_EQ(ReadFile(target), expected);

    WriteFile(source, movie);
    EXPECT_EQ(DecompressSwfFile(source, dir.file("plain-form.swf")), WriteResult::Written);
    EXPECT_EQ(ReadFile(dir.file("plain-form.swf")), expected);
}

TEST_F(TransformsTest, APlainMovieDecompressesToACopyAndReportsTheFailure) {
    const Bytes movie = PlainMovie(MovieBody(3000));
    EXPECT_TRUE(Decompress(movie));
    EXPECT_EQ(ReadFile(target), movie);
}

TEST_F(TransformsTest, TruncatedDataRunsOut) {
    Bytes movie = CompressedMovie(MovieBody(100000));
    movie.resize(movie.size() / 2);
    EXPECT_TRUE(Decompress(movie));
    EXPECT_EQ(ReadFile(target).size() % InflateBlockSize, 8u);
}

TEST_F(TransformsTest, DeclaredLengthBelowTheHeader) {
    const Bytes movie = CompressedMovie(MovieBody(100), 10, 7);
    EXPECT_TRUE(Decompress(movie));
    EXPECT_EQ(ReadFile(target), PlainHeader(movie));

    const std::string plainTarget = dir.file("plain-form.swf");
    EXPECT_THROW(DecompressSwfFile(source, plainTarget), EWriteError);
    EXPECT_EQ(ReadFile(plainTarget), PlainHeader(movie)); // written before the error
}

TEST_F(TransformsTest, AStreamThatNeedsADictionaryIsAnotherError) {
    const Bytes movie = {'C', 'W', 'S', 10, 100, 0, 0, 0, 0x78, 0xBB, 0, 0, 0, 1, 3, 0};
    EXPECT_TRUE(Decompress(movie));
    WriteFile(source, movie);
    EXPECT_THROW(DecompressSwfFile(source, dir.file("plain-form.swf")), ECompressionError);
    EXPECT_EQ(ReadFile(dir.file("plain-form.swf")), PlainHeader(movie));
}

TEST_F(TransformsTest, ASourceShorterThanItsHeader) {
    WriteFile(source, {'C', 'W', 'S', 10, 1});
    EXPECT_THROW(CompressSwfFile(source, target, 9), EReadError);
    EXPECT_FALSE(FileExists(target));

    bool failed = true;
    EXPECT_THROW(DecompressSwfFile(source, target, failed), EReadError);
    EXPECT_FALSE(failed);
    EXPECT_EQ(ReadFile(target), Bytes{'F'});
}

TEST_F(TransformsTest, AnEmptySourceWritesNothingAndLeavesTheTargetAlone) {
    WriteFile(source, {});
    WriteFile(target, {1, 2, 3});
    EXPECT_EQ(CompressSwfFile(source, target, 9), WriteResult::NothingWritten);
    bool failed = true;
    EXPECT_EQ(DecompressSwfFile(source, target, failed), WriteResult::NothingWritten);
    EXPECT_FALSE(failed);
    EXPECT_EQ(DecompressSwfFile(source, target), WriteResult::NothingWritten);
    EXPECT_EQ(ReadFile(target), (Bytes{1, 2, 3}));
}

TEST_F(TransformsTest, AMissingSourceNamesItsPath) {
    try {
        CompressSwfFile(dir.file("missing.swf"), target, 9);
        FAIL() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file \"" + dir.file("missing.swf") +
                                                 "\". No such file or directory");
    }
    bool failed = true;
    EXPECT_THROW(DecompressSwfFile(dir.file("missing.swf"), target, failed), EFOpenError);
    EXPECT_FALSE(failed);
    EXPECT_THROW(DecompressSwfFile(dir.path(), target), EFOpenError);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(TransformsTest, ATargetThatCannotBeCreatedNamesItsPathAndLeavesNothing) {
    WriteFile(source, PlainMovie(MovieBody(100)));
    const std::string inMissingFolder = dir.file("no/such/folder.swf");
    try {
        CompressSwfFile(source, inMissingFolder, 9);
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + inMissingFolder + "\". No such file or directory");
    }
    std::filesystem::create_directory(dir.file("folder.swf"));
    EXPECT_THROW(CompressSwfFile(source, dir.file("folder.swf"), 9), EFCreateError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(TransformsTest, SourceAndTargetMayBeTheSameFile) {
    const Bytes movie = PlainMovie(MovieBody(10000));
    WriteFile(source, movie);
    CompressSwfFile(source, source, 9);
    bool failed = true;
    DecompressSwfFile(source, source, failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(ReadFile(source), movie);
}

TEST_F(TransformsTest, WritingThroughALinkKeepsTheLink) {
    const std::string real = dir.file("real.swf");
    WriteFile(real, {0});
    std::filesystem::create_symlink(real, target);
    WriteFile(source, PlainMovie(MovieBody(100)));
    CompressSwfFile(source, target, 9);
    EXPECT_TRUE(std::filesystem::is_symlink(target));
    EXPECT_EQ(ReadFile(real)[0], 'C');
}

TEST(InflateMemory, ADeclaredLengthIsNotTrustedForMemory) {
    Bytes movie = CompressedMovie(MovieBody(1024), 10, 0xFFFFFFFF);
    Bytes output;
    EXPECT_EQ(DecompressSwfImage(movie, output), InflateOutcome::RanOut);
    EXPECT_LT(output.capacity(), std::size_t(64) << 20);
}

// The safe write: whichever step fails, the old target survives and nothing is left.
class FailingWriteTest : public TransformsTest {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }
    std::size_t EntriesInFolder() {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(FailingWriteTest, EveryFailingStepKeepsTheOldTarget) {
    const Bytes movie = PlainMovie(MovieBody(5000));
    const Bytes old = {'o', 'l', 'd'};
    for (const WriteStep step :
         {WriteStep::Write, WriteStep::Flush, WriteStep::Close, WriteStep::Rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        WriteFile(source, movie);
        WriteFile(target, old);
        SetWriteFaultHook([step](WriteStep s) { return s == step ? ENOSPC : 0; });
        EXPECT_EQ(CompressSwfFile(source, target, 9), WriteResult::DiskFull);
        EXPECT_EQ(ReadFile(target), old);
        EXPECT_EQ(ReadFile(source), movie);
        EXPECT_EQ(EntriesInFolder(), 2u);
    }

    // No room for the temporary file. (A folder that refuses it, EACCES, has the target
    // rewritten in place instead: FileSafetyTest.)
    SetWriteFaultHook([](WriteStep s) { return s == WriteStep::Create ? ENOSPC : 0; });
    EXPECT_THROW(CompressSwfFile(source, target, 9), EFCreateError);
    EXPECT_EQ(ReadFile(target), old);
}

TEST_F(FailingWriteTest, AFullDiskIsToldByTheResultAloneOnAnyThread) {
    WriteFile(source, PlainMovie(MovieBody(5000)));
    SetWriteFaultHook([](WriteStep s) { return s == WriteStep::Write ? EIO : 0; });
    WriteResult onWorker = WriteResult::Written;
    std::thread worker([&] { onWorker = CompressSwfFile(source, dir.file("other.swf"), 9); });
    const WriteResult here = CompressSwfFile(source, target, 9);
    worker.join();
    EXPECT_EQ(onWorker, WriteResult::DiskFull);
    EXPECT_EQ(here, WriteResult::DiskFull);
    bool inflateFailed = true;
    EXPECT_EQ(DecompressSwfFile(source, target, inflateFailed), WriteResult::DiskFull);
}

} // namespace

namespace {

// A 64 KiB file system of its own, where the superuser may mount one.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::string& where) : where_(where) {
        std::filesystem::create_directories(where);
        const std::string command = "mount -t tmpfs -o size=64k tmpfs '" + where + "' 2>/dev/null";
        mounted_ = ::geteuid() == 0 && std::system(command.c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) {
            (void)std::system(("umount '" + where_ + "'").c_str());
        }
    }
    bool mounted() const { return mounted_; }

private:
    std::string where_;
    bool mounted_ = false;
};

TEST(SmallFileSystemTest, ARealFullDiskKeepsTheOldTargetAndLeavesNothing) {
    TempDir dir;
    SmallFileSystem small(dir.file("small"));
    if (!small.mounted()) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    Bytes noise(200000);
    std::uint32_t state = 1;
    for (auto& byte : noise) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    const std::string source = dir.file("source.swf");
    const std::string target = dir.file("small/target.swf");
    WriteFile(source, PlainMovie(noise));
    WriteFile(target, {'o', 'l', 'd'});
    EXPECT_EQ(CompressSwfFile(source, target, 9), WriteResult::DiskFull);
    EXPECT_EQ(ReadFile(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("small")), {}), 1);
}

} // namespace
