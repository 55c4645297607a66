#pragma once
// The window's side of the register while a controller is connected: what is offered when it
// arrives, the car the fitter said it is, and what the tool reads, writes and learns recorded
// under that car. Nothing is assigned without the fitter's yes. A fault of the register is
// handed to the fault listener as a message, and whatever needed the register does not happen.

#include "register/car_register.h"

#include <functional>
#include <optional>
#include <string>

namespace krv::reg {

class CarVisit {
public:
    using FaultListener = std::function<void(const std::u16string& message)>;

    // cars may be null: no register (its fault was said when it was opened).
    CarVisit(CarRegister* cars, FaultListener onFault)
        : cars_(cars), onFault_(std::move(onFault)) {}

    CarRegister* cars() { return cars_; }

    // A controller's state was read on connection: the cars to offer. When it is one of the
    // chosen car's versions the car is confirmed and the state recorded; otherwise nothing is
    // recorded until the fitter answers.
    Recognition arrived(const ControllerData& state);
    // The connected controller is known to be the current car's.
    bool confirmed() const { return confirmed_; }
    // The fitter's yes to car: it is the current car, and the state it holds is recorded.
    void choose(int64_t carId);
    void forget() {
        current_.reset();
        confirmed_ = false;
    }
    // The current car as the register holds it now.
    std::optional<Car> current();
    std::optional<int64_t> currentId() const { return current_; }

    // The controller acknowledged a new state (an edit, a load, a calibration, a restore).
    void held(const ControllerData& state, Cause cause);
    // Before the first write to the controller holding state: the warning when it holds
    // another car's map and none of the current car's; nothing when the write may go.
    std::optional<std::u16string> wrongCarWarning(const MapSnapshot& state);
    void logRecorded(const std::string& path);
    void driveLearned(const DriveRecord& drive);
    void firmwareUpdated(const FirmwareUpdateRecord& update);

private:
    template <typename Body> bool guarded(Body body);

    CarRegister* cars_;
    FaultListener onFault_;
    std::optional<int64_t> current_;
    bool confirmed_ = false;
    std::optional<ControllerData> arrival_;
};

} // namespace krv::reg
