#pragma once
// The Options dialog: the batch output folder and the file-name prefixes.

#include <QDialog>

namespace quillon::ui {

class TFOutFolder : public QDialog {
    Q_OBJECT
public:
    explicit TFOutFolder(QWidget* parent = nullptr);
};

} // namespace quillon::ui
