#pragma once
// The dialog shown when the help document cannot be opened. Only its own button
// closes it: its title bar has no buttons, and Escape does nothing.

#include <QDialog>

class QLabel;
class QPushButton;

namespace quillon::ui {

class TFHelpError : public QDialog {
    Q_OBJECT
public:
    explicit TFHelpError(QWidget* parent = nullptr);

    QLabel* labelErrorText;
    QLabel* labelAdobeLink;
    QPushButton* buttonCloseHelpError;

    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace quillon::ui
