// Opening and inspecting a movie, and the compress, decompress and estimate commands.

#include "Forms.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Modal.h"
#include "Shared.h"
#include "WaitCursor.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "codec/MovieInfo.h"
#include "codec/Transforms.h"
#include "settings/SettingsValues.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <cstdio>

namespace quillon::ui {

namespace {

std::string ScratchPath(const char* name) {
    return (ExeFolder() + QString::fromLatin1(name)).toStdString();
}

// Deletes a scratch file whatever leaves the scope.
class RemoveAfter {
public:
    explicit RemoveAfter(std::string path) : path_(std::move(path)) {}
    ~RemoveAfter() { std::remove(path_.c_str()); }
    RemoveAfter(const RemoveAfter&) = delete;
    RemoveAfter& operator=(const RemoveAfter&) = delete;

private:
    std::string path_;
};

} // namespace

void TFMain::AOpenExecute() {
    const QString chosen = Modal().openFileName(this, QStringLiteral("SWF File (*.swf)"));
    if (chosen.isEmpty()) {
        return;
    }
    SourceFileName = chosen.toStdString();
    OpenSWFFile();
}

void TFMain::OpenSWFFile() {
    for (QAction* command : {AExpand, AFit, AScreenShot, AStop, AZoomIn, AZoomOut}) {
        command->setEnabled(true);
    }
    SpinZoom->setEnabled(true);
    LabelZoom->setEnabled(true);
    APlaySourceExecute();
    ZoomFactor = 1.0;

    MovieInspection movie;
    try {
        WaitCursor busy;
        movie = InspectMovie(SourceFileName, ScratchPath("$test.swf"));
    } catch (const EFOpenError&) {
        return; // a movie that cannot be opened leaves the panel as it was
    }
    if (!movie.compressed) {
        Decomp->setVisible(false);
        ADecompress->setEnabled(false);
        ACompress->setEnabled(true);
        Comp->setVisible(true);
        CStatus->setText(QString::fromStdString(movie.compressionStatus));
        AEstimate->setEnabled(true);
        Est->setText(QString::fromStdString(movie.estimate));
    } else {
        ADecompress->setEnabled(true);
        Decomp->setVisible(true);
        ACompress->setEnabled(false);
        Comp->setVisible(false);
        AEstimate->setEnabled(false);
        Est->setText(QString::fromStdString(movie.estimate));
        CStatus->setText(QString::fromStdString(movie.compressionStatus));
    }
    if (!movie.header) {
        return; // an empty movie has no header: its texts stay as they were
    }
    Ver->setText(QString::fromStdString(movie.version));
    FR->setText(QString::fromStdString(movie.frameRate));
    FLen->setText(QString::fromStdString(movie.fileLength));
    FStatus->setText(QString::fromStdString(movie.fileStatus));
}

void TFMain::ACompressExecute() {
    try {
        const QString chosen = Modal().saveFileName(this, QStringLiteral("Flash File (*.swf)"));
        if (chosen.isEmpty()) {
            return;
        }
        TargetFileName = chosen.toStdString() + ".swf";
        WriteResult result;
        {
            WaitCursor busy;
            result = CompressSwfFile(SourceFileName, TargetFileName, CompressionChoice);
        }
        if (result == WriteResult::NothingWritten) {
            throw EEmptyFileError(SourceFileName);
        }
        if (result == WriteResult::Written) {
            ShowMessage(FMessages->MesComp);
        }
    } catch (const EFOpenError&) {
        ShowMessage(FMessages->MesLoad);
    }
}

void TFMain::ADecompressExecute() {
    try {
        const QString chosen = Modal().saveFileName(this, QStringLiteral("Flash File (*.swf)"));
        if (chosen.isEmpty()) {
            return;
        }
        TargetFileName = chosen.toStdString() + ".swf";
        WriteResult result;
        bool inflateFailed = false;
        {
            WaitCursor busy;
            result = DecompressSwfFile(SourceFileName, TargetFileName, inflateFailed);
        }
        if (result == WriteResult::NothingWritten) {
            throw EEmptyFileError(SourceFileName);
        }
        if (result == WriteResult::Written) {
            ShowMessage(inflateFailed ? FMessages->MesDam : FMessages->MesDecomp);
        }
    } catch (const EFOpenError&) {
        ShowMessage(FMessages->MesLoad);
    }
}

void TFMain::AEstimateExecute() {
    const std::string scratch = ScratchPath("$test2.swf");
    RemoveAfter remove(scratch);
    WriteResult result;
    {
        WaitCursor busy;
        result = CompressSwfFile(SourceFileName, scratch, CompressionChoice);
    }
    if (result == WriteResult::NothingWritten) {
        throw EEmptyFileError(SourceFileName);
    }
    if (result == WriteResult::DiskFull) {
        return; // "Disk full!" has been said; there is no size to show
    }
    const std::int64_t size = FileSizeOrMinusOne(scratch);
    if (size < 0) {
        throw EFOpenError(scratch, ENOENT);
    }
    Est->setText(QString::number(size) + QStringLiteral(" bytes"));
    AEstimate->setEnabled(false);
}

} // namespace quillon::ui
