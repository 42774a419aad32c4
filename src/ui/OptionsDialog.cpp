#include "OptionsDialog.h"

#include "FolderModel.h"
#include "FolderPanel.h"
#include "Lang.h"
#include "Modal.h"
#include "PanelParts.h"
#include "ProgramSettings.h"
#include "Shared.h"
#include "batch/Threads.h"
#include "codec/Errors.h"
#include "settings/ConfigFile.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <algorithm>

namespace quillon::ui {

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* label = Named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(place);
    return label;
}

} // namespace

TFOutFolder::TFOutFolder(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(this, "FOutFolder", QStringLiteral("Options"), QSize(484, 323));
    buildFolderGroup();
    buildPrefixGroup();

    tbxOk = Named(new QPushButton(QStringLiteral("Ok"), this), "tbxOk");
    tbxOk->setGeometry(316, 292, 75, 25);
    tbxOk->setDefault(true);
    tbxCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "tbxCancel");
    tbxCancel->setGeometry(400, 292, 75, 25);

    folders_ = new FolderPanel(mbTBXComboBox1, Tree, this);
    // The output folder may be a hidden one; files are never offered, and nothing is
    // dragged or opened from here.
    folders_->model()->setFilter(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot |
                                 QDir::Drives);
    Tree->setDragEnabled(false);
    Tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    // Typing re-roots the tree at once, key by key, as choosing from the list does.
    connect(mbTBXComboBox1, &QComboBox::editTextChanged, this, [this](const QString& text) {
        RunGuarded(this, [this, &text] { folders_->setRootFromText(text); });
    });
    connect(tbxOk, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { tbxOkClick(); }); });
    connect(tbxCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFOutFolder::buildFolderGroup() {
    mbTBXGroupBox1 =
        Named(new QGroupBox(QStringLiteral("Select output folder"), this), "mbTBXGroupBox1");
    mbTBXGroupBox1->setGeometry(8, 6, 230, 278);
    MarkTranslated(mbTBXGroupBox1, TextKind::Title);
    mbTBXComboBox1 = Named(new QComboBox(mbTBXGroupBox1), "mbTBXComboBox1");
    mbTBXComboBox1->setGeometry(8, 22, 214, 22);
    Tree = Named(new QTreeView(mbTBXGroupBox1), "Tree");
    Tree->setGeometry(8, 50, 214, 170);
    labelCurrent = MakeLabel(mbTBXGroupBox1, "labelCurrent", QStringLiteral("Current"),
                             QRect(8, 224, 214, 16));
    TBXLabel1 =
        MakeLabel(mbTBXGroupBox1, "TBXLabel1", QStringLiteral("Current"), QRect(8, 242, 214, 32));
    for (QLabel* label : {labelCurrent, TBXLabel1}) {
        MarkTranslated(label, TextKind::Caption);
    }
}

// A prefix's explanation above its edit.
QLineEdit* TFOutFolder::addPrefixRow(const char* labelName, const QString& text,
                                     const char* editName, const QString& prefix, int y) {
    QLabel* label = MakeLabel(mbTBXGroupBox2, labelName, text, QRect(8, y, 214, 64));
    MarkTranslated(label, TextKind::Caption);
    auto* edit = Named(new QLineEdit(prefix, mbTBXGroupBox2), editName);
    edit->setGeometry(8, y + 68, 214, 22);
    return edit;
}

void TFOutFolder::buildPrefixGroup() {
    mbTBXGroupBox2 = Named(new QGroupBox(QStringLiteral("Files prefix"), this), "mbTBXGroupBox2");
    mbTBXGroupBox2->setGeometry(246, 6, 230, 278);
    MarkTranslated(mbTBXGroupBox2, TextKind::Title);
    mbTBXEdit2 = addPrefixRow(
        "labelPrefixComp",
        QStringLiteral("Select prefix for compressed files (if you select \"compressed\", your "
                       "file \"my.swf\" will be \"compressedmy.swf\"):"),
        "mbTBXEdit2", QStringLiteral("compressed_"), 22);
    mbTBXEdit3 = addPrefixRow(
        "labelPrefixDecomp",
        QStringLiteral("Select prefix for decompressed files (if you select \"decompressed\", "
                       "your file \"my.swf\" will be \"decompressedmy.swf\"):"),
        "mbTBXEdit3", QStringLiteral("decompressed_"), 124);
    labelPrefixComp = mbTBXGroupBox2->findChild<QLabel*>(QStringLiteral("labelPrefixComp"));
    labelPrefixDecomp = mbTBXGroupBox2->findChild<QLabel*>(QStringLiteral("labelPrefixDecomp"));
    // A fixed English text like the status texts: Lang.ini has no entry for it.
    labelCompression = MakeLabel(mbTBXGroupBox2, "labelCompression", QStringLiteral("Compression"),
                                 QRect(8, 224, 214, 16));
    cbCompression = Named(new QComboBox(mbTBXGroupBox2), "cbCompression");
    cbCompression->setGeometry(8, 242, 214, 22);
    for (const auto& choice : CompressionChoices) {
        cbCompression->addItem(QString::fromLatin1(choice.caption));
    }
}

void TFOutFolder::showEvent(QShowEvent* event) {
    RunGuarded(this, [this] { FormShow(); });
    QDialog::showEvent(event);
}

void TFOutFolder::FormShow() {
    TranslateForm(this);
    {
        // Refilling the list keeps the box's text and must not re-root the tree.
        const QSignalBlocker blocker(mbTBXComboBox1);
        const QString text = mbTBXComboBox1->currentText();
        mbTBXComboBox1->clear();
        FillDriveList(mbTBXComboBox1);
        mbTBXComboBox1->setEditText(text);
    }
    mbTBXEdit2->setText(QString::fromStdString(CompressedPrefix));
    mbTBXEdit3->setText(QString::fromStdString(DecompressedPrefix));
    TBXLabel1->setText(PathText(OutputFolder));
    for (std::size_t i = 0; i < CompressionChoices.size(); ++i) {
        if (CompressionChoices[i].method == CompressionChoice) {
            cbCompression->setCurrentIndex(static_cast<int>(i));
        }
    }
}

void TFOutFolder::tbxOkClick() {
    OutputFolder = folders_->selectedPathBytes();
    IniFile config(ProgramConfigPath());
    StoreOutputFolder(config, Settings);
    CompressionChoice =
        CompressionChoices[static_cast<std::size_t>(std::max(0, cbCompression->currentIndex()))]
            .method;
    StoreCompressionChoice(config, Settings);
    CompressedPrefix = mbTBXEdit2->text().toStdString();
    DecompressedPrefix = mbTBXEdit3->text().toStdString();
    accept();
}

void RerootAfterOptions(FolderPanel& folders, const QString& driveText) {
    try {
        folders.setRootFromText(PathText(OutputFolder));
    } catch (const QuillonError&) {
    }
    folders.setRootFromText(driveText);
}

} // namespace quillon::ui
