// Opening and inspecting a movie, and the compress, decompress and estimate commands.

#include "DiskFull.h"
#include "Forms.h"
#include "InfoPanel.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Modal.h"
#include "PlayerPanel.h"
#include "ProgramSettings.h"
#include "Shared.h"
#include "WaitCursor.h"
#include "ZoomView.h"
#include "codec/Errors.h"
#include "codec/Estimate.h"
#include "codec/FileIO.h"
#include "codec/MovieInfo.h"
#include "codec/Transforms.h"

#include <QAction>
#include <QLabel>
#include <cstdio>

namespace quillon::ui {

namespace {

std::string ScratchPath(const char* name) {
    return Paths().scratchFolder + name;
}

} // namespace

void TFMain::AOpenExecute() {
    const QString chosen =
        Modal().openFileName(this, QStringLiteral("SWF File (*.swf)"), openPlace_.start());
    if (chosen.isEmpty()) {
        return;
    }
    openPlace_.remember(chosen);
    SourceFileName = chosen.toStdString();
    OpenSWFFile();
}

void TFMain::OpenSWFFile() {
    for (const char* name : {"AExpand", "AFit", "AScreenShot", "AStop", "AZoomIn", "AZoomOut"}) {
        Command(name)->setEnabled(true);
    }
    player_->enableZoomBox();
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
    if (movie.scratchDiskFull) {
        DiskFullNotice(this);
    }
    ShowInspection(movie);
}

void TFMain::ShowInspection(const MovieInspection& movie) {
    // A compressed movie offers Decompress, a plain one Compress and Estimate.
    player_->showTransformItem(movie.compressed);
    Command("ADecompress")->setEnabled(movie.compressed);
    Command("ACompress")->setEnabled(!movie.compressed);
    Command("AEstimate")->setEnabled(!movie.compressed);
    info_->showCompression(QString::fromStdString(movie.compressionStatus),
                           QString::fromStdString(movie.estimate));
    if (!movie.header) {
        return; // an empty movie has no header: its texts stay as they were
    }
    Zoom.showFrame(*movie.header);
    info_->showHeader(
        QString::fromStdString(movie.version), QString::fromStdString(movie.frameRate),
        QString::fromStdString(movie.fileLength), QString::fromStdString(movie.fileStatus));
}

void TFMain::RunSaveCommand(const SaveTransform& transform, QLabel* success) {
    try {
        const QString chosen =
            Modal().saveFileName(this, QStringLiteral("Flash File (*.swf)"), savePlace_.start());
        if (chosen.isEmpty()) {
            return;
        }
        savePlace_.remember(chosen);
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
        if (result == WriteResult::DiskFull) {
            DiskFullNotice(this);
        } else {
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
    EstimateResult estimate;
    {
        WaitCursor busy;
        estimate = EstimateCompressedSize(SourceFileName, scratch, CompressionChoice);
    }
    if (estimate.written == WriteResult::DiskFull) {
        DiskFullNotice(this);
        return; // there is no size to show
    }
    info_->showEstimate(QString::number(estimate.size) + QStringLiteral(" bytes"));
    Command("AEstimate")->setEnabled(false);
}

} // namespace quillon::ui
