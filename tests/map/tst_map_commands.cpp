// Map commands against the simulated controller on a pseudo-terminal: Ctrl+Up/Down on the
// selection and the header editor, checked on screen, in the window's model of the controller
// and in the controller's own state.

#include "connection/thread_manager.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message_recorder.h"
#include "map/map_emu1.h"
#include "sim/controller/controller.h"
#include "sim/wire/simulator.h"
#include "tests/support/in_place_jobs.h"
#include "tests/support/unavailable.h"

#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <system_error>

using namespace krv;

namespace {

constexpr unsigned kRefused = 0;

std::vector<uint8_t> regionRecord(const sim::Frame& frame) {
    return frame.payload;
}

QString u(std::u16string_view text) {
    return QString::fromStdU16String(std::u16string(text));
}

} // namespace

class TestMapCommands : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<sim::CController> controller;
    std::unique_ptr<sim::CSimulator> simulator;
    CLPGThreadManager threads;
    std::unique_ptr<CLPGConnection> device;
    std::unique_ptr<test::CInPlaceJobs> jobs;
    std::unique_ptr<CControllerModel> model;
    std::unique_ptr<QWidget> window;
    CMapEmu1* map = nullptr;
    std::unique_ptr<CMessageRecorder> messages;
    int refreshes = 0;

    uint8_t controllerCell(int column, int row) const {
        return controller->state().map[row * 15 + column];
    }

    void select(std::initializer_list<std::pair<int, int>> cells) {
        map->clearSelection(false);
        for (auto [c, r] : cells) {
            map->cell(c, r).setSelected(1);
        }
    }

    // Types into a header or value cell through the grid's editor, as the user does.
    QString edit(int column, int row, const QString& typed) {
        QTest::mouseDClick(map, Qt::LeftButton, {}, map->cellRect(column, row).center());
        auto* editor = map->findChild<QLineEdit*>();
        if (!map->isEditing() || editor == nullptr) {
            return "<no editor>";
        }
        editor->clear();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        return map->cellAt(column, row).getTxt();
    }

    // Loads the model from the controller as a connection does, then shows it.
    void loadFromController() {
        const auto state = readControllerState(*device);
        QVERIFY(state);
        model->load({kServedDeviceType, 0x0100, *state});
        controller->clearRequests();
        refreshes = 0;
    }

    double modelCell(int column, int row) const {
        return units::mapCellVolts(model->acknowledged().cells[row * 15 + column]);
    }

    void setControllerAxisColumns(std::initializer_list<std::pair<int, uint8_t>> columns) {
        const auto state = controller->state();
        auto axis = state.columnAxis;
        for (auto [c, value] : columns) {
            axis[c] = value;
        }
        controller->setAxes(state.rowAxis, axis);
    }

    void refuseEverything() {
        auto knobs = controller->knobs();
        knobs.forcedReply = sim::Frame{2, {kRefused, 0, 0, 0, 0, 0}};
        controller->setKnobs(knobs);
    }

