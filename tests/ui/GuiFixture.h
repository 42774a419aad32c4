#pragma once
// The window's test harness: one application, the five windows, and a modal seam that
// answers every dialog from a script and records what the program showed.

#include "codec/SwfHeader.h"
#include "player/ShockwaveFlash.h"
#include "settings/SettingsValues.h"
#include "ui/Forms.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"
#include "ui/Modal.h"
#include "support/TestApplication.h"
#include "ui/Shared.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillon::test {

inline QApplication& App() {
    return TestApplication<QApplication>();
}

class ScriptedModal : public ui::ModalSeam {
public:
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::vector<QString> filters;
    std::vector<QString> plainMessages;
    std::vector<QString> errorBoxes;
    std::vector<QString> dialogs; // object names of the dialogs shown
    // Names of the message labels visible at each showing of FMessages.
    std::vector<std::vector<QString>> visibleMessages;
    std::vector<QUrl> urls;
    bool urlResult = true;
    QString urlReason = QStringLiteral("No application is associated with this file");
    // Runs while a dialog is shown (a test looks at the window then).
    std::function<void(QDialog*)> onDialog;

    QString openFileName(QWidget*, const QString& filter) override {
        filters.push_back(filter);
        return Next(openAnswers);
    }
    // Runs while the save dialog is up.
    std::function<void()> onSave;

    QString saveFileName(QWidget*, const QString& filter) override {
        filters.push_back(filter);
        if (onSave) {
            onSave();
        }
        return Next(saveAnswers);
    }
    void plainMessage(QWidget*, const QString& text) override { plainMessages.push_back(text); }
    void errorBox(QWidget*, const QString& text) override { errorBoxes.push_back(text); }
    int execDialog(QDialog* dialog) override {
        dialogs.push_back(dialog->objectName());
        if (dialog == ui::FMessages) {
            std::vector<QString> shown;
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                if (!label->isHidden()) {
                    shown.push_back(label->objectName());
                }
            }
            visibleMessages.push_back(shown);
        }
        if (onDialog) {
            onDialog(dialog);
        }
        return QDialog::Accepted;
    }
    bool openUrl(const QUrl& url, QString* reason) override {
        urls.push_back(url);
        if (!urlResult && reason) {
            *reason = urlReason;
        }
        return urlResult;
    }

private:
    static QString Next(std::deque<QString>& answers) {
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The windows as the program creates them, shown at the laid-out size.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        folder = std::filesystem::temp_directory_path() /
                 ("quillon-ui-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        // The program's own files (config.ini, Lang.ini, scratch files) go to a folder
        // of the test's own: none there, so the start-up applies the defaults.
        ui::SetExeFolder(QString::fromStdString(folder.string()));
        ui::SetModal(&modal);
        ui::CreateForms();
        main = ui::FMain;
        main->show();
        QCoreApplication::processEvents();
        main->resize(913, 593);
        QCoreApplication::processEvents();
    }
    // Windows as created, before the first showing translates them.
    void Recreate() {
        ui::DestroyForms();
        ui::CreateForms();
        main = ui::FMain;
    }
    void TearDown() override {
        ui::DestroyForms();
        ui::SetModal(nullptr);
        SourceFileName.clear();
        TargetFileName.clear();
        ZoomFactor = 1.0;
        LanguageCode.clear();
        ModeName.clear();
        ui::SetExeFolder(QString());
        std::filesystem::remove_all(folder);
    }

    std::string Path(const std::string& name) const { return (folder / name).string(); }

    template <typename T> T* Find(const char* name) const {
        T* found = main->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Opens a movie as the open dialog would.
    void OpenMovie(const std::string& path) {
        modal.openAnswers.push_back(QString::fromStdString(path));
        main->AOpen->trigger();
    }

    static bool ScratchLeft(const char* name) {
        return std::filesystem::exists((ui::ExeFolder() + QString::fromLatin1(name)).toStdString());
    }

    ScriptedModal modal;
    ui::TFMain* main = nullptr;
    std::filesystem::path folder;
};

// The windows of a machine where the player cannot be created.
class NoPlayerTest : public ::testing::Test {
protected:
    void TearDown() override {
        player::SetPlayerFactory({});
        ui::DestroyForms();
        ui::SetModal(nullptr);
    }
    // Creates and shows the windows with a factory that fails.
    ui::TFMain* Start(player::PlayerFactory failing) {
        App();
        ui::SetModal(&modal);
        player::SetPlayerFactory(std::move(failing));
        ui::CreateForms();
        ui::FMain->show();
        return ui::FMain;
    }
    static player::TSF* NoPlayer(QWidget*) { return nullptr; }

    ScriptedModal modal;
};

} // namespace quillon::test
