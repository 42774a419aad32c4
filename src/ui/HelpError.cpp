#include "HelpError.h"

#include "About.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace quillon::ui {

TFHelpError::TFHelpError(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FHelpError"));
    setWindowTitle(QStringLiteral("Error"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setFixedSize(436, 110);

    labelErrorText = new QLabel(this);
    labelErrorText->setObjectName(QStringLiteral("labelErrorText"));
    labelErrorText->setTextFormat(Qt::PlainText);
    labelErrorText->setWordWrap(true);
    labelErrorText->setGeometry(8, 6, 420, 36);
    labelErrorText->setText(QStringLiteral(
        "Для корректного отображения справки на Вашем компьютере должен быть установлен "
        "Acrobat Reader. Вы можете его найти на сайте компании Adobe:"));

    labelAdobeLink = new QLabel(this);
    labelAdobeLink->setObjectName(QStringLiteral("labelAdobeLink"));
    labelAdobeLink->setTextFormat(Qt::PlainText);
    labelAdobeLink->setText(QStringLiteral("pdfreaders.org"));
    labelAdobeLink->setGeometry(8, 46, 420, 20);
    labelAdobeLink->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    labelAdobeLink->setStyleSheet(QStringLiteral("color:#0000ff; text-decoration:underline"));
    labelAdobeLink->setCursor(Qt::PointingHandCursor);
    labelAdobeLink->installEventFilter(this);

    buttonCloseHelpError = new QPushButton(QStringLiteral("Ok"), this);
    buttonCloseHelpError->setObjectName(QStringLiteral("buttonCloseHelpError"));
    buttonCloseHelpError->setGeometry(180, 76, 75, 25);
    buttonCloseHelpError->setDefault(true);
    connect(buttonCloseHelpError, &QPushButton::clicked, this, &QDialog::accept);
}

bool TFHelpError::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labelAdobeLink && event->type() == QEvent::MouseButtonRelease) {
        OpenLink(QString::fromLatin1(PdfReaderUrl));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFHelpError::reject() {}

void TFHelpError::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace quillon::ui
