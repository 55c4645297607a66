#pragma once
// The register of cars in the main window: the register opened at start (with the backup
// folder brought in), the car recognised when a controller connects (asked in a bar that does
// not block), the current car in the title, what the controller acknowledges, the readings
// logs and the calibration drives recorded under it, the question before the first write to a
// controller that holds another car's map, and the Cars dialog.

#include "app/car_bar.h"
#include "register/car_visit.h"

#include <functional>
#include <memory>
#include <string>

namespace krv {

class CControllerModel;
class CMapKeeper;
class CCarsDialog;

class CCarsInWindow {
public:
    struct Window {
        QWidget& widget;
        CControllerModel& model;
        CMapKeeper& keeper;
        std::function<void(const MapSnapshot& version)> compare;
        std::function<void(const std::string& logPath)> openLog;
        std::function<void()> carChanged; // the title and status say the current car
    };

    // registerPath "" : the usual place.
    explicit CCarsInWindow(Window window, const std::string& registerPath = {});
    ~CCarsInWindow();

    // Before the model takes what a connection read: the register's question.
    void arrived(const ControllerData& data);
    // After every change of the model: a state the controller acknowledged is recorded.
    void modelChanged();
    // The next acknowledged state came from a calibration drive (or a restore).
    void expect(reg::Cause cause) { nextCause_ = cause; }
    // Before the first write: false when the controller holds another car's map and the fitter
    // said no.
    bool mayWrite();
    void logRecorded(const std::string& path);
    void driveLearned(const reg::DriveRecord& drive);
    // After an update from file (and the reconnect that read the controller again).
    void firmwareUpdated(const std::string& file, bool programmed);

    // " — WX 12345 (Skoda Octavia), ostatnia wizyta ..." or "".
    std::u16string titleSuffix();
    // newCarConnected: "New car..." from the bar, the car added is the connected one.
    void openDialog(bool newCarConnected = false);

    CCarBar& bar() { return bar_; }
    reg::CarVisit& visit() { return visit_; }
    CCarsDialog* dialog() { return dialog_; }

private:
    void fault(const std::u16string& message);
    void choose(int64_t carId);
    ControllerData acknowledgedData() const;

    Window window_;
    std::unique_ptr<reg::CarRegister> cars_;
    reg::CarVisit visit_;
    CCarBar bar_;
    std::optional<MapSnapshot> lastKnown_;
    reg::Cause nextCause_ = reg::Cause::Edit;
    CCarsDialog* dialog_ = nullptr;
    bool faultSaid_ = false;
};

} // namespace krv
