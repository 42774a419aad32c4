// The shared batch engine: which rows wait for which, and that any number of jobs gives
// the rows of one, failures included.

#include "batch/BatchRun.h"

#include "batch/CaseFold.h"
#include "codec/FileIO.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

using namespace quillon;
using namespace quillon::test;

namespace {

TEST(CaseFold, NamesThatDifferOnlyInCaseFoldAlike) {
    EXPECT_EQ(FoldCase("/Out/Intro.SWF"), "/out/intro.swf");
    EXPECT_EQ(FoldCase("/out/\xC3\x89t\xC3\xA9.swf"), FoldCase("/out/\xC3\xA9T\xC3\xA9.swf"));
    // A Latin-1 name is no UTF-8: its bytes stay, its ASCII letters still fold.
    EXPECT_EQ(FoldCase("/A\xE9.swf"), "/a\xE9.swf");
    EXPECT_EQ(FoldCase("\xE2\x82"), "\xE2\x82"); // cut short
    EXPECT_NE(FoldCase("/a.swf"), FoldCase("/b.swf"));
}

TEST(BatchChains, RowsSharingAPathWaitInScanOrder) {
    const std::vector<BatchRowJob> rows = {
        {"/in/x/A.swf", "/out/A.swf"}, // 0
        {"/in/c.swf", "/out/c.swf"},   // 1
        {"/in/y/a.swf", "/out/a.swf"}, // 2: the same output name as 0 on vfat
        {"/in/d.swf", "/out/d.swf"},   // 3
        {"/out/c.swf", "/out2/c.swf"}, // 4: reads what 1 writes
        {"/in/e.swf", "/OUT/D.SWF"},   // 5: the same as 3, in other letters
    };
    EXPECT_EQ(BatchChains(rows), (Chains{{0, 2}, {1, 4}, {3, 5}}));
}

class BatchRunTest : public ::testing::Test {
protected:
    void TearDown() override { SetWriteFaultHook(nullptr); }

    // Movies in two folders, some sharing a name, and the rows of a run over them.
    std::vector<BatchRowJob> makeRows(int count) {
        std::vector<BatchRowJob> rows;
        for (int i = 0; i < count; ++i) {
            const std::string input =
                dir.file((i % 2 ? "b/" : "a/") + std::to_string(i / 3) + ".swf");
            if (!FileExists(input)) {
                WriteFile(input, PlainMovie(MovieBody(2000 + 10 * static_cast<std::size_t>(i))));
            }
            rows.push_back({input, BatchOutputPath(dir.file("out"), "c_", input)});
        }
        std::filesystem::create_directories(dir.file("out"));
        return rows;
    }
    // Movies that all get outputs of their own.
    std::vector<BatchRowJob> distinctRows(int count) {
        std::vector<BatchRowJob> rows;
        for (int i = 0; i < count; ++i) {
            const std::string input = dir.file("m" + std::to_string(i) + ".swf");
            WriteFile(input, PlainMovie(MovieBody(3000)));
            rows.push_back({input, BatchOutputPath(dir.file("out"), "", input)});
        }
        return rows;
    }
    std::vector<BatchRowResult> run(const std::vector<BatchRowJob>& rows, int jobs,
                                    const BatchRunHooks& hooks = {}) {
        std::filesystem::remove_all(dir.file("out"));
        std::filesystem::create_directories(dir.file("out"));
        std::vector<BatchRowResult> results;
        RunBatch(rows, {BatchKind::Compress}, jobs, hooks,
                 [&](std::size_t i, const BatchRowResult& result) {
                     EXPECT_EQ(i, results.size()); // in row order
                     results.push_back(result);
                 });
        return results;
    }
    static std::vector<std::string> statuses(const std::vector<BatchRowResult>& results) {
        std::vector<std::string> texts;
        for (const auto& r : results) {
            texts.push_back(r.status + (r.outputWritten ? "+" : "") + r.error);
        }
        return texts;
    }
    TempDir dir;
};

TEST_F(BatchRunTest, AnyNumberOfJobsGivesTheRowsOfOne) {
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    const auto rows = makeRows(24);
    const auto one = statuses(run(rows, 1));
    // a/0 writes c_0.swf; b/0 and a/0 again find it there; b/1 writes c_1.swf.
    EXPECT_EQ(one[0], "Ok+");
    EXPECT_EQ(one[1], "Exist!");
    EXPECT_EQ(one[2], "Exist!");
    EXPECT_EQ(one[3], "Ok+");
    for (const int jobs : {2, 3, 8}) {
        SCOPED_TRACE(jobs);
        EXPECT_EQ(statuses(run(rows, jobs)), one);
    }
}

TEST_F(BatchRunTest, AFailureEndsOnlyItsRowInEveryJobCount) {
    const auto rows = distinctRows(6);
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        std::atomic<int> writes = 0;
        // The third write of the run runs out of memory, whichever row it belongs to.
        SetWriteFaultHook([&writes](WriteStep step) -> int {
            if (step == WriteStep::Create && ++writes == 3) {
                throw std::bad_alloc();
            }
            return 0;
        });
        const auto results = statuses(run(rows, jobs));
        SetWriteFaultHook(nullptr);
        ASSERT_EQ(results.size(), rows.size());
        EXPECT_EQ(std::count(results.begin(), results.end(), "ErrorOut of memory"), 1);
        EXPECT_EQ(std::count(results.begin(), results.end(), "Ok+"), 5);
    }
}

