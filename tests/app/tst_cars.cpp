// The register of cars in the window against the simulated controller: the car asked for in a
// bar when its controller connects, the question before writing to a controller that holds
// another car's map, a recorded log and a calibration drive under the current car, and the Cars
// dialog's search and page.

#include "app/cars_dialog.h"
#include "lang/program_texts.h"
#include "link/message.h"
#include "main_window_fixture.h"
#include "register/car_register.h"
#include "tests/support/map_keeping.h"
#include "tests/support/unavailable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace krv;
using namespace krv::test;

namespace {

std::array<uint8_t, 240> mapFilledWith(uint8_t value) {
    std::array<uint8_t, 240> map{};
    map.fill(value);
    return map;
}

} // namespace

class TestCars : public QObject {
    Q_OBJECT

private:
    CMainWindowFixture fixture;

    CKorrinDlg& dialog() { return *fixture.dialog; }
    std::string registerPath() const { return fixture.directory + "/Morvelcast/register.sqlite"; }
    ControllerData controllerData() const {
        return {kServedDeviceType, fixture.controller->knobs().version,
                snapshotOfController(*fixture.controller)};
    }
    int64_t addCar(reg::CarRegister& cars, const std::string& plate) {
        reg::CarDetails details;
        details.plate = plate;
        details.make = "Skoda";
        return cars.addCar(details).value();
    }
    std::vector<reg::Cause> causes(int64_t car) {
        reg::CarRegister cars(registerPath());
        std::vector<reg::Cause> found;
        for (const reg::TimelineEntry& entry : cars.timeline(car)) {
            if (entry.kind == reg::TimelineEntry::Kind::Seen) {
                found.push_back(entry.cause);
            }
        }
        return found;
    }

private slots:
    void init() { fixture.setUp(); }
    void cleanup() { fixture.tearDown(); }

