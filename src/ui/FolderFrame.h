#pragma once
// The folder panel's widgets: the drive box above the folder tree. Their behaviour is
// the FolderPanel's, which the batch panel makes from them.

#include <QFrame>

class QComboBox;
class QTreeView;

namespace quillon::ui {

struct BatchWidgets;
class FolderModel;

class FolderFrame : public QFrame {
    Q_OBJECT
public:
    explicit FolderFrame(QWidget* parent);

    // Hands the drive box and the tree to the batch panel's controller.
    void lend(BatchWidgets& widgets) const;
    // The drive box's text: the root the tree comes back to.
    QString driveText() const;
    void fillDriveList();
    void applyHeight(int bandHeight);

private:
    // Named as their objects are.
    QComboBox* mbTBXComboBox1;
    QTreeView* ShellTreeView1;
    FolderModel* ShellTreeModel;
};

} // namespace quillon::ui