TEST_F(BatchRunTest, NamesThatDifferInCaseRunOneAfterAnother) {
    std::filesystem::create_directories(dir.file("x"));
    std::filesystem::create_directories(dir.file("y"));
    WriteFile(dir.file("x/A.swf"), PlainMovie(MovieBody(50000)));
    WriteFile(dir.file("y/a.swf"), PlainMovie(MovieBody(100)));
    const std::vector<BatchRowJob> rows = {{dir.file("x/A.swf"), dir.file("out/A.swf")},
                                           {dir.file("y/a.swf"), dir.file("out/a.swf")}};
    std::mutex mutex;
    std::vector<std::pair<std::size_t, std::thread::id>> started;
    BatchRunHooks hooks;
    hooks.rowStarted = [&](std::size_t i) {
        std::lock_guard lock(mutex);
        started.emplace_back(i, std::this_thread::get_id());
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        started.clear();
        run(rows, 2, hooks);
        ASSERT_EQ(started.size(), 2u);
        EXPECT_EQ(started[0].first, 0u);
        EXPECT_EQ(started[0].second, started[1].second);
    }
}

TEST_F(BatchRunTest, AStopLeavesTheRestUnrun) {
    const auto rows = distinctRows(6);
    for (const int jobs : {1, 2}) {
        std::atomic<int> asked = 0;
        BatchRunHooks hooks;
        hooks.stopRequested = [&] { return ++asked > 2; };
        const auto results = run(rows, jobs, hooks);
        ASSERT_EQ(results.size(), rows.size());
        EXPECT_EQ(std::count_if(results.begin(), results.end(),
                                [](const BatchRowResult& r) { return r.status.empty(); }),
                  4);
    }
}

TEST(RunInOrder, AnExceptionInTheWorkPassesOnAtItsTurn) {
    for (const int jobs : {1, 2}) {
        std::vector<std::size_t> emitted;
        const auto work = [](std::size_t i) -> int {
            if (i == 3) {
                throw std::runtime_error("failed");
            }
            return static_cast<int>(i);
        };
        EXPECT_THROW(RunInOrder<int>(SingleChains(8), 8, jobs, work,
                                     [&](std::size_t i, const int&) { emitted.push_back(i); }),
                     std::runtime_error);
        EXPECT_EQ(emitted, (std::vector<std::size_t>{0, 1, 2}));
    }
}

} // namespace
