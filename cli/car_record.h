#pragma once
// What --car PLATE adds to a command: the register opened and the car found before the
// controller is looked for, what the command reads, writes or learns recorded under the car,
// and a write refused while the controller holds another car's map. A register that cannot be
// used stops the command before anything reaches the controller.

#include "register/car_register.h"

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace krv::cli {

// The register at its usual place; nothing, after the line on err, when it cannot be opened.
std::unique_ptr<reg::CarRegister> openRegister(std::ostream& err);

class CarRecord {
public:
    // Nothing, after the line on err, when the register cannot be opened or has no such car.
    static std::unique_ptr<CarRecord> open(std::string_view plate, std::ostream& err);

    const reg::Car& car() const { return car_; }
    reg::CarRegister& cars() { return *register_; }

    // Each gives false after the register's fault on err.
    bool record(const ControllerData& state, reg::Cause cause);
    // The state the controller held when the command found it; left out while it is another
    // car's and none of this one's (the write's question decides whose it is).
    bool recordArrival(const ControllerData& state);
    bool recordDrive(const reg::DriveRecord& drive);
    bool attachLog(const std::string& path);
    bool recordFirmwareUpdate(const reg::FirmwareUpdateRecord& update);
    // Whether the controller may be written while it holds held: not (after the lines on err)
    // when held is another car's and none of this one's, unless yes (the warning is still said).
    bool mayWrite(const MapSnapshot& held, bool yes);

private:
    CarRecord(std::unique_ptr<reg::CarRegister> cars, reg::Car car, std::ostream& err)
        : register_(std::move(cars)), car_(std::move(car)), err_(err) {}
    template <typename Body> bool guarded(Body body);

    std::unique_ptr<reg::CarRegister> register_;
    reg::Car car_;
    std::ostream& err_;
};

// The cause a write of the command's operation ("write-map", "edit", ...) is recorded with.
reg::Cause causeOfOperation(std::string_view operation);

} // namespace krv::cli
