#include "InfoPanel.h"

#include "CommandTable.h"
#include "PanelParts.h"

#include <QLabel>
#include <QPushButton>

namespace quillon::ui {

InfoPanel::InfoPanel(QWidget* parent, const CommandSet& commands) : QFrame(parent) {
    setObjectName(QStringLiteral("TBXToolWindow3"));
    setFrameShape(QFrame::StyledPanel);
    TBXLCompStat = heading("TBXLCompStat", QStringLiteral("Compression status"), 8);
    CStatus = value("CStatus", 32);
    TBXLFVer = heading("TBXLFVer", QStringLiteral("Flash version"), 56);
    Ver = value("Ver", 80);
    TBXLFStat = heading("TBXLFStat", QStringLiteral("File status"), 104);
    FStatus = value("FStatus", 128);
    TBXLFLen = heading("TBXLFLen", QStringLiteral("File length"), 152);
    FLen = value("FLen", 176);
    TBXLFRate = heading("TBXLFRate", QStringLiteral("Frame rate"), 200);
    FR = value("FR", 224);
    QPushButton* estimate = MakeCommandButton(this, "Estimate", commands);
    estimate->setGeometry(8, 256, 177, 25);
    Est = value("Est", 288);
}

QLabel* InfoPanel::heading(const char* name, const QString& text, int y) {
    QLabel* label = MakeLabel(this, name, text);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    // 100 pixels, or what the system font needs for the text.
    label->setGeometry(8, y, std::max(100, label->sizeHint().width()), 17);
    return label;
}

QLabel* InfoPanel::value(const char* name, int y) {
    QLabel* label = MakeLabel(this, name, QString());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(8, y, 177, 17);
    return label;
}

void InfoPanel::showCompression(const QString& status, const QString& estimate) {
    CStatus->setText(status);
    Est->setText(estimate);
}

void InfoPanel::showHeader(const QString& version, const QString& frameRate, const QString& length,
                           const QString& fileStatus) {
    Ver->setText(version);
    FR->setText(frameRate);
    FLen->setText(length);
    FStatus->setText(fileStatus);
}

void InfoPanel::showEstimate(const QString& estimate) {
    Est->setText(estimate);
}

} // namespace quillon::ui
