#include "About.h"

#include "AboutPicture.h"
#include "Modal.h"
#include "PanelParts.h"
#include "player/engine/parse/JpegDecoder.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <span>

namespace quillon::ui {

void OpenLink(const QString& address) {
    QString ignored;
    Modal().openUrl(QUrl(address), &ignored);
}

namespace {

QLabel* AddLine(QWidget* parent, const QString& text, int y, int pixelSize, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(16, y, 354, pixelSize + 10);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QLabel* AddLink(QWidget* parent, const char* name, const QString& heading, const QString& shown,
                const QString& address, int y) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::RichText);
    label->setText(heading.toHtmlEscaped() + QStringLiteral(" <a href=\"") +
                   address.toHtmlEscaped() +
                   QStringLiteral("\" style=\"color:#0000ff; text-decoration:underline\">") +
                   shown.toHtmlEscaped() + QStringLiteral("</a>"));
    label->setGeometry(16, y, 354, 20);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, label, &OpenLink);
    return label;
}

} // namespace

TFAbout::TFAbout(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(this, "FAbout", QStringLiteral("About"), QSize(386, 271));
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("TBXAlignmentPanel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(0, 0, 386, 271);

    Picture = new QLabel(panel);
    Picture->setObjectName(QStringLiteral("Image1"));
    Picture->setGeometry(76, 12, 233, 81);
    Picture->setScaledContents(true);
    std::string error;
    const QImage picture =
        engine::DecodeJpeg(std::span(AboutPictureJpeg, AboutPictureJpegSize), {}, error);
    Picture->setPixmap(QPixmap::fromImage(picture));

    AddLine(panel, QStringLiteral("Quillon"), 100, 19, true);
    AddLine(panel, QStringLiteral("Build 2.01"), 130, 12, false);
    WebSite =
        AddLink(panel, "WebSite", QStringLiteral("Website:"),
                QStringLiteral("www.morvane.example.com"), QString::fromLatin1(WebSiteUrl), 160);
    Support = AddLink(panel, "Support", QStringLiteral("Support:"),
                      QStringLiteral("support@morvane.example.com"),
                      QString::fromLatin1(SupportUrl), 184);
    auto* ok = new QPushButton(QStringLiteral("Ok"), panel);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setGeometry(155, 226, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace quillon::ui
