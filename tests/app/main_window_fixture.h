#pragma once
// The main window under test, set up as a fitter starts it: a temporary settings folder, the
// message recorder, the thread manager, scripted file choices (cancelled unless the test
// answers them) and, when asked for, the simulated controller on a pseudo-terminal as port 1. A
// test class owns one and calls setUp/tearDown from its init/cleanup slots.

#include "app/korrin_dlg.h"
#include "app/no_connection_dlg.h"
#include "connection/thread_manager.h"
#include "link/message_recorder.h"
#include "modal_answer.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/device/readings_record.h"
#include "tests/support/scripted_file_chooser.h"
#include "tests/support/temp_folder.h"

#include <QAbstractButton>
#include <QString>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace krv::test {

inline void clickDemo(CNoConnectionDlg& dialog) {
    dialog.demoButton()->click();
}

inline void clickWithoutConnection(CNoConnectionDlg& dialog) {
    dialog.withoutConnectionButton()->click();
}

inline QString fieldText(const CKorrinDlg& dialog, int id) {
    return QString::fromStdU16String(dialog.controls().text(id));
}

inline QString qtext(std::u16string_view text) {
    return QString::fromStdU16String(std::u16string(text));
}

class CMainWindowFixture {
public:
    void setUp() {
        folder.emplace();
        directory = folder->path().string();
        // Through Qt: its test watchdog reads the environment from another thread.
        qputenv("XDG_CONFIG_HOME", QByteArray(directory.c_str()));
        qputenv("XDG_DATA_HOME", QByteArray(directory.c_str())); // map backups land here
        qputenv("KRV_PORTS", QByteArray());
        messages = std::make_unique<CMessageRecorder>();
        threads = std::make_unique<CLPGThreadManager>();
        files.emplace();
    }

    void tearDown() {
        // A failed test says what the window told the fitter, often the first clue.
        if (QTest::currentTestFailed() && messages != nullptr) {
            for (const RecordedMessage& message : messages->messages()) {
                qWarning("message shown: %s", qPrintable(QString::fromStdU16String(message.text)));
            }
        }
        dialog.reset();
        files.reset();
        laterChoices.reset();
        threads.reset();
        simulator.reset();
        controller.reset();
        messages.reset();
        folder.reset();
    }

    // The simulated controller behind port 1; the error text when no pseudo-terminal can be had.
    std::optional<std::string>
    startController(sim::ControllerMode mode = sim::ControllerMode::Application) {
        controller = std::make_unique<sim::CController>(mode);
        simulator = std::make_unique<sim::CSimulator>(*controller);
        const std::string link = directory + "/port1";
        try {
            simulator->start(link);
        } catch (const std::system_error& error) {
            return std::string(error.what());
        }
        qputenv("KRV_PORTS", QByteArray(link.c_str()));
        return std::nullopt;
    }

    // The window once its port search has ended, with the no-connection dialog (if it comes)
    // answered by answer. The window shows while the search runs. A no-connection dialog that
    // comes later is answered "without connection" and counted in laterChoices.
    template <class Dialog = CKorrinDlg>
    void startWindow(std::function<void(CNoConnectionDlg&)> answer) {
        {
            CModalAnswer<CNoConnectionDlg> answering(std::move(answer));
            dialog = std::make_unique<Dialog>(*threads, &*files);
            dialog->OnInitDialog();
            dialog->show();
            waitForOperations();
        }
        laterChoices = std::make_unique<CModalAnswer<CNoConnectionDlg>>(
            clickWithoutConnection, CModalAnswer<CNoConnectionDlg>::Answers::Every);
    }

    // Until the window's worker has nothing left to do (the window stays live meanwhile);
    // false when it never got there.
    bool waitForOperations() {
        return QTest::qWaitFor([this] { return !dialog->operationRunning(); }, 60000);
    }

    std::vector<RecordedMessage> shown() const { return messages->messages(); }

    std::optional<TempFolder> folder;
    std::string directory;
    std::unique_ptr<CMessageRecorder> messages;
    std::unique_ptr<CLPGThreadManager> threads;
    // The window's file chooser (the window goes first).
    std::optional<CScriptedFileChooser> files;
    std::unique_ptr<sim::CController> controller;
    std::unique_ptr<sim::CSimulator> simulator;
    std::unique_ptr<CKorrinDlg> dialog;
    std::unique_ptr<CModalAnswer<CNoConnectionDlg>> laterChoices;
};

} // namespace krv::test
