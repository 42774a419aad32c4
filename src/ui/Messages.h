#pragma once
// The message dialog: one of its labels is made visible for each showing.

#include <QDialog>

class QLabel;

namespace quillon::ui {

class TFMessages : public QDialog {
    Q_OBJECT
public:
    explicit TFMessages(QWidget* parent = nullptr);

    QLabel *MesLoad, *MesComp, *MesDecomp, *MesDam, *MesSS;
    // Says why the player could not play a movie; its text is set for each showing.
    QLabel* MesPlay;

    // Makes the label visible, shows the dialog modally, then hides the label again.
    void ShowMessage(QLabel* label);
    // Shows MesPlay with the player's reason.
    void ShowPlayFailure(const QString& reason);
};

} // namespace quillon::ui
