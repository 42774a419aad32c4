#include "Icons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <utility>

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

// A magnifying glass with a plus or a minus in its lens.
QIcon Magnifier(bool plus) {
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
    if (plus) {
        painter.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
    }
    return QIcon(pixmap);
}

} // namespace

QIcon ToolIcon(IconKind kind) {
    // The commands the style has an icon for.
    static constexpr std::pair<IconKind, QStyle::StandardPixmap> kStandard[] = {
        {IconKind::Open, QStyle::SP_DialogOpenButton},
        {IconKind::ModeSingle, QStyle::SP_FileIcon},
        {IconKind::ModeBatch, QStyle::SP_DirIcon},
        {IconKind::Options, QStyle::SP_FileDialogDetailedView},
        {IconKind::About, QStyle::SP_MessageBoxInformation},
        {IconKind::Close, QStyle::SP_DialogCloseButton},
        {IconKind::Play, QStyle::SP_MediaPlay},
        {IconKind::Stop, QStyle::SP_MediaStop},
        {IconKind::Expand, QStyle::SP_TitleBarMaxButton},
        {IconKind::Fit, QStyle::SP_TitleBarNormalButton},
        {IconKind::Compress, QStyle::SP_ArrowDown},
        {IconKind::Decompress, QStyle::SP_ArrowUp}};
    // The ones drawn as a glyph on a plate.
    static constexpr struct {
        IconKind kind;
        const char16_t* text;
        QRgb colour;
    } kGlyphs[] = {{IconKind::English, u"EN", qRgb(0x10, 0x30, 0x90)},
                   {IconKind::French, u"FR", qRgb(0x90, 0x10, 0x20)},
                   {IconKind::ScreenShot, u"\u25A3", qRgb(0x20, 0x50, 0x20)}};
    for (const auto& [which, pixmap] : kStandard) {
        if (which == kind) {
            return Standard(pixmap);
        }
    }
    for (const auto& glyph : kGlyphs) {
        if (glyph.kind == kind) {
            return Glyph(QString::fromUtf16(glyph.text), QColor(glyph.colour));
        }
    }
    if (kind == IconKind::ZoomIn || kind == IconKind::ZoomOut) {
        return Magnifier(kind == IconKind::ZoomIn);
    }
    return {};
}

} // namespace quillon::ui
