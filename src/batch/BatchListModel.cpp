#include "BatchListModel.h"

#include "PathText.h"

#include <QFile>
#include <algorithm>

namespace quillon {

namespace {

constexpr std::array<int, BatchColumnCount> ColumnWidths{26, 362, 50, 303, 80, 80};

QString* Cell(BatchRowCells& cells, int column) {
    switch (column) {
    case NxFileName:
        return &cells.fileName;
    case NxStatus:
        return &cells.status;
    case NxEndFileName:
        return &cells.endFileName;
    case NxFileSize:
        return &cells.fileSize;
    case NxEndFileSize:
        return &cells.endFileSize;
    default:
        return nullptr;
    }
}

std::string* PathOf(BatchRowCells& cells, int column) {
    return column == NxFileName      ? &cells.filePath
           : column == NxEndFileName ? &cells.endFilePath
                                     : nullptr;
}

bool IsSizeColumn(int column) {
    return column == NxFileSize || column == NxEndFileSize;
}

} // namespace

BatchListModel::BatchListModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int column = 0; column < BatchColumnCount; ++column) {
        headers_[static_cast<std::size_t>(column)] = defaultHeader(column);
    }
}

int BatchListModel::defaultColumnWidth(int column) {
    return column >= 0 && column < BatchColumnCount ? ColumnWidths[static_cast<std::size_t>(column)]
                                                    : 0;
}

QString BatchListModel::defaultHeader(int column) {
    switch (column) {
    case NxFileName:
        return QStringLiteral("Input file name");
    case NxStatus:
        return QStringLiteral("Status");
    case NxEndFileName:
        return QStringLiteral("Output file name");
    case NxFileSize:
        return QStringLiteral("Input file size");
    case NxEndFileSize:
        return QStringLiteral("Output file size");
    default:
        return {};
    }
}

void BatchListModel::setHeaderCaption(int column, const QString& caption) {
    if (column < 0 || column >= BatchColumnCount) {
        return;
    }
    headers_[static_cast<std::size_t>(column)] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int BatchListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BatchListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : BatchColumnCount;
}

QVariant BatchListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const BatchRowCells& cells = row(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::CheckStateRole:
        if (column == NxProceed) {
            return cells.marked ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::DisplayRole: {
        const QString text = cellText(column, index.row());
        if (IsSizeColumn(column) && !text.isEmpty()) {
            return QString(text + QStringLiteral(" bytes"));
        }
        return text;
    }
    case Qt::TextAlignmentRole:
        if (IsSizeColumn(column)) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (column == NxProceed) {
            return QVariant::fromValue(Qt::AlignCenter);
        }
        return {};
    case Qt::ToolTipRole:
        if (column == NxStatus && !cells.statusTip.isEmpty()) {
            return cells.statusTip;
        }
        return {};
    default:
        return {};
    }
}

QVariant BatchListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < BatchColumnCount) {
        return headers_[static_cast<std::size_t>(section)];
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        return {};
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool BatchListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                   int role) {
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) ||
        section < 0 || section >= BatchColumnCount) {
        return false;
    }
    setHeaderCaption(section, value.toString());
    return true;
}

Qt::ItemFlags BatchListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void BatchListModel::removeAllRows() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    endResetModel();
}

void BatchListModel::insertEmptyRow(int position) {
    position = std::clamp(position, 0, rowCount());
    beginInsertRows({}, position, position);
    rows_.insert(rows_.begin() + position, BatchRowCells{});
    endInsertRows();
}

void BatchListModel::deleteRow(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void BatchListModel::appendRows(const QStringList& fileNames) {
    if (fileNames.isEmpty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(fileNames.size()) - 1);
    rows_.reserve(rows_.size() + static_cast<std::size_t>(fileNames.size()));
    for (const QString& name : fileNames) {
        BatchRowCells cells;
        cells.fileName = name;
        cells.filePath = QFile::encodeName(name).toStdString();
        rows_.push_back(std::move(cells));
    }
    endInsertRows();
}

void BatchListModel::appendPaths(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(paths.size()) - 1);
    rows_.reserve(rows_.size() + paths.size());
    for (const std::string& path : paths) {
        BatchRowCells cells;
        cells.fileName = PathText(path);
        cells.filePath = path;
        rows_.push_back(std::move(cells));
    }
    endInsertRows();
}

void BatchListModel::writeSizes(const std::vector<BatchSizes>& sizes) {
    const int count = std::min(rowCount(), static_cast<int>(sizes.size()));
    for (int r = 0; r < count; ++r) {
        BatchRowCells& cells = rows_[static_cast<std::size_t>(r)];
        const BatchSizes& size = sizes[static_cast<std::size_t>(r)];
        if (size.fileSize >= 0) {
            cells.fileSize = QString::number(size.fileSize);
        }
        if (size.endFileSize >= 0) {
            cells.endFileSize = QString::number(size.endFileSize);
        }
    }
    if (count > 0) {
        emit dataChanged(index(0, NxFileSize), index(count - 1, NxEndFileSize), {Qt::DisplayRole});
    }
}

QString BatchListModel::cellText(int column, int row) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const QString* cell =
        Cell(const_cast<BatchRowCells&>(rows_[static_cast<std::size_t>(row)]), column);
    return cell ? *cell : QString();
}

void BatchListModel::setCellText(int column, int row, const QString& text) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    BatchRowCells& cells = rows_[static_cast<std::size_t>(row)];
    if (std::string* path = PathOf(cells, column)) {
        *path = QFile::encodeName(text).toStdString();
    }
    QString* cell = Cell(cells, column);
    if (cell) {
        *cell = text;
        changed(row, column, column);
    }
}

std::string BatchListModel::pathCell(int column, int row) const {
    if (row < 0 || row >= rowCount()) {
        return {};
    }
    const std::string* path =
        PathOf(const_cast<BatchRowCells&>(rows_[static_cast<std::size_t>(row)]), column);
    return path ? *path : std::string();
}

void BatchListModel::setPathCell(int column, int row, const std::string& path) {
    setCellText(column, row, PathText(path));
    if (row >= 0 && row < rowCount()) {
        if (std::string* bytes = PathOf(rows_[static_cast<std::size_t>(row)], column)) {
            *bytes = path;
        }
    }
}

void BatchListModel::setCellNumber(int column, int row, qint64 value) {
    setCellText(column, row, QString::number(value));
}

void BatchListModel::setMarked(int row, bool marked) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].marked = marked;
    changed(row, NxProceed, NxProceed);
}

void BatchListModel::setAllMarked(bool marked) {
    for (BatchRowCells& cells : rows_) {
        cells.marked = marked;
    }
    if (!rows_.empty()) {
        emit dataChanged(index(0, NxProceed), index(rowCount() - 1, NxProceed),
                         {Qt::CheckStateRole});
    }
}

void BatchListModel::setStatusTip(int row, const QString& tip) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    rows_[static_cast<std::size_t>(row)].statusTip = tip;
    changed(row, NxStatus, NxStatus);
}

void BatchListModel::changed(int row, int firstColumn, int lastColumn) {
    emit dataChanged(index(row, firstColumn), index(row, lastColumn));
}

} // namespace quillon
