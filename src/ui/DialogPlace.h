#pragma once
// Where a file dialog opens: the folder of the user's last choice in it and, for a save
// dialog, the name last given, kept for the rest of the session.

#include <QString>

namespace quillon::ui {

class DialogPlace {
public:
    enum class Keeps { Folder, FolderAndName };
    explicit DialogPlace(Keeps keeps) : keeps_(keeps) {}

    // The folder, or the folder and name, to open at; empty before the first choice
    // (the working folder).
    QString start() const { return start_; }
    // A cancelled dialog (an empty choice) changes nothing.
    void remember(const QString& chosen);

private:
    Keeps keeps_;
    QString start_;
};

} // namespace quillon::ui
