// The window services and the dialogs' construction: message boxes in each style the program
// uses, the file dialog's filters, its owner and the firmware update's way to the window's file
// chooser, dialog units, the main window's layout from its
// template, the up-down arrows, and the answers of the no-connection dialog.

#include "app/dialog_font.h"
#include "app/firmware_update_window.h"
#include "app/korrin_dlg.h"
#include "app/krv_options.h"
#include "app/no_connection_dlg.h"
#include "app/qt_translations.h"
#include "app/spin_button.h"
#include "app/ui_gate.h"
#include "app/update_progress_dlg.h"
#include "connection/thread_manager.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "link/message_recorder.h"
#include "modal_answer.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/message_box.h"
#include "platform/qt/open_file.h"
#include "tests/support/temp_folder.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <array>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

using namespace krv;
using krv::test::CModalAnswer;

namespace {

enum class Answer { Enter, Escape, Yes, No };

void answerBox(QMessageBox& box, Answer answer) {
    switch (answer) {
    case Answer::Enter:
        QTest::keyClick(&box, Qt::Key_Return);
        break;
    case Answer::Escape:
        QTest::keyClick(&box, Qt::Key_Escape);
        break;
    case Answer::Yes:
        box.button(QMessageBox::Yes)->click();
        break;
    case Answer::No:
        box.button(QMessageBox::No)->click();
        break;
    }
}

// Captions of the main window that must fit their controls in every language.
bool textFits(const QWidget& control) {
    const QFontMetrics metrics(control.font());
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        const QRect needed = metrics.boundingRect(control.rect(), Qt::TextWordWrap, label->text());
        const int lines = needed.height() / metrics.lineSpacing();
        return needed.width() <= control.width() && lines * metrics.height() <= control.height();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        return button->sizeHint().width() <= control.width();
    }
    return true;
}

