#pragma once
// The batch grid's rows: mark, input, status, output and the two sizes.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

namespace quillon {

enum BatchColumn {
    NxProceed,
    NxFileName,
    NxStatus,
    NxEndFileName,
    NxFileSize,
    NxEndFileSize,
    BatchColumnCount
};

struct BatchRowCells {
    bool marked = false;
    QString fileName; // the readable form of filePath
    QString status;
    QString endFileName; // the readable form of endFilePath
    // The paths themselves: a name need not be UTF-8, so the commands use these bytes.
    std::string filePath;
    std::string endFilePath;
    QString fileSize;    // decimal digits, or empty
    QString endFileSize; // decimal digits, or empty
    QString statusTip;   // why a row reads "Error"
};

// A size read for one row; -1 leaves the cell as it is.
struct BatchSizes {
    qint64 fileSize = -1;
    qint64 endFileSize = -1;
};

// Rows stay in the order they were added; nothing is edited in place and marks change
// only through the calls below, never by a click.
class BatchListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BatchListModel(QObject* parent = nullptr);

    static int defaultColumnWidth(int column);
    static QString defaultHeader(int column);
    void setHeaderCaption(int column, const QString& caption);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The language switch replaces the column captions this way.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void removeAllRows();
    void insertEmptyRow(int position);
    void deleteRow(int row);
    // Adds one row per name at the end, in one go.
    void appendRows(const QStringList& fileNames);
    // The same for paths as the file system gives them.
    void appendPaths(const std::vector<std::string>& paths);
    // Writes the sizes of the rows from the first on, one entry per row.
    void writeSizes(const std::vector<BatchSizes>& sizes);

    const BatchRowCells& row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    QString cellText(int column, int row) const;
    void setCellText(int column, int row, const QString& text);
    // The input and output name cells: the path's bytes, shown in a readable form.
    std::string pathCell(int column, int row) const;
    void setPathCell(int column, int row, const std::string& path);
    void setCellNumber(int column, int row, qint64 value);
    bool marked(int r) const { return row(r).marked; }
    void setMarked(int row, bool marked);
    void setAllMarked(bool marked);
    void setStatusTip(int row, const QString& tip);

private:
    void changed(int row, int firstColumn, int lastColumn);

    std::vector<BatchRowCells> rows_;
    std::array<QString, BatchColumnCount> headers_;
};

} // namespace quillon
