#include "FolderModel.h"

#include "batch/PathText.h"

#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>

namespace quillon::ui {

namespace {

// A folder holding more entries than this lists the first of them only.
constexpr std::size_t MaxEntries = 100000;
// The drag's own format: the bytes of the path, as the file system has them.
const QString PathBytesMime = QStringLiteral("application/x-quillon-path-bytes");

std::string Join(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

} // namespace

struct FolderModel::Node {
    std::string bytes; // the whole path
    std::string nameBytes;
    QString name; // readable
    bool dir = false;
    bool listed = false;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;

    void adopt() {
        for (std::size_t i = 0; i < children.size(); ++i) {
            children[i]->parent = this;
            children[i]->row = static_cast<int>(i);
        }
    }
};

FolderModel::FolderModel(QObject* parent) : QAbstractItemModel(parent), top_(new Node) {
    top_->dir = true;
    top_->listed = true;
    auto root = std::make_unique<Node>();
    root->bytes = root->nameBytes = "/";
    root->name = QStringLiteral("/");
    root->dir = true;
    top_->children.push_back(std::move(root));
    top_->adopt();
}

FolderModel::~FolderModel() = default;

FolderModel::Node* FolderModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

QModelIndex FolderModel::indexOf(const Node& node) const {
    return &node == top_.get() ? QModelIndex() : createIndex(node.row, 0, const_cast<Node*>(&node));
}

std::vector<std::unique_ptr<FolderModel::Node>> FolderModel::listFolder(const Node& folder) const {
    std::vector<std::unique_ptr<Node>> out;
    DIR* dir = ::opendir(folder.bytes.c_str());
    if (!dir) {
        return out;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == ".." || out.size() >= MaxEntries ||
            (name.starts_with('.') && !(filters_ & QDir::Hidden))) {
            continue;
        }
        auto node = std::make_unique<Node>();
        node->bytes = Join(folder.bytes, name);
        struct stat st;
        node->dir = ::stat(node->bytes.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (node->dir ? !(filters_ & (QDir::AllDirs | QDir::Dirs)) : !(filters_ & QDir::Files)) {
            continue;
        }
        node->nameBytes = name;
        node->name = PathText(name);
        out.push_back(std::move(node));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        if (a->dir != b->dir) {
            return a->dir;
        }
        const int order = a->name.compare(b->name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a->nameBytes < b->nameBytes;
    });
    return out;
}

// Lists a folder again keeping the nodes of entries that stay (and, recursively, what
// they had listed); the rest go to gone.
void FolderModel::rebuild(Node& folder, bool recursive, std::vector<std::unique_ptr<Node>>& gone) {
    std::vector<std::unique_ptr<Node>> fresh = listFolder(folder);
    for (auto& entry : fresh) {
        auto old = std::find_if(folder.children.begin(), folder.children.end(),
                                [&](const auto& c) { return c && c->bytes == entry->bytes; });
        if (old != folder.children.end() && (*old)->dir == entry->dir) {
            entry = std::move(*old);
            if (recursive && entry->listed) {
                rebuild(*entry, true, gone);
            }
        }
    }
    for (auto& old : folder.children) {
        if (old) {
            gone.push_back(std::move(old));
        }
    }
    folder.children = std::move(fresh);
    folder.listed = true;
    folder.adopt();
}

void FolderModel::relist(Node& folder, bool recursive) {
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<Node*> nodes;
    for (const QModelIndex& index : before) {
        nodes.push_back(nodeOf(index));
    }
    std::vector<std::unique_ptr<Node>> gone;
    rebuild(folder, recursive, gone);
    std::set<const Node*> dead;
    for (std::size_t i = 0; i < gone.size(); ++i) { // grows as it goes: each one's children
        dead.insert(gone[i].get());
        for (auto& child : gone[i]->children) {
            gone.push_back(std::move(child));
        }
    }
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i) {
        Node* node = nodes[static_cast<std::size_t>(i)];
        after.push_back(dead.contains(node) ? QModelIndex()
                                            : createIndex(node->row, before[i].column(), node));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void FolderModel::setFilter(QDir::Filters filters) {
    filters_ = filters;
    relist(*top_->children.front(), true);
}

void FolderModel::refresh(const QModelIndex& folder) {
    Node* node = nodeOf(folder);
    if (node != top_.get() && node->listed) {
        relist(*node, false);
    }
}

QModelIndex FolderModel::indexOfBytes(const std::string& path) {
    if (!path.starts_with('/')) {
        return {};
    }
    Node* node = top_->children.front().get();
    std::size_t start = 1;
    while (start < path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string name = path.substr(start, slash - start);
        start = slash + 1;
        if (name.empty() || name == ".") {
            continue;
        }
        const auto find = [&] {
            auto it = std::find_if(node->children.begin(), node->children.end(),
                                   [&](const auto& c) { return c->nameBytes == name; });
            return it == node->children.end() ? nullptr : it->get();
        };
        if (!node->listed) {
            fetchMore(indexOf(*node));
        }
        Node* child = find();
        if (!child) {
            relist(*node, false); // made since it was listed?
            child = find();
        }
        if (!child) {
            return {};
        }
        node = child;
    }
    return indexOf(*node);
}

QModelIndex FolderModel::index(const QString& path, int column) {
    const QModelIndex found = indexOfBytes(PathBytes(QDir::cleanPath(path)));
    return column == 0 || !found.isValid() ? found : found.siblingAtColumn(column);
}

std::string FolderModel::pathBytes(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->bytes : std::string();
}

QString FolderModel::filePath(const QModelIndex& index) const {
    return index.isValid() ? PathText(nodeOf(index)->bytes) : QString();
}

bool FolderModel::isDir(const QModelIndex& index) const {
    return nodeOf(index)->dir;
}

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= node->children.size()) {
        return {};
    }
    return createIndex(row, column, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
    const Node* node = nodeOf(child);
    return node->parent ? indexOf(*node->parent) : QModelIndex();
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FolderModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node->dir && (!node->listed || !node->children.empty());
}

bool FolderModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node->dir && !node->listed;
}

void FolderModel::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (!node->dir || node->listed) {
        return;
    }
    std::vector<std::unique_ptr<Node>> fresh = listFolder(*node);
    node->listed = true;
    if (fresh.empty()) {
        return;
    }
    beginInsertRows(parent, 0, static_cast<int>(fresh.size()) - 1);
    node->children = std::move(fresh);
    node->adopt();
    endInsertRows();
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Node* node = nodeOf(index);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return node->name;
    }
    if (role == Qt::DecorationRole) {
        return icons_.icon(node->dir ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    return {};
}

Qt::ItemFlags FolderModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled
                           : Qt::NoItemFlags;
}

QStringList FolderModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list"), PathBytesMime};
}

QMimeData* FolderModel::mimeData(const QModelIndexList& indexes) const {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    QByteArray bytes;
    for (const QModelIndex& index : indexes) {
        urls.push_back(QUrl::fromLocalFile(filePath(index)));
        bytes += QByteArray::fromStdString(pathBytes(index)) + '\n';
    }
    mime->setUrls(urls);
    mime->setData(PathBytesMime, bytes);
    return mime;
}

} // namespace quillon::ui