// Answers every file choice at once, noting the request and whether it came on the window's
// thread.
class CThreadNotingChooser : public IFileChooser {
public:
    std::u16string choose(const COpenFile& asked) override {
        onWindowThread = QThread::currentThread() == qApp->thread();
        request.emplace(asked);
        return u"/tmp/chosen.afm";
    }
    std::optional<COpenFile> request;
    bool onWindowThread = false;
};

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestWindowServices : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
    }

    void messageBoxStyles_data() {
        QTest::addColumn<unsigned>("style");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("result");
        QTest::newRow("plain OK") << 0x0u << Answer::Enter << int(QMessageBox::NoIcon) << 1;
        QTest::newRow("plain OK, Escape")
            << 0x0u << Answer::Escape << int(QMessageBox::NoIcon) << 1;
        QTest::newRow("error") << 0x10u << Answer::Enter << int(QMessageBox::Critical) << 1;
        QTest::newRow("information")
            << 0x40u << Answer::Enter << int(QMessageBox::Information) << 1;
        // Yes/No with No as the default: Enter and Escape both decline.
        QTest::newRow("yes-no, Enter") << 0x104u << Answer::Enter << int(QMessageBox::NoIcon) << 7;
        QTest::newRow("yes-no, Escape")
            << 0x104u << Answer::Escape << int(QMessageBox::NoIcon) << 7;
        QTest::newRow("yes-no, Yes") << 0x104u << Answer::Yes << int(QMessageBox::NoIcon) << 6;
        QTest::newRow("yes-no, No") << 0x104u << Answer::No << int(QMessageBox::NoIcon) << 7;
    }

    void messageBoxStyles() {
        QFETCH(unsigned, style);
        QFETCH(Answer, answer);
        QFETCH(int, icon);
        QFETCH(int, result);
        int shownIcon = -1;
        QString shownText;
        QString shownCaption;
        CModalAnswer<QMessageBox> answering([&](QMessageBox& box) {
            shownIcon = box.icon();
            shownText = box.text();
            shownCaption = box.windowTitle();
            answerBox(box, answer);
        });
        QCOMPARE(showQtMessageBox(nullptr, u"Nie powiodło się!", u"Emulator KRV", style), result);
        QCOMPARE(answering.answered(), 1);
        QCOMPARE(shownIcon, icon);
        QCOMPARE(shownText, QStringLiteral("Nie powiodło się!"));
        QCOMPARE(shownCaption, QStringLiteral("Emulator KRV"));
    }

    // The window's thread sits in a nested event loop (a modal dialog, a message box) at the
    // moment another thread asks it something: the question is answered there, not after the
    // dialog; and a gate that closes answers a waiting caller with its fallback.
    void gateIsServedByANestedEventLoop() {
        CUiGate gate;
        std::atomic<int> answer{0};
        bool answeredInside = false;
        std::thread asking;
        QEventLoop nested;
        QTimer::singleShot(5000, &nested, &QEventLoop::quit); // a bound, not a timing
        gate.post([&] {
            asking = std::thread([&] {
                answer = gate.call<int>([] { return 7; }, -1);
                QMetaObject::invokeMethod(&nested, &QEventLoop::quit, Qt::QueuedConnection);
            });
            nested.exec();
            answeredInside = answer == 7;
        });
        QTRY_VERIFY_WITH_TIMEOUT(asking.joinable(), 10000);
        asking.join();
        QVERIFY(answeredInside);

        std::thread waiting([&] { answer = gate.call<int>([] { return 7; }, -1); });
        QTest::qSleep(50); // the call is (most likely) waiting; either way it must end
        gate.close();
        waiting.join();
        QCOMPARE(answer.load(), -1);
    }

    void fileDialogFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qtFilters");
        QTest::newRow("firmware") << "Firmware files (*.afm)|*.afm|"
                                  << "Firmware files (*.afm)";
        QTest::newRow("patterns added") << "Firmware|*.afm|"
                                        << "Firmware (*.afm)";
        QTest::newRow("two filters, two patterns") << "Text|*.txt;*.log|All|*.*|"
                                                   << "Text (*.txt *.log);;All (*.*)";
        QTest::newRow("description without pattern is dropped") << "Firmware|"
                                                                << "";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fileDialogFilters() {
        QFETCH(QString, filter);
        QFETCH(QString, qtFilters);
        QCOMPARE(QString::fromStdU16String(toQtNameFilters(filter.toStdU16String())), qtFilters);
    }

    // The update runs on the worker and asks for its file there: the window's chooser answers
    // on the window's thread (through the gate), with the request as the update made it.
    void firmwareFileChoiceReachesTheWindowsChooser() {
        QWidget owner;
        CUiGate gate;
        CThreadNotingChooser files;
        CQtFirmwareUpdateWindow window(owner, gate, files);
        std::u16string chosen;
        std::atomic<bool> answered{false};
        std::thread update([&] {
            chosen = window.selectFile(u"/opt/fw/33EP", u"Firmware files (*.afm)|*.afm|", u"afm");
            answered = true;
        });
        const bool inTime = QTest::qWaitFor([&] { return answered.load(); }, 5000);
        gate.close(); // a call still waiting ends with its fallback
        update.join();
        QVERIFY(inTime);
        QCOMPARE(QString::fromStdU16String(chosen), QStringLiteral("/tmp/chosen.afm"));
        QVERIFY(files.request.has_value());
        QVERIFY(files.onWindowThread);
        QCOMPARE(QString::fromStdU16String(files.request->initialDirectory),
                 QStringLiteral("/opt/fw/33EP"));
        QVERIFY(files.request->filter == u"Firmware files (*.afm)|*.afm|");
        QVERIFY(files.request->defaultExtension == u"afm");
        QCOMPARE(files.request->saveMode, 0);
    }

    // The system dialog belongs to the window it was handed; cancelled, it gives nothing.
    void qtFileDialogCancelledGivesNothing() {
        QWidget owner;
        QWidget* parent = nullptr;
        CModalAnswer<QDialog> answering([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("OPEN"));
            parent = dialog.parentWidget();
            dialog.reject();
        });
        CQtFileChooser files(owner);
        QVERIFY(
            files.choose(COpenFile(u"/tmp", u"Firmware files (*.afm)|*.afm|", u"afm", 0)).empty());
        QCOMPARE(answering.answered(), 1);
        QCOMPARE(parent, &owner);
    }

    // Qt's own dialogs speak the session's language from Qt's translations: the Yes/No box and
    // the file dialog's buttons, under the title the tool gives.
    void qtDialogsSpeakTheSessionsLanguage_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Polish") << kBuiltInSlot << "&Tak"
                                << "&Nie"
                                << "Anuluj";
        QTest::newRow("Russian") << kRussianSlot << "&Да"
                                 << "&Нет"
                                 << "Отмена";
        QTest::newRow("Spanish") << kSpanishSlot << "&Sí"
                                 << "&No"
                                 << "Cancelar";
        QTest::newRow("English: none needed") << kEnglishSlot << "&Yes"
                                              << "&No"
                                              << "Cancel";
    }

    void qtDialogsSpeakTheSessionsLanguage() {
        QFETCH(int, slot);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(QString, cancel);
        const CQtTranslations translations(slot);
        QVERIFY2(translations.installed() == (slot != kEnglishSlot),
                 "Qt's translations (Debian: qt6-translations-l10n) are not installed");
        QWidget owner;
        QStringList boxButtons;
        CModalAnswer<QMessageBox> boxAnswer([&](QMessageBox& box) {
            boxButtons << box.button(QMessageBox::Yes)->text()
                       << box.button(QMessageBox::No)->text();
            box.button(QMessageBox::No)->click();
        });
        QCOMPARE(showQtMessageBox(&owner, u"?", u"Emulator KRV", MB_YESNO), IDNO);
        QCOMPARE(boxButtons, QStringList({yes, no}));

        QString title;
        QStringList dialogButtons;
        CModalAnswer<QFileDialog> dialogAnswer([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            for (const QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons()) {
                dialogButtons << button->text();
            }
            dialog.reject();
        });
        CQtFileChooser files(owner, u"Otwórz", u"Zapisz");
        QVERIFY(files.choose(COpenFile(u"/tmp", u"Pliki mapy (*.csv)|*.csv|", u"csv", 1)).empty());
        QCOMPARE(title, QStringLiteral("Zapisz"));
        QVERIFY2(dialogButtons.contains(cancel), qPrintable(dialogButtons.join(u'|')));
    }

    void dialogUnits_data() {
        QTest::addColumn<QRect>("units");
        QTest::addColumn<QRect>("pixels");
        // Base units 7 x 16: x = dlu * 7 / 4, y = dlu * 16 / 8, rounded as MulDiv rounds.
        QTest::newRow("origin") << QRect(0, 0, 4, 8) << QRect(0, 0, 7, 16);
        QTest::newRow("close button") << QRect(392, 0, 116, 15) << QRect(686, 0, 203, 30);
        QTest::newRow("rounding shares edges") << QRect(1, 1, 1, 1) << QRect(2, 2, 2, 2);
        QTest::newRow("whole window") << QRect(0, 0, 510, 358) << QRect(0, 0, 893, 716);
    }

    void dialogUnits() {
        QFETCH(QRect, units);
        QFETCH(QRect, pixels);
        QCOMPARE(CDialogUnits(7, 16).toPixels(units), pixels);
    }

    void updateProgressShowsShareTimeLeftAndOnlyARetrysAttempt() {
        QWidget owner;
        CUpdateProgressDlg progress(&owner);
        using Phase = FirmwareUpdateProgress::Phase;
        progress.showProgress({Phase::EnteringBootloader, 0, 272, 1});
        QVERIFY(progress.isVisible());
        QVERIFY(progress.programming());
        QCOMPARE(progress.phaseText()->text(), QStringLiteral("Wejście do bootloadera"));
        QVERIFY(progress.attemptText()->isHidden());
        progress.showProgress({Phase::Programming, 0, 272, 1});
        QTest::qWait(50);
        progress.showProgress({Phase::Programming, 136, 272, 1});
        QCOMPARE(progress.bar()->text(), QStringLiteral("50 %"));
        QVERIFY(progress.timeLeftText()->text().startsWith(QStringLiteral("Pozostało około ")));
        QVERIFY(progress.timeLeftText()->text().endsWith(QStringLiteral(" s")));

        progress.showProgress({Phase::EnteringBootloader, 0, 272, 3});
        QCOMPARE(progress.bar()->value(), 0);
        QVERIFY(!progress.attemptText()->isHidden());
        QCOMPARE(progress.attemptText()->text(), QStringLiteral("Próba 3 z 10"));
        QVERIFY(progress.timeLeftText()->text().isEmpty());

        progress.showProgress({Phase::Reconnecting, 272, 272, 3});
        QVERIFY2(!progress.programming(), "the controller runs its program again");
        QTest::keyClick(&progress, Qt::Key_Escape);
        QVERIFY(progress.isVisible());
        progress.finish();
        QVERIFY(!progress.isVisible());
    }

    void mainWindowFollowsItsTemplate() {
        qputenv("KRV_PORTS", QByteArray());
        CMessageRecorder messages;
        CLPGThreadManager threads;
        CKorrinDlg dialog(threads);
        const CDialogUnits& units = dialog.controls().units();
        QCOMPARE(units.baseWidth(), CDialogUnits(dialogFont(10)).baseWidth());
        QCOMPARE(dialog.size(), QSize(units.toPixelsX(510), units.toPixelsY(358)));
        for (const ControlTemplate& entry : kMainDialogTemplate.controls) {
            if (entry.id != kNoId) {
                QCOMPARE(dialog.controls().control(entry.id)->geometry(),
                         units.toPixels(entry.dialogUnits));
            }
        }
        CModalAnswer<CNoConnectionDlg> answering([](CNoConnectionDlg& noConnection) {
            noConnection.withoutConnectionButton()->click();
        });
        dialog.OnInitDialog();
        // The chart and the grid take the places of their placeholders.
        QCOMPARE(dialog.chart().geometry(), units.toPixels(QRect(158, 22, 296, 140)));
        QCOMPARE(dialog.mapGrid().geometry(), units.toPixels(QRect(1, 168, 418, 188)));
        QCOMPARE(dialog.chart().parentWidget(), &dialog);
        QCOMPARE(dialog.mapGrid().parentWidget(), &dialog);
    }

    void captionsFitInEveryShippedLanguage_data() {
        QTest::addColumn<int>("slot");
        for (int slot : {kBuiltInSlot, kEnglishSlot, kRussianSlot, kSpanishSlot}) {
            QTest::addRow("slot %d", slot) << slot;
        }
    }

    void captionsFitInEveryShippedLanguage() {
        QFETCH(int, slot);
        setLanguageSlot(slot);
        openLanguageFiles(KRV_LANG_DIR);
        CLPGThreadManager threads;
        CKorrinDlg dialog(threads);
        dialog.applyDialogTexts();
        dialog.show();
        for (const ControlTemplate& entry : kMainDialogTemplate.controls) {
            if (entry.id == kNoId || entry.kind == ControlKind::Placeholder ||
                entry.id == mainId::kChart) {
                continue;
            }
            const QWidget& control = *dialog.controls().control(entry.id);
            QVERIFY2(
                textFits(control),
                qPrintable(QStringLiteral("control %1: %2")
                               .arg(entry.id)
                               .arg(QString::fromStdU16String(dialog.controls().text(entry.id)))));
        }
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
    }

    void spinArrowsReportSignedSteps() {
        CSpinButton spin(nullptr);
        spin.resize(17, 28);
        spin.show();
        QSignalSpy steps(&spin, &CSpinButton::stepped);
        spin.upButton()->click();
        spin.downButton()->click();
        spin.downButton()->click();
        QCOMPARE(steps.count(), 3);
        QCOMPARE(steps.at(0).at(0).toInt(), -1);
        QCOMPARE(steps.at(1).at(0).toInt(), +1);
        QCOMPARE(steps.at(2).at(0).toInt(), +1);
        QVERIFY(spin.upButton()->geometry().bottom() < spin.downButton()->geometry().top());
    }

    // krv --language GERMAN with a GERMAN.txt present: the window speaks German; a text the
    // file lacks falls back as in any language.
    void languageOptionShowsThatLanguagesTexts() {
        test::TempFolder folder;
        const std::u16string german =
            u"\uFEFFEmulator ciśnienia paliwa\ttitle\tKraftstoffdruck-Emulator"
            u"\r\nZamknij\tbutton\tSchließen\r\n";
        std::ofstream(folder.path() / "GERMAN.txt", std::ios::binary)
            .write(reinterpret_cast<const char*>(german.data()),
                   static_cast<std::streamsize>(german.size() * sizeof(char16_t)));
        std::array<char*, 3> arguments{const_cast<char*>("krv"), const_cast<char*>("--language"),
                                       const_cast<char*>("GERMAN")};
        int exitCode = -1;
        QVERIFY(startFromCommandLine(3, arguments.data(), exitCode));
        openLanguageFiles(folder.path());
        CLPGThreadManager threads;
        CKorrinDlg window(threads);
        window.applyDialogTexts();
        const QString title = window.windowTitle();
        const QString close = window.controls().button(mainId::kClose)->text();
        const QString clear = window.controls().button(mainId::kClearMap)->text();
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
        QCOMPARE(title, QStringLiteral("Kraftstoffdruck-Emulator KRV v 1.12"));
        QCOMPARE(close, QStringLiteral("Schließen"));
        QCOMPARE(clear, QStringLiteral("Kasuj")); // nor in English: no ENGLISH.txt here
    }

    // The window's own search over a table with nothing usable in it: the dialog keeps its
    // message and buttons and lists the ports under the buttons, in the chosen language.
    void noConnectionDialogListsThePortsUnderItsButtons() {
        const QString file = QDir::temp().filePath(QStringLiteral("krv-notes.txt"));
        QFile(file).open(QIODevice::WriteOnly);
        qputenv("KRV_PORTS", ("/nonexistent/ttyUSB7:" + file).toUtf8());
        setLanguageSlot(kEnglishSlot);
        openLanguageFiles(KRV_LANG_DIR);
        CMessageRecorder messages;
        CLPGThreadManager threads;
        CKorrinDlg window(threads);
        QString shownLines;
        bool linesBetweenMessageAndButtons = false;
        CModalAnswer<CNoConnectionDlg> answering([&](CNoConnectionDlg& shown) {
            QVERIFY(shown.portLines());
            shownLines = shown.portLines()->text();
            // Read from the top: the message, the ports, then the buttons that answer it.
            const int buttonsTop = std::min(shown.demoButton()->geometry().top(),
                                            shown.withoutConnectionButton()->geometry().top());
            const QRect list = shown.portList()->geometry();
            linesBetweenMessageAndButtons =
                list.top() > shown.messageText()->geometry().bottom() &&
                list.bottom() < buttonsTop &&
                std::max(shown.demoButton()->geometry().bottom(),
                         shown.withoutConnectionButton()->geometry().bottom()) < shown.height();
            shown.withoutConnectionButton()->click();
        });
        window.OnInitDialog();
        QVERIFY(QTest::qWaitFor([&] { return !window.operationRunning(); }, 20000));
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
        QFile::remove(file);
        QCOMPARE(shownLines,
                 QStringLiteral("Ports tried:\n/nonexistent/ttyUSB7: no such device\n") + file +
                     QStringLiteral(": not a serial port"));
        QVERIFY(linesBetweenMessageAndButtons);
    }

    // 300 port lines made the dialog 4,286 px tall, its message and buttons off a 1,024 px
    // screen: the list scrolls instead, and the dialog fits the screen it opens on.
    void noConnectionDialogFitsTheScreenWithManyPorts() {
        std::vector<std::u16string> lines{u"Sprawdzone porty:"};
        for (int i = 1; i <= 300; ++i) {
            lines.push_back(u"/dev/ttyUSB" + QString::number(i).toStdU16String() +
                            u": sterownik nie odpowiada");
        }
        CNoConnectionDlg dialog(nullptr, lines);
        const int screenHeight = QGuiApplication::primaryScreen()->availableGeometry().height();
        QVERIFY2(dialog.height() <= screenHeight,
                 qPrintable(QString("%1 of %2 px").arg(dialog.height()).arg(screenHeight)));
        const QRect inside(QPoint(0, 0), dialog.size());
        QVERIFY(inside.contains(dialog.messageText()->geometry()));
        QVERIFY(inside.contains(dialog.demoButton()->geometry()));
        QVERIFY(inside.contains(dialog.withoutConnectionButton()->geometry()));
        QVERIFY(inside.contains(dialog.portList()->geometry()));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Every line is there to scroll to, the last one included.
        QVERIFY(dialog.portList()->verticalScrollBar()->maximum() > 0);
        QVERIFY(dialog.portLines()->text().endsWith(u"/dev/ttyUSB300: sterownik nie odpowiada"));
        dialog.portList()->verticalScrollBar()->setValue(
            dialog.portList()->verticalScrollBar()->maximum());
        const QRect shown =
            dialog.portList()->viewport()->rect().translated(dialog.portLines()->pos() * -1);
        QVERIFY(shown.bottom() >= dialog.portLines()->height() - 1);

        // A short list does not scroll and takes only its own height.
        CNoConnectionDlg few(nullptr, {lines[0], lines[1]});
        few.show();
        QVERIFY(QTest::qWaitForWindowExposed(&few));
        QCOMPARE(few.portList()->verticalScrollBar()->maximum(), 0);
        QVERIFY(few.height() < dialog.height());
    }

    void noConnectionDialogAnswers_data() {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("result");
        QTest::newRow("demo button") << 0 << CNoConnectionDlg::kResultDemo;
        QTest::newRow("Enter presses the demo button") << 1 << CNoConnectionDlg::kResultDemo;
        QTest::newRow("without-connection button")
            << 2 << CNoConnectionDlg::kResultWithoutConnection;
        QTest::newRow("Escape") << 3 << CNoConnectionDlg::kResultWithoutConnection;
        QTest::newRow("close box") << 4 << CNoConnectionDlg::kResultWithoutConnection;
    }

    void noConnectionDialogAnswers() {
        QFETCH(int, action);
        QFETCH(int, result);
        CNoConnectionDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Emulator KRV"));
        QCOMPARE(dialog.messageText()->text(),
                 QStringLiteral("Aplikacja nie może nawiązać połączenia ze sterownikiem na "
                                "żadnym z portów COM komputera."));
        CModalAnswer<CNoConnectionDlg> answering([action](CNoConnectionDlg& shown) {
            switch (action) {
            case 0:
                shown.demoButton()->click();
                break;
            case 1:
                QTest::keyClick(&shown, Qt::Key_Return);
                break;
            case 2:
                shown.withoutConnectionButton()->click();
                break;
            case 3:
                QTest::keyClick(&shown, Qt::Key_Escape);
                break;
            default:
                shown.close();
            }
        });
        QCOMPARE(dialog.DoModal(), result);
    }
};

QTEST_MAIN(TestWindowServices)
#include "tst_window_services.moc"
