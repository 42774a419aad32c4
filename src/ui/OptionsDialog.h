#pragma once
// The Options dialog: the batch output folder, the file-name prefixes and the compression
// method. Created once,
// shown modally; the drive box, the tree's root and its selection persist between
// showings, the edits and the folder label are refilled at each.

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace quillon::ui {

class FolderPanel;

class TFOutFolder : public QDialog {
    Q_OBJECT
public:
    explicit TFOutFolder(QWidget* parent = nullptr);

    QGroupBox* mbTBXGroupBox1;
    QComboBox* mbTBXComboBox1; // drive box
    QTreeView* Tree;           // folders and hidden folders of the chosen root
    QLabel* labelCurrent;
    QLabel* TBXLabel1; // shows OutputFolder
    QGroupBox* mbTBXGroupBox2;
    QLabel* labelPrefixComp;
    QLineEdit* mbTBXEdit2; // CompressedPrefix
    QLabel* labelPrefixDecomp;
    QLineEdit* mbTBXEdit3; // DecompressedPrefix
    QLabel* labelCompression;
    QComboBox* cbCompression; // CompressionChoice, in the order of CompressionChoices
    QPushButton* tbxOk;
    QPushButton* tbxCancel;

    // The tree with its drive box.
    FolderPanel* folders() const { return folders_; }

    // Each showing: translation, the drive list, the edits, the folder label and the
    // compression method.
    void FormShow();
    // Takes over the folder and the compression method (each stored in config.ini at
    // once) and the prefixes, then closes. When config.ini cannot be written the error
    // passes on: what was stored before has changed in memory, the prefixes have not,
    // and the dialog stays open.
    void tbxOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildFolderGroup();
    void buildPrefixGroup();
    QLineEdit* addPrefixRow(const char* labelName, const QString& text, const char* editName,
                            const QString& prefix, int y);

    FolderPanel* folders_;
};

// After the toolbar's Options: the main folder tree is rooted at OutputFolder and then at
// its drive box's text again, so it is rebuilt whenever the two differed. An output
// folder that is empty or gone only means no rebuild; it is not reported.
void RerootAfterOptions(FolderPanel& folders, const QString& driveText);

} // namespace quillon::ui
