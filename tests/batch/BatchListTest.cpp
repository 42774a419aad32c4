// The grid's model, the file list and the scan's progress rule.

#include "batch/BatchList.h"

#include "batch/BatchListModel.h"
#include "batch/PathText.h"
#include "batch/ScanProgress.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

QString Shown(const BatchListModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

TEST(BatchListModel, ColumnsHeadersAndWidths) {
    BatchListModel model;
    ASSERT_EQ(model.columnCount(), 6);
    const int widths[] = {26, 362, 50, 303, 80, 80};
    const char* headers[] = {
        "", "Input file name", "Status", "Output file name", "Input file size", "Output file size"};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(BatchListModel::defaultColumnWidth(column), widths[column]);
        EXPECT_EQ(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                  QString::fromLatin1(headers[column]));
    }
    EXPECT_TRUE(model.setHeaderData(NxStatus, Qt::Horizontal, QStringLiteral("Statut")));
    EXPECT_EQ(model.headerData(NxStatus, Qt::Horizontal, Qt::DisplayRole).toString(), "Statut");
    EXPECT_FALSE(model.setHeaderData(0, Qt::Vertical, QStringLiteral("x")));
    EXPECT_FALSE(model.setHeaderData(6, Qt::Horizontal, QStringLiteral("x")));
}

// Each name of a path reads as UTF-8 where it is valid, as Latin-1 where it is not; the
// model keeps the bytes themselves for the commands.
TEST(BatchListModel, PathsKeepTheirBytesAndShowReadably) {
    const struct {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"/plain/a.swf", QStringLiteral("/plain/a.swf")},
        {"/caf\xc3\xa9/b.swf", QString::fromUtf8("/café/b.swf")},
        {"/caf\xe9/f\xeate.swf", QString::fromUtf8("/café/fête.swf")},
        {"/caf\xc3\xa9/f\xeate.swf", QString::fromUtf8("/café/fête.swf")},
    };
    BatchListModel model;
    std::vector<std::string> paths;
    for (const auto& c : cases) {
        EXPECT_EQ(PathText(c.bytes), c.shown) << c.bytes;
        paths.push_back(c.bytes);
    }
    model.appendPaths(paths);
    for (int r = 0; r < model.rowCount(); ++r) {
        EXPECT_EQ(Shown(model, r, NxFileName), cases[r].shown);
        EXPECT_EQ(model.pathCell(NxFileName, r), cases[r].bytes);
    }
    model.setPathCell(NxEndFileName, 2, "/out/c_f\xeate.swf");
    EXPECT_EQ(model.pathCell(NxEndFileName, 2), "/out/c_f\xeate.swf");
    EXPECT_EQ(Shown(model, 2, NxEndFileName), QString::fromUtf8("/out/c_fête.swf"));
}

TEST(BatchListModel, SizesShowTheirUnitAndStandRight) {
    BatchListModel model;
    model.appendRows({QStringLiteral("/a/intro.swf")});
    model.writeSizes({BatchSizes{1234, 0}});
    EXPECT_EQ(Shown(model, 0, NxFileSize), "1234 bytes");
    EXPECT_EQ(Shown(model, 0, NxEndFileSize), "0 bytes");
    EXPECT_EQ(model.cellText(NxFileSize, 0), "1234");
    const auto alignment =
        model.data(model.index(0, NxFileSize), Qt::TextAlignmentRole).value<Qt::Alignment>();
    EXPECT_TRUE(alignment & Qt::AlignRight);
    EXPECT_FALSE(model.data(model.index(0, NxFileName), Qt::TextAlignmentRole).isValid());
    // A size that could not be read leaves both cells empty, without a unit.
    model.appendRows({QStringLiteral("/a/gone.swf")});
    model.writeSizes({BatchSizes{}, BatchSizes{}});
    EXPECT_EQ(Shown(model, 1, NxFileSize), "");
    EXPECT_EQ(Shown(model, 0, NxFileSize), "1234 bytes");
}

