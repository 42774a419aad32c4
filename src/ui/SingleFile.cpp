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
        ScratchFile scratch(ScratchPath("$test.swf"));
        movie = InspectMovie(SourceFileName, scratch);
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

void TFMain::RunSaveCommand(const SaveTransform& transform, QLabel* success) {
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
            result = transform(TargetFileName, inflateFailed);
        }
        if (result == WriteResult::NothingWritten) {
            throw EEmptyFileError(SourceFileName);
        }
        if (result == WriteResult::Written) {
            ShowMessage(inflateFailed ? FMessages->MesDam : success);
        }
    } catch (const EFOpenError&) {
        ShowMessage(FMessages->MesLoad);
    }
}

void TFMain::ACompressExecute() {
    RunSaveCommand([](const std::string& target,
                      bool&) { return CompressSwfFile(SourceFileName, target, CompressionChoice); },
                   FMessages->MesComp);
}

void TFMain::ADecompressExecute() {
    RunSaveCommand(
        [](const std::string& target, bool& inflateFailed) {
            return DecompressSwfFile(SourceFileName, target, inflateFailed);
        },
        FMessages->MesDecomp);
}

void TFMain::AEstimateExecute() {
    ScratchFile scratch(ScratchPath("$test2.swf"));
    WriteResult result;
    {
        WaitCursor busy;
        result = CompressSwfToScratch(SourceFileName, scratch, CompressionChoice);
    }
    if (result == WriteResult::NothingWritten) {
        throw EEmptyFileError(SourceFileName);
    }
    if (result == WriteResult::DiskFull) {
        return; // "Disk full!" has been said; there is no size to show
    }
    const std::int64_t size = FileSizeOrMinusOne(scratch.path());
    if (size < 0) {
        throw EFOpenError(scratch.path(), ENOENT);
    }
    Est->setText(QString::number(size) + QStringLiteral(" bytes"));
    AEstimate->setEnabled(false);
}

} // namespace quillon::ui
