// Saving what the player shows as a BMP file.

#include "Forms.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Modal.h"
#include "PlayerPanel.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace quillon::ui {

namespace {

std::vector<std::uint8_t> EncodeBmp(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (picture.isNull() || !writer.write(picture)) {
        throw QuillonError("The picture cannot be saved: the player shows nothing");
    }
    return {bytes.begin(), bytes.end()};
}

} // namespace

void TFMain::AScreenShotExecute() {
    // Taken before the dialog opens, so the dialog is never in the picture.
    const QImage picture = player_->picture();
    const QString chosen =
        Modal().saveFileName(this, QStringLiteral("Pictures (*.bmp)"), screenshotPlace_.start());
    if (chosen.isEmpty()) {
        return;
    }
    screenshotPlace_.remember(chosen);
    const std::string target = chosen.toStdString() + ".bmp";
    if (!WriteFileReplacing(target, EncodeBmp(picture))) {
        throw EWriteError();
    }
    ShowMessage(FMessages->MesSS);
}

} // namespace quillon::ui
