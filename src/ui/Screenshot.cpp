// Saving what the player shows as a BMP file.

#include "Forms.h"
#include "MainWindow.h"
#include "Messages.h"
#include "Modal.h"
#include "codec/Errors.h"
#include "codec/FileIO.h"
#include "player/ShockwaveFlash.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>

namespace quillon::ui {

namespace {

// The player's picture as it stands: its own size, without the scroll bars.
QImage CopyPlayerPicture(QWidget* player) {
    if (!player || player->width() == 0 || player->height() == 0) {
        return {};
    }
    return player->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

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
    const QImage picture = CopyPlayerPicture(FlashPlayer);
    const QString chosen = Modal().saveFileName(this, QStringLiteral("Pictures (*.bmp)"));
    if (chosen.isEmpty()) {
        return;
    }
    const std::string target = chosen.toStdString() + ".bmp";
    if (!WriteFileReplacing(target, EncodeBmp(picture))) {
        throw EWriteError();
    }
    ShowMessage(FMessages->MesSS);
}

} // namespace quillon::ui
