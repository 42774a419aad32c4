#pragma once
// The information panel: the open movie's compression status, version, file status,
// length and frame rate under their headings, and the Estimate button with its result.

#include <QFrame>
#include <QString>

class QLabel;

namespace quillon::ui {

class CommandSet;

class InfoPanel : public QFrame {
    Q_OBJECT
public:
    InfoPanel(QWidget* parent, const CommandSet& commands);

    void showCompression(const QString& status, const QString& estimate);
    void showHeader(const QString& version, const QString& frameRate, const QString& length,
                    const QString& fileStatus);
    void showEstimate(const QString& estimate);

private:
    QLabel* heading(const char* name, const QString& text, int y);
    QLabel* value(const char* name, int y);

    // Named as their objects are.
    QLabel *TBXLCompStat, *TBXLFVer, *TBXLFStat, *TBXLFLen, *TBXLFRate;
    QLabel *CStatus, *Ver, *FStatus, *FLen, *FR, *Est;
};

} // namespace quillon::ui
