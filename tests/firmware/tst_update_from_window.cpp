// The firmware update as a fitter meets it in the main window: the controller found in its
// bootloader at start-up is programmed before the window opens, and button 1026 updates it
// again, with the file dialog answered by the test and the wait cursor watched.

#include "app/dialog_template.h"
#include "app/korrin_dlg.h"
#include "connection/process_state.h"
#include "connection/thread_manager.h"
#include "lang/program_texts.h"
#include "link/message_recorder.h"
#include "platform/paths.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"
#include "sim/afm/afm_builder.h"
#include "sim/afm/afm_tool.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

using namespace krv;

namespace {

bool waitCursorShown() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// Notes with each message whether the wait cursor was up while it showed.
class CCursorWatchingRecorder : public CMessageRecorder {
public:
    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override {
        withWaitCursor.push_back(waitCursorShown());
        return CMessageRecorder::show(owner, text, caption, style);
    }
    std::vector<bool> withWaitCursor;
};

struct DialogRequest {
    std::u16string initialDirectory, filter, defaultExtension;
    int saveMode;
};

// The controller's program memory from 0x1800 holds the sample image, 3 bytes of every 4.
bool holdsSampleImage(const sim::CController& controller) {
    const std::vector<uint8_t> image = sim::sampleImage();
    const sim::ControllerState state = controller.state();
    const std::vector<uint8_t>& memory = state.program.bytes();
    size_t at = sim::ProgramMemory::byteOffset(sim::ProgramMemory::kFirstAddress);
    for (size_t offset = 0x3000; offset + 3 <= image.size() && at + 3 <= memory.size();
         offset += 4, at += 3) {
        if (!std::equal(&image[offset], &image[offset + 3], &memory[at])) {
            return false;
        }
    }
    return at == memory.size();
}

} // namespace

class TestUpdateFromWindow : public QObject {
    Q_OBJECT

private:
    std::string directory;
    std::vector<DialogRequest> requests;
    std::deque<std::u16string> answers;

    std::u16string firmwareFile(const std::string& name, std::vector<std::string> options) {
        const std::string path = directory + "/" + name;
        options.insert(options.begin(), {path, "--sample"});
        std::ostringstream errors;
        if (sim::runAfmTool(options, errors) != sim::kAfmToolOk) {
            qWarning("krv-afm: %s", errors.str().c_str());
        }
        return toU16(path);
    }

private slots:
    void init() {
        char pattern[] = "/tmp/krv-update-window-XXXXXX";
        directory = ::mkdtemp(pattern);
        qputenv("XDG_CONFIG_HOME", QByteArray(directory.c_str()));
        failureCount = 0;
        foreignControllerReported = false;
        requests.clear();
        setFileDialogBackEnd([this](const COpenFile& dialog) {
            requests.push_back(
                {dialog.initialDirectory, dialog.filter, dialog.defaultExtension, dialog.saveMode});
            std::u16string answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        });
    }

    void cleanup() {
        setFileDialogBackEnd({});
        qunsetenv("KRV_PORTS");
        std::filesystem::remove_all(directory);
    }

    void bootloaderAtStartThenTheButtonUpdatesAgain() {
        sim::CController controller(sim::ControllerMode::Bootloader);
        sim::CSimulator simulator(controller);
        const std::string link = directory + "/port1";
        try {
            simulator.start(link);
        } catch (const std::system_error& error) {
            QSKIP(error.what());
        }
        qputenv("KRV_PORTS", QByteArray(link.c_str()));
        CCursorWatchingRecorder messages;
        CLPGThreadManager threads;
        answers = {firmwareFile("first.afm", {})};

        CKorrinDlg dialog(threads);
        dialog.OnInitDialog();
        dialog.show();

        auto shown = messages.messages();
        QCOMPARE(shown.size(), size_t{1});
        QVERIFY(shown[0].text == texts::kNeedsReprogramming);
        QCOMPARE(shown[0].style, MB_OK | MB_ICONINFORMATION);
        QCOMPARE(requests.size(), size_t{1});
        QVERIFY(requests[0].initialDirectory ==
                toU16(executableDirectory()) + u"Morvelcast Firmware/33EP");
        QCOMPARE(QString::fromStdU16String(toQtNameFilters(requests[0].filter)),
                 QStringLiteral("Firmware files (*.afm)"));
        QVERIFY(requests[0].defaultExtension == u"afm");
        QCOMPARE(requests[0].saveMode, 0);
        QVERIFY(holdsSampleImage(controller));
        QCOMPARE(controller.state().mode, sim::ControllerMode::Application);
        QVERIFY(dialog.connected);
        QVERIFY(dialog.timerActive(IMainWindow::kReadingsTimer));
        QVERIFY(!waitCursorShown());

        QAbstractButton* update = dialog.controls().button(mainId::kFirmwareUpdate);
        answers = {firmwareFile("wrong.afm", {"--target", "0x0100"})};
        update->click();
        shown = messages.messages();
        QCOMPARE(shown.size(), size_t{2});
        QVERIFY(shown[1].text == texts::kWrongFirmwareFile);
        QVERIFY2(messages.withWaitCursor[1], "the wait cursor is up once the file is chosen");
        QVERIFY(!waitCursorShown());
        QVERIFY(dialog.pollingRunning);

        answers = {firmwareFile("second.afm", {"--version", "0x0102"})};
        update->click();
        QCOMPARE(messages.messages().size(), size_t{2});
        QCOMPARE(controller.state().program.eraseCounts().at(0x1800), 2u);
        QVERIFY(holdsSampleImage(controller));
        QVERIFY(!waitCursorShown());
        QVERIFY(dialog.connected);
        QVERIFY(dialog.pollingRunning);
        QVERIFY(dialog.timerActive(IMainWindow::kReadingsTimer));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.diagData.sampleCount() > 0, 10000);
    }
};

QTEST_MAIN(TestUpdateFromWindow)
#include "tst_update_from_window.moc"