private slots:
    void init() {
        controller = std::make_unique<sim::CController>();
        simulator = std::make_unique<sim::CSimulator>(*controller);
        try {
            simulator->start();
        } catch (const std::system_error& error) {
            KRV_QTEST_UNAVAILABLE(std::string("no pseudo-terminal: ") + error.what());
        }
        qputenv("KRV_PORTS", QByteArray(simulator->slavePath().c_str()));
        device = std::make_unique<CLPGConnection>(threads);
        try {
            device->port.open(1);
            device->port.setState();
            device->port.setTimeout();
        } catch (IError* error) {
            const std::unique_ptr<IError> owned(error);
            QFAIL(qPrintable(u(owned->format())));
        }
        device->connected = true;
        jobs = std::make_unique<test::CInPlaceJobs>(*device);
        model = std::make_unique<CControllerModel>(*jobs);
        window = std::make_unique<QWidget>();
        map = new CMapEmu1(*model, window.get());
        map->create(QFont());
        map->resize(731, 376);
        // As the window says what the model reports.
        model->setReportListener([this](const std::u16string& text, bool portError) {
            showMessage(window.get(), text, u"Emulator KRV", portError ? MB_OK : MB_ICONERROR);
        });
        model->setChangedListener([this] {
            ++refreshes;
            map->fillFromModel();
        });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        messages = std::make_unique<CMessageRecorder>();
        loadFromController();
    }

    void cleanup() {
        messages.reset();
        window.reset();
        map = nullptr;
        model.reset();
        jobs.reset();
        device.reset();
        simulator.reset();
        controller.reset();
    }

    // The screen stops at 5.0 V, the controller's arithmetic at 255 (5.1 V): once the
    // controller has answered, the cell shows what it holds.
    void ctrlUpOnTheLimitStillSendsARaise() {
        auto bytes = controller->state().map;
        bytes[3 * 15 + 7] = 250; // 5.0 V
        controller->setMap(bytes);
        loadFromController();
        QCOMPARE(map->cell(7, 3).getTxt(), QString("5.00"));
        select({{7, 3}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QCOMPARE(map->cell(7, 3).getTxt(), QString("5.10"));
        const auto adjustments = controller->requests(10);
        QCOMPARE(adjustments.size(), size_t(1));
        QCOMPARE(regionRecord(adjustments[0]), (std::vector<uint8_t>{3, 7, 1, 1, 2, 5}));
        QCOMPARE(controllerCell(7, 3), uint8_t(255));
        QCOMPARE(modelCell(7, 3), 5.1); // the model holds what the controller holds
        QVERIFY(messages->messages().empty());
    }

    void ctrlDownOnZeroStaysAndSendsALower() {
        select({{0, 0}});
        QVERIFY(map->handleKey(vk::kDown, true, false));
        QCOMPARE(map->cell(0, 0).getTxt(), QString("0.00"));
        QCOMPARE(regionRecord(controller->requests(10).at(0)),
                 (std::vector<uint8_t>{0, 0, 1, 1, 3, 5}));
        QCOMPARE(controllerCell(0, 0), uint8_t(0));
    }

    void rectangleIsSentAsOneRegionAndStored() {
        select({{4, 2}, {5, 2}, {6, 2}, {4, 3}, {5, 3}, {6, 3}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        const auto adjustments = controller->requests(10);
        QCOMPARE(adjustments.size(), size_t(1));
        QCOMPARE(regionRecord(adjustments[0]), (std::vector<uint8_t>{2, 4, 2, 3, 2, 5}));
        QCOMPARE(controller->state().counters.mapStores, uint64_t(1));
        for (int c = 0; c < 15; ++c) {
            for (int r = 0; r < 16; ++r) {
                const bool inside = c >= 4 && c <= 6 && r >= 2 && r <= 3;
                QCOMPARE(controllerCell(c, r), uint8_t(inside ? 5 : 0));
                QCOMPARE(modelCell(c, r), inside ? 0.1 : 0.0);
                QCOMPARE(map->cell(c, r).getTxt(), QString(inside ? "0.10" : "0.00"));
            }
        }
    }

    // The controller learns only the run right of and below the top-left cell; the model,
    // and the screen with it, follow the controller.
    void lShapedSelectionSendsOnlyTheTopLeftRun() {
        select({{4, 2}, {5, 2}, {6, 2}, {6, 3}, {6, 4}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QCOMPARE(regionRecord(controller->requests(10).at(0)),
                 (std::vector<uint8_t>{2, 4, 1, 3, 2, 5}));
        for (auto [c, r] : {std::pair{4, 2}, {5, 2}, {6, 2}}) {
            QCOMPARE(map->cell(c, r).getTxt(), QString("0.10"));
        }
        for (auto [c, r] : {std::pair{6, 3}, {6, 4}}) {
            QCOMPARE(map->cell(c, r).getTxt(), QString("0.00"));
        }
        QCOMPARE(controllerCell(6, 2), uint8_t(5));
        QCOMPARE(controllerCell(6, 3), uint8_t(0));
        QCOMPARE(controllerCell(6, 4), uint8_t(0));
        QCOMPARE(model->acknowledged().cells, controller->state().map);
    }

    // Cells between the one-decimal texts keep their 0.02 V steps in the model: a later write
    // of the whole map (every settings click sends one) must not round them to the screen.
    void ctrlUpStepsTheModelInWireUnitsAndLeavesOtherCellsAlone() {
        std::array<uint8_t, 240> bytes{};
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<uint8_t>(90 + i % 7); // 1.80 .. 1.92 V
        }
        controller->setMap(bytes);
        loadFromController();
        select({{2, 5}, {3, 5}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QVERIFY(map->handleKey(vk::kDown, true, false));
        QVERIFY(map->handleKey(vk::kDown, true, false));
        QVERIFY(device->writeMap(model->acknowledged().cells));
        auto expected = bytes;
        expected[5 * 15 + 2] -= 5;
        expected[5 * 15 + 3] -= 5;
        QCOMPARE(controller->state().map, expected);
    }

    void refusalShowsTheMessageAndWhatTheControllerHolds() {
        refuseEverything();
        select({{1, 1}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QCOMPARE(map->cell(1, 1).getTxt(), QString("0.00"));
        QVERIFY(!map->cell(1, 1).isPending());
        QCOMPARE(modelCell(1, 1), 0.0);
        const auto shown = messages->messages();
        QCOMPARE(shown.size(), size_t(1));
        // It refuses its reads as well: what it holds is to be read when it answers again.
        QCOMPARE(u(shown[0].text), u(translate(texts::kWriteLinkLost)));
        QCOMPARE(u(shown[0].caption), QString("Emulator KRV"));
        QCOMPARE(shown[0].style, 0x10u);
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(window.get()));
        // No store after a refused adjustment (the reads that look for what it holds may go).
        const auto commands = controller->requests(protocol::kCommandFrame);
        QVERIFY(std::none_of(commands.begin(), commands.end(), [](const sim::Frame& frame) {
            return frame.payload.at(0) == protocol::kStoreMap;
        }));
    }

    void portErrorIsReportedUnderTheOperationName() {
        device->port.close();
        select({{1, 1}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        const auto shown = messages->messages();
        QCOMPARE(shown.size(), size_t(1));
        QVERIFY(u(shown[0].text).startsWith("CMapEmu1::incrementSelected()\n"));
        QCOMPARE(shown[0].style, 0u);
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(window.get()));
        QCOMPARE(map->cell(1, 1).getTxt(), QString("0.00"));
        QCOMPARE(modelCell(1, 1), 0.0);
    }

    // A step shown while the link is down would be a value the controller never got, dropped
    // at the reconnect: the key is held instead.
    void whileTheLinkIsDownCtrlArrowsChangeNothing() {
        model->linkLost();
        select({{1, 1}});
        QVERIFY(map->handleKey(vk::kUp, true, false));
        QCOMPARE(map->cell(1, 1).getTxt(), QString("0.00"));
        QCOMPARE(controller->requests().size(), size_t(0));
        QCOMPARE(modelCell(1, 1), 0.0);
    }

    // Header edits: the text shown, and the break point the controller holds afterwards
    // (row words in 0.015 V, column bytes in 100 rpm).
    void headerEdits_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("controllerValue");
        // Controller axes: rows 64 (k + 1) -> 0.96 (k + 1) V; columns 5 + 3j -> 500 + 300 j.
        // A header shows what the controller holds once it answered: 83 x 0.015 V = 1.245 V.
        QTest::newRow("decimal comma") << -1 << 2 << "1,25"
                                       << "1.24" << 83;
        QTest::newRow("letters in a row header") << -1 << 2 << "abc"
                                                 << "0.00" << 0;
        QTest::newRow("leading number") << -1 << 2 << "3.5V"
                                        << "3.50" << 233;
        QTest::newRow("9000 beside 6000") << 14 << -1 << "9000"
                                          << "8000" << 80;
        QTest::newRow("5000 beside 6000") << 14 << -1 << "5000"
                                          << "6100" << 61;
        QTest::newRow("2449 between 2000 and 3000") << 5 << -1 << "2449"
                                                    << "2400" << 24;
        QTest::newRow("2450 between 2000 and 3000") << 5 << -1 << "2450"
                                                    << "2500" << 25;
        QTest::newRow("letters in column 0") << 0 << -1 << "xyz"
                                             << "500" << 5;
        QTest::newRow("column 0 below column 1") << 0 << -1 << "900"
                                                 << "700" << 7;
    }
    void headerEdits() {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, controllerValue);
        setControllerAxisColumns({{0, 6}, {4, 20}, {5, 22}, {6, 30}, {13, 60}, {14, 70}});
        loadFromController();
        QCOMPARE(edit(column, row, typed), shown);
        QCOMPARE(controller->requests(11).size(), size_t(1));
        QCOMPARE(refreshes, 1);
        const auto state = controller->state();
        if (column == -1) {
            QCOMPARE(int(state.rowAxis[row]), controllerValue);
            QCOMPARE(map->rowHeader(row).getTxt(), shown);
        } else {
            QCOMPARE(int(state.columnAxis[column]), controllerValue);
            QCOMPARE(units::columnBreakRpm(model->acknowledged().columns[column]),
                     shown.toDouble());
        }
        QVERIFY(messages->messages().empty());
    }

    void editsThatChangeNothingWriteNothing_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty row header") << -1 << 3 << ""
                                          << "3.84";
        QTest::newRow("empty column header") << 3 << -1 << ""
                                             << "1400";
        QTest::newRow("same row break point") << -1 << 1 << "1.92"
                                              << "1.92";
        QTest::newRow("same column break point") << 3 << -1 << "1420"
                                                 << "1400";
        QTest::newRow("2.7 in a value cell") << 3 << 3 << "2.7"
                                             << "3";
        QTest::newRow("empty value cell") << 3 << 3 << ""
                                          << "0.00";
    }
    void editsThatChangeNothingWriteNothing() {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(edit(column, row, typed), shown);
        QCOMPARE(controller->requests().size(), size_t(0));
        QCOMPARE(refreshes, 0);
        QCOMPARE(modelCell(3, 3), 0.0);
    }

    // A change below a tenth of a volt still reaches the controller: "changed" means the
    // header would show another value.
    void smallRowChangeIsWritten() {
        QCOMPARE(map->rowHeader(4).getTxt(), QString("4.80"));
        QCOMPARE(edit(-1, 4, "4.83"), QString("4.83"));
        QCOMPARE(controller->requests(11).size(), size_t(1));
        QCOMPARE(int(controller->state().rowAxis[4]), 322);
        QCOMPARE(units::rowBreakVolts(model->acknowledged().rows[4]), 4.83);
    }

    void rowHeaderBeyondTheWireRangeIsClamped() {
        QCOMPARE(edit(-1, 15, "1e6"), QString("491.49")); // 32766 x 0.015 V
        QCOMPARE(int(controller->state().rowAxis[15]), 32766);
        // An input voltage is never negative, and a map file refuses one.
        QCOMPARE(edit(-1, 14, "-3"), QString("0.00"));
        QCOMPARE(int(controller->state().rowAxis[14]), 0);
    }

    void refusedAxisWriteShowsTheMessageAndWhatTheControllerHolds() {
        refuseEverything();
        QCOMPARE(edit(4, -1, "1550"), QString("1700"));
        const auto shown = messages->messages();
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(u(shown[0].text), u(translate(texts::kWriteLinkLost)));
        QCOMPARE(shown[0].style, 0x10u);
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(window.get()));
        QCOMPARE(refreshes, 1);
        QCOMPARE(units::columnBreakRpm(model->acknowledged().columns[4]), 1700.0);
        QCOMPARE(map->columnHeader(4).getTxt(), QString("1700"));
        QCOMPARE(int(controller->state().columnAxis[4]), 17);
    }

    void portErrorDuringAnAxisWriteIsReportedAndTheHeaderShowsTheController() {
        device->port.close();
        edit(-1, 0, "0.5");
        const auto shown = messages->messages();
        QCOMPARE(shown.size(), size_t(1));
        QVERIFY(u(shown[0].text).startsWith("CMapEdit::getText()\n"));
        QCOMPARE(shown[0].owner, static_cast<MessageOwner>(window.get()));
        QCOMPARE(map->rowHeader(0).getTxt(), QString("0.96"));
    }

    void editorOfAMapOutsideAWindowChangesNothing() {
        CMapEmu1 loose(*model);
        loose.create(QFont());
        loose.fillFromModel();
        loose.resize(731, 376);
        loose.show();
        QVERIFY(QTest::qWaitForWindowExposed(&loose));
        QTest::mouseDClick(&loose, Qt::LeftButton, {}, loose.cellRect(-1, 0).center());
        auto* editor = loose.findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText("0.5");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(loose.rowHeader(0).getTxt(), QString("0.96"));
        QCOMPARE(controller->requests().size(), size_t(0));
    }

    void whileTheLinkIsDownHeaderEditsChangeNothing() {
        model->linkLost();
        QCOMPARE(edit(-1, 0, "0.5"), QString("0.96"));
        QCOMPARE(edit(14, -1, "9000"), QString("4700"));
        QCOMPARE(controller->requests().size(), size_t(0));
        QCOMPARE(units::rowBreakVolts(model->acknowledged().rows[0]), 0.96);
        QCOMPARE(refreshes, 0);
    }
};

QTEST_MAIN(TestMapCommands)
#include "tst_map_commands.moc"
