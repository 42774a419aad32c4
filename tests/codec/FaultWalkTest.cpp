// Walks an injected failure over every step of every file write an operation makes:
// each time the old target (or no target) is intact, no temporary file is left, the
// source is untouched, and the failure is reported.

#include "batch/BatchRow.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/Transforms.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace quillon;
using namespace quillon::test;
namespace fs = std::filesystem;

namespace {

// Every file below a folder with its bytes.
std::map<std::string, Bytes> Snapshot(const std::string& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().string()] = ReadFile(entry.path().string());
        }
    }
    return files;
}

class FaultWalk : public ::testing::Test {
protected:
    TempDir dir;
    void TearDown() override { SetWriteFaultHook(nullptr); }

    // How many fault points an operation passes when nothing fails.
    int CountSteps(const std::function<void()>& operation) {
        int steps = 0;
        SetWriteFaultHook([&](WriteStep) { return ++steps, 0; });
        operation();
        SetWriteFaultHook(nullptr);
        return steps;
    }

    // Runs the operation with the n-th step failing; returns whether it reported a
    // failure (an exception or a result that says so).
    template <typename Operation>
    void Walk(const std::function<void()>& reset, Operation operation) {
        reset();
        const int steps = CountSteps([&] { operation(); });
        ASSERT_GT(steps, 0);
        for (int n = 1; n <= steps; ++n) {
            SCOPED_TRACE("failing step " + std::to_string(n) + " of " + std::to_string(steps));
            reset();
            const auto before = Snapshot(dir.path());
            int seen = 0;
            SetWriteFaultHook([&](WriteStep) { return ++seen == n ? ENOSPC : 0; });
            bool reported = false;
            try {
                reported = operation();
            } catch (const EFCreateError&) {
                reported = true;
            }
            SetWriteFaultHook(nullptr);
            EXPECT_TRUE(reported);
            // Nothing changed on disk: no partial target and no temporary file.
            const auto after = Snapshot(dir.path());
            for (const auto& [path, bytes] : after) {
                const auto old = before.find(path);
                if (old != before.end()) {
                    EXPECT_EQ(bytes, old->second) << path;
                } else {
                    // A new file may only be a complete output of an earlier batch row.
                    EXPECT_EQ(fs::path(path).filename().string().find(".quillon-"),
                              std::string::npos)
                        << path;
                }
            }
        }
    }
};

TEST_F(FaultWalk, Compress) {
    const std::string source = dir.file("movie.swf"), target = dir.file("out.swf");
    Walk(
        [&] {
            WriteFile(source, PlainMovie(MovieBody(100000)));
            WriteFile(target, {'o', 'l', 'd'});
        },
        [&] { return CompressSwfFile(source, target, 9) == WriteResult::DiskFull; });
}

TEST_F(FaultWalk, DecompressBothForms) {
    const std::string source = dir.file("movie.swf"), target = dir.file("out.swf");
    const auto reset = [&] {
        WriteFile(source, CompressedMovie(MovieBody(100000)));
        fs::remove(target);
    };
    Walk(reset, [&] {
        bool failed = false;
        return DecompressSwfFile(source, target, failed) == WriteResult::DiskFull;
    });
    Walk(reset, [&] { return DecompressSwfFile(source, target) == WriteResult::DiskFull; });
}

TEST_F(FaultWalk, ABatchRunOfAFewFiles) {
    fs::create_directories(dir.file("in"));
    fs::create_directories(dir.file("out"));
    std::vector<std::string> inputs;
    for (int i = 0; i < 3; ++i) {
        inputs.push_back(dir.file("in/m" + std::to_string(i) + ".swf"));
    }
    const auto reset = [&] {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            WriteFile(inputs[i], PlainMovie(MovieBody(20000 + i)));
        }
        fs::remove_all(dir.file("out"));
        fs::create_directories(dir.file("out"));
    };
    Walk(reset, [&] {
        bool anyDiskFull = false;
        for (const auto& input : inputs) {
            const BatchRowResult row = ProcessBatchRow(
                {BatchKind::Compress}, input, BatchOutputPath(dir.file("out"), "c_", input));
            anyDiskFull |= row.status == StatusDiskFull || row.status == StatusError;
            EXPECT_EQ(row.outputWritten, FileExists(BatchOutputPath(dir.file("out"), "c_", input)));
        }
        return anyDiskFull;
    });
}

} // namespace