TEST(BatchListModel, CellsAreReadOnlyAndMarksTakeNoClick) {
    BatchListModel model;
    model.appendRows({QStringLiteral("/a.swf")});
    for (int column = 0; column < BatchColumnCount; ++column) {
        const Qt::ItemFlags flags = model.flags(model.index(0, column));
        EXPECT_FALSE(flags & Qt::ItemIsEditable);
        EXPECT_FALSE(flags & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(model.setData(model.index(0, column), Qt::Checked, Qt::CheckStateRole));
    }
    EXPECT_EQ(model.data(model.index(0, NxProceed), Qt::CheckStateRole).value<Qt::CheckState>(),
              Qt::Unchecked);
}

TEST(BatchListModel, RowsKeepTheirOrderThroughInsertDeleteAndMarks) {
    BatchListModel model;
    model.appendRows({"/c.swf", "/a.swf", "/b.swf"});
    EXPECT_EQ(model.cellText(NxFileName, 0), "/c.swf");
    EXPECT_EQ(model.cellText(NxFileName, 2), "/b.swf");
    EXPECT_EQ(model.cellText(NxStatus, 1), "");
    EXPECT_FALSE(model.marked(1));

    model.setAllMarked(true);
    for (int r = 0; r < 3; ++r) {
        EXPECT_TRUE(model.marked(r));
    }
    model.deleteRow(1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.cellText(NxFileName, 1), "/b.swf");
    model.insertEmptyRow(0);
    EXPECT_EQ(model.cellText(NxFileName, 0), "");
    EXPECT_FALSE(model.marked(0));
    model.setCellNumber(NxEndFileSize, 0, 0);
    EXPECT_EQ(Shown(model, 0, NxEndFileSize), "0 bytes");
    model.setStatusTip(0, "why");
    EXPECT_EQ(model.data(model.index(0, NxStatus), Qt::ToolTipRole).toString(), "why");
    model.removeAllRows();
    EXPECT_EQ(model.rowCount(), 0);
    model.deleteRow(0); // no row: nothing happens
    EXPECT_EQ(model.cellText(NxFileName, 5), "");
}

TEST(BatchList, RemoveBatchFileShiftsLaterEntries) {
    BatchFiles = {"/a.swf", "/b.swf", "/c.swf"};
    BatchFileCount = 3;
    RemoveBatchFile(1);
    EXPECT_EQ(BatchFiles, (std::vector<std::string>{"/a.swf", "/c.swf"}));
    EXPECT_EQ(BatchFileCount, 2);
    RemoveBatchFile(1);
    EXPECT_EQ(BatchFiles, std::vector<std::string>{"/a.swf"});
    EXPECT_EQ(BatchFileCount, 1);
    // A row the list does not hold takes nothing away.
    RemoveBatchFile(4);
    RemoveBatchFile(-1);
    EXPECT_EQ(BatchFileCount, 1);
    ClearBatchFiles();
    RemoveBatchFile(0);
    EXPECT_EQ(BatchFileCount, 0);
    EXPECT_TRUE(BatchFiles.empty());
}

TEST(ScanProgress, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(ScanBarPosition(300), 2); // 1.5
    EXPECT_EQ(ScanBarPosition(100), 0); // 0.5
    EXPECT_EQ(ScanBarPosition(500), 2); // 2.5
    EXPECT_EQ(ScanBarPosition(700), 4); // 3.5
    EXPECT_EQ(ScanBarPosition(299), 1);
    EXPECT_EQ(ScanBarPosition(301), 2);
    EXPECT_EQ(ScanBarPosition(19850), 99);
    EXPECT_EQ(ScanBarPosition(0), 0);
    EXPECT_EQ(ScanBarPosition(40000), 100); // clamped to the bar's range
}

TEST(ScanProgress, CounterRestartsAboveNinetyEight) {
    std::int64_t counter = 19850;
    ScanProgress progress(99);
    EXPECT_EQ(progress.step(counter, counter), 99); // uses the value passed in
    EXPECT_EQ(counter, 1);
    ++counter;
    EXPECT_EQ(progress.step(counter, counter), 0);
    EXPECT_EQ(counter, 1); // the bar still stood at 99 when this folder was entered
    counter += 300;
    EXPECT_EQ(progress.step(counter, counter), 2);
    EXPECT_EQ(counter, 301);

    std::int64_t low = 19800; // bar at 98: no restart
    ScanProgress below(98);
    EXPECT_EQ(below.step(low, low), 99);
    EXPECT_EQ(low, 19800);
}

} // namespace
} // namespace quillon