    void theCarIsAskedForAndChosenOnlyOnTheFittersYes() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE("no pseudo-terminal: " + *error);
        }
        fixture.controller->setMap(mapFilledWith(40));
        int64_t wx = 0;
        {
            reg::CarRegister cars(registerPath());
            wx = addCar(cars, "WX 12345");
            cars.recordState(wx, controllerData(), reg::Cause::Connected);
        }
        fixture.startWindow(clickWithoutConnection);
        QVERIFY(dialog().device().connected);
        CCarBar& bar = dialog().cars().bar();
        QVERIFY(bar.isVisible());
        QVERIFY(bar.question()->text().contains("WX 12345"));
        QVERIFY(!dialog().windowTitle().contains("WX 12345"));
        QCOMPARE(causes(wx).size(), size_t{1}); // nothing recorded before the answer
        // The question stands below the controls, the window grown for it: the status and the
        // firmware update stay in sight.
        const QList<QWidget*> controls =
            dialog().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        for (const QWidget* control : controls) {
            if (control != &bar && control->isVisible()) {
                QVERIFY2(
                    !control->geometry().intersects(bar.geometry()),
                    qPrintable(control->objectName() + " " + control->metaObject()->className()));
            }
        }
        QCOMPARE(bar.geometry().bottom(), dialog().height() - 1);
        const int withBar = dialog().height();

        bar.yes()->click();
        QVERIFY(!bar.isVisible());
        QCOMPARE(dialog().height(), withBar - bar.height());
        QVERIFY(dialog().windowTitle().contains("WX 12345"));
        QCOMPARE(causes(wx),
                 (std::vector<reg::Cause>{reg::Cause::Connected, reg::Cause::Connected}));
    }

    void aControllerWithAnotherCarsMapIsNamedBeforeTheFirstWrite() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE("no pseudo-terminal: " + *error);
        }
        fixture.controller->setMap(mapFilledWith(50));
        int64_t wx = 0;
        {
            reg::CarRegister cars(registerPath());
            wx = addCar(cars, "WX 12345");
            const int64_t kr = addCar(cars, "KR 5678");
            cars.recordState(wx, controllerData(), reg::Cause::Connected);
            ControllerData other = controllerData();
            other.state.cells = mapFilledWith(40);
            cars.recordState(kr, other, reg::Cause::Connected);
        }
        fixture.startWindow(clickWithoutConnection);
        dialog().device().stopPolling();
        dialog().cars().bar().yes()->click(); // WX's controller, chosen
        // Another controller on the cable, holding KR's map, read as a connection reads it.
        fixture.controller->setMap(mapFilledWith(40));
        dialog().dataLoaded(controllerData());
        QCoreApplication::processEvents();
        QVERIFY(!dialog().cars().visit().confirmed());
        QVERIFY(dialog().cars().bar().question()->text().contains("KR 5678"));

        const uint64_t stores = fixture.controller->state().counters.mapStores;
        const size_t clearBackups =
            backupFiles(fixture.directory + "/Morvelcast/backups", "_clear.csv").size();
        fixture.messages->scriptAnswer(IDNO);
        dialog().controls().button(mainId::kClearMap)->click();
        fixture.waitForOperations();
        const std::vector<RecordedMessage> asked = fixture.shown();
        QVERIFY(!asked.empty());
        const QString question = QString::fromStdU16String(asked.back().text);
        QVERIFY2(question.contains("KR 5678") && question.contains("WX 12345"),
                 qPrintable(question));
        QCOMPARE(fixture.controller->state().counters.mapStores, stores);
        QCOMPARE(fixture.controller->state().map, mapFilledWith(40));
        QCOMPARE(backupFiles(fixture.directory + "/Morvelcast/backups", "_clear.csv").size(),
                 clearBackups);

        fixture.messages->scriptAnswer(IDYES);
        dialog().controls().button(mainId::kClearMap)->click();
        fixture.waitForOperations();
        QCOMPARE(fixture.controller->state().map, mapFilledWith(0));
        // Confirmed: the state the controller held and the cleared one are WX's now.
        reg::CarRegister cars(registerPath());
        const std::vector<reg::Version> versions = cars.versions(wx);
        QCOMPARE(versions.size(), size_t{3});
        QCOMPARE(versions[1].state.state.cells, mapFilledWith(40));
        QCOMPARE(versions[2].state.state.cells, mapFilledWith(0));
        QCOMPARE(versions[2].cause, reg::Cause::Edit);
    }

    void aRecordedLogAndACalibrationGoToTheCurrentCar() {
        if (auto error = fixture.startController()) {
            KRV_QTEST_UNAVAILABLE("no pseudo-terminal: " + *error);
        }
        int64_t wx = 0;
        {
            reg::CarRegister cars(registerPath());
            wx = addCar(cars, "WX 12345");
            addCar(cars, "KR 5678");
            ControllerData older = controllerData();
            older.state.cells = mapFilledWith(90);
            cars.recordState(wx, older, reg::Cause::Connected);
        }
        fixture.startWindow(clickWithoutConnection);
        // A map no car has (changed elsewhere): the car is chosen from the closest.
        CCarBar& bar = dialog().cars().bar();
        QVERIFY(bar.isVisible());
        bar.choices()->setCurrentIndex(bar.choices()->findText("WX 12345", Qt::MatchStartsWith));
        bar.yes()->click();

        const std::string log = fixture.directory + "/drive.csv";
        fixture.files->otherwise = QString::fromStdString(log).toStdU16String();
        dialog().chartFiles().startRecording();
        QVERIFY(dialog().chartFiles().recording());
        dialog().chartFiles().stopRecording();
        const MapSnapshot learned = snapshotOfController(*fixture.controller);
        dialog().cars().driveLearned({log, 14, 1200, learned});

        reg::CarRegister cars(registerPath());
        std::vector<reg::TimelineEntry::Kind> kinds;
        for (const reg::TimelineEntry& entry : cars.timeline(wx)) {
            kinds.push_back(entry.kind);
            if (entry.kind != reg::TimelineEntry::Kind::Seen) {
                QCOMPARE(entry.text, log);
            }
        }
        using Kind = reg::TimelineEntry::Kind;
        QCOMPARE(kinds, (std::vector<Kind>{Kind::Seen, Kind::Seen, Kind::Log, Kind::Drive}));
        QVERIFY(cars.timeline(cars.carByPlate("KR 5678")->id).empty());
    }

    void theCarsDialogSearchesAsTheFitterTypesAndEditsACar() {
        {
            reg::CarRegister cars(registerPath());
            addCar(cars, "WX 12345");
            const int64_t kr = addCar(cars, "KR 5678");
            reg::CarDetails details = cars.car(kr)->details;
            details.customer = "Anna Nowak";
            cars.updateCar(kr, details);
            cars.addNote(kr, "wymieniony filtr");
        }
        fixture.startWindow(clickWithoutConnection);
        reg::CarRegister cars(registerPath());
        CCarsDialog page(cars, {}, &dialog());
        QCOMPARE(page.carList()->count(), 2);
        QTest::keyClicks(page.search(), "now");
        QCOMPARE(page.carList()->count(), 1);
        QVERIFY(page.carList()->item(0)->text().startsWith("KR 5678"));
        QCOMPARE(page.field(7)->text(), QStringLiteral("Anna Nowak"));
        QCOMPARE(page.timeline()->count(), 1);
        QVERIFY(page.timeline()->item(0)->text().contains("wymieniony filtr"));

        page.field(3)->setText("Octavia II");
        page.saveDetails()->click();
        QCOMPARE(cars.carByPlate("KR 5678")->details.model, std::string("Octavia II"));
        page.search()->clear();
        QCOMPARE(page.carList()->count(), 2);
    }
};

QTEST_MAIN(TestCars)
#include "tst_cars.moc"
