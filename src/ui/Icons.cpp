#include "Icons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace quillon::ui {

namespace {

QIcon Standard(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

// A 16-pixel glyph: a short text on a rounded metallic plate.
QIcon Glyph(const QString& text, const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x70, 0x76, 0x80));
    painter.setBrush(QColor(0xE8, 0xEA, 0xEE));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = painter.font();
    font.setPixelSize(text.size() > 1 ? 8 : 13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

// A magnifying glass with a sign in its lens.
QIcon Magnifier(const QString& sign) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x30, 0x38, 0x48), 1.6));
    painter.setBrush(QColor(0xDD, 0xE8, 0xF6));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    painter.setPen(QPen(QColor(0x30, 0x38, 0x48), 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    painter.setPen(QPen(QColor(0x10, 0x40, 0x90), 1.4));
    painter.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    if (sign == QStringLiteral("+")) {
        painter.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
    }
    return QIcon(pixmap);
}

} // namespace

QIcon ToolIcon(IconKind kind) {
    switch (kind) {
    case IconKind::None:
        return {};
    case IconKind::Open:
        return Standard(QStyle::SP_DialogOpenButton);
    case IconKind::ModeSingle:
        return Standard(QStyle::SP_FileIcon);
    case IconKind::ModeBatch:
        return Standard(QStyle::SP_DirIcon);
    case IconKind::Options:
        return Standard(QStyle::SP_FileDialogDetailedView);
    case IconKind::English:
        return Glyph(QStringLiteral("EN"), QColor(0x10, 0x30, 0x90));
    case IconKind::French:
        return Glyph(QStringLiteral("FR"), QColor(0x90, 0x10, 0x20));
    case IconKind::About:
        return Standard(QStyle::SP_MessageBoxInformation);
    case IconKind::Close:
        return Standard(QStyle::SP_DialogCloseButton);
    case IconKind::Play:
        return Standard(QStyle::SP_MediaPlay);
    case IconKind::Stop:
        return Standard(QStyle::SP_MediaStop);
    case IconKind::ZoomIn:
        return Magnifier(QStringLiteral("+"));
    case IconKind::ZoomOut:
        return Magnifier(QStringLiteral("-"));
    case IconKind::Expand:
        return Standard(QStyle::SP_TitleBarMaxButton);
    case IconKind::Fit:
        return Standard(QStyle::SP_TitleBarNormalButton);
    case IconKind::ScreenShot:
        return Glyph(QStringLiteral("\u25A3"), QColor(0x20, 0x50, 0x20));
    case IconKind::Compress:
        return Standard(QStyle::SP_ArrowDown);
    case IconKind::Decompress:
        return Standard(QStyle::SP_ArrowUp);
    }
    return {};
}

} // namespace quillon::ui
