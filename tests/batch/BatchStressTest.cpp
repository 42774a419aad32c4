// A batch run from the window over a tree of generated movies, a third of them damaged:
// both runs finish, every row gets a status, and the damaged movies are the ones that
// fail. The large count runs as bench/stress/gui-batch-stress.

#include "BatchFixtures.h"
#include "WindowBatchRun.h"
#include "batch/BatchList.h"
#include "support/StressMovies.h"
#include "settings/SettingsValues.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(WindowBatchStress, DamagedMoviesAmongGoodOnesAllGetAStatus) {
    test::TestApplication<QApplication>();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int count = 300;
    const test::StressTree tree = test::MakeStressMovies((dir.path() + "/in").toStdString(), count);
    QDir().mkpath(dir.path() + "/out-c");
    QDir().mkpath(dir.path() + "/out-d");
    CompressedPrefix = "";
    DecompressedPrefix = "";
    BatchAllMarked = false;
    ClearBatchFiles();
    test::ScriptedModal modal;
    test::BatchTestWindow window;
    window.show();
    window.controller->applyBatchMode();

    const auto compressed =
        test::RunBatchFromWindow(window, dir.path() + "/in", dir.path() + "/out-c", true);
    EXPECT_EQ(compressed.rows, count);
    EXPECT_EQ(compressed.withoutStatus, 0);
    // Every plain movie, damaged or not, compresses; the compressed ones and the empty
    // ones are errors, and nothing existed before.
    EXPECT_GT(compressed.count.value("Ok"), 0);
    EXPECT_GT(compressed.count.value("Error"), 0);
    EXPECT_EQ(compressed.count.value("Ok") + compressed.count.value("Error"), count);

    const auto decompressed =
        test::RunBatchFromWindow(window, dir.path() + "/in", dir.path() + "/out-d", false);
    EXPECT_EQ(decompressed.rows, count);
    EXPECT_EQ(decompressed.withoutStatus, 0);
    // At least the undamaged compressed movies come back; at most everything but the
    // damaged compressed ones that cannot be read at all.
    const int goodCompressed = (count - tree.damaged) / 2;
    EXPECT_GE(decompressed.count.value("Ok"), goodCompressed);
    EXPECT_GT(decompressed.count.value("Error") + decompressed.count.value("Skip"), 0);
    EXPECT_TRUE(modal.errors.isEmpty()) << modal.errors.join("\n").toStdString();
}

} // namespace
} // namespace quillon
