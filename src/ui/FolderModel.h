#pragma once
// The folder tree's model: the file system listed by the bytes of its names, so a name
// that is not valid UTF-8 (Latin-1 names from old archives) is listed, shown in a
// readable form, and handed on with its very bytes. Folders are listed when first
// expanded or looked up; a lookup that misses lists its folder again.

#include <QAbstractItemModel>
#include <QDir>
#include <QFileIconProvider>
#include <memory>
#include <string>
#include <vector>

namespace quillon::ui {

class FolderModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderModel(QObject* parent = nullptr);
    ~FolderModel() override;

    // What is listed: folders (QDir::AllDirs), files (QDir::Files), hidden entries
    // (QDir::Hidden). Folders already listed are listed again; what stays keeps its place.
    void setFilter(QDir::Filters filters);
    QDir::Filters filter() const { return filters_; }
    // The item of a path, by its bytes or by its text (a readable form finds its bytes
    // again); invalid when there is none.
    QModelIndex indexOfBytes(const std::string& path);
    QModelIndex index(const QString& path, int column = 0);
    std::string pathBytes(const QModelIndex& index) const;
    // The readable form of the item's path.
    QString filePath(const QModelIndex& index) const;
    bool isDir(const QModelIndex& index) const;
    // Lists a folder already listed again (the tree does so as a folder opens).
    void refresh(const QModelIndex& folder);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node& node) const;
    std::vector<std::unique_ptr<Node>> listFolder(const Node& folder) const;
    void relist(Node& folder, bool recursive);
    void rebuild(Node& folder, bool recursive, std::vector<std::unique_ptr<Node>>& gone);

    std::unique_ptr<Node> top_; // above "/", as the invisible root
    QDir::Filters filters_ = QDir::AllDirs | QDir::NoDotAndDotDot;
    QFileIconProvider icons_;
};

} // namespace quillon::ui
