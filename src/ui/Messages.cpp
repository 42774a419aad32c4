#include "Messages.h"

#include "Modal.h"
#include "PanelParts.h"

#include <QLabel>
#include <QPushButton>

namespace quillon::ui {

namespace {

QLabel* MakeMessageLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(5, 8, 305, 50);
    label->setTextFormat(Qt::PlainText); // an "&" is an ordinary character here
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(16);
    label->setFont(font);
    label->hide();
    return label;
}

// Hides the shown label again whatever ends the showing.
class HideAfter {
public:
    explicit HideAfter(QLabel* label) : label_(label) { label_->show(); }
    ~HideAfter() { label_->hide(); }
    HideAfter(const HideAfter&) = delete;
    HideAfter& operator=(const HideAfter&) = delete;

private:
    QLabel* label_;
};

} // namespace

TFMessages::TFMessages(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(this, "FMessages", QStringLiteral("Message"), QSize(315, 109));
    MesLoad =
        MakeMessageLabel(this, "MesLoad", QStringLiteral("               You must load file!"));
    MesComp =
        MakeMessageLabel(this, "MesComp", QStringLiteral("   File was compressed successfully!"));
    MesDecomp =
        MakeMessageLabel(this, "MesDecomp", QStringLiteral(" File was decompressed successfully!"));
    MesDam = MakeMessageLabel(this, "MesDam", QStringLiteral("                  File is damaged!"));
    MesSS = MakeMessageLabel(this, "MesSS", QStringLiteral("            Screenshot was saved!"));
    MesPlay = MakeMessageLabel(this, "MesPlay", QString());
    QFont reasonFont = MesPlay->font();
    reasonFont.setPixelSize(12); // the reason can be long: it must fit the label
    MesPlay->setFont(reasonFont);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setGeometry(120, 72, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TFMessages::ShowMessage(QLabel* label) {
    HideAfter hide(label);
    Modal().execDialog(this);
}

void TFMessages::ShowPlayFailure(const QString& reason) {
    MesPlay->setText(QStringLiteral("The movie cannot be played: ") + reason);
    ShowMessage(MesPlay);
}

} // namespace quillon::ui
