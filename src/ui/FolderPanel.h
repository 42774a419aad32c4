#pragma once
// The folder panel: the drive box and the folder tree beside the player.

#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

class QComboBox;
class QTreeView;

namespace quillon::ui {

class FolderModel;

// Appends the roots that exist ("/", home, mounted volumes) to a drive box's list.
void FillDriveList(QComboBox* box);

class FolderPanel : public QObject {
    Q_OBJECT
public:
    // Gives the tree a folder model unless it has one (a folder is listed again as it
    // opens), roots it at "/" and makes it a drag source.
    FolderPanel(QComboBox* driveBox, QTreeView* tree, QObject* parent = nullptr);

    QString rootPath() const;
    // The drive box's text changed: roots the tree there. Throws QuillonError
    // "Error setting path: "TEXT"" when the text names no folder; the root stays.
    void setRootFromText(const QString& text);
    // The path of the tree's selected item, empty when nothing is selected: readable,
    // and as the bytes the file system has.
    QString selectedPath() const;
    std::string selectedPathBytes() const;
    // Single-file mode lists folders, files and hidden items; batch mode folders only.
    void setListsFiles(bool files);
    bool listsFiles() const { return listsFiles_; }
    FolderModel* model() const { return model_; }
    // The tree's double click: a movie file is chosen.
    void treeDoubleClick();

signals:
    void movieChosen(const std::string& path);

private:
    QPointer<QComboBox> driveBox_;
    QPointer<QTreeView> tree_;
    FolderModel* model_ = nullptr;
    QString root_;
    bool listsFiles_ = true;
};

} // namespace quillon::ui
