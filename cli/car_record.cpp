#include "cli/car_record.h"

#include "cli/cli_text.h"
#include "lang/program_texts.h"
#include "register/register_texts.h"

namespace krv::cli {

namespace {

void sayFault(std::ostream& err, const reg::DatabaseFault& fault, const std::string& path) {
    err << oneLine(reg::faultMessage(fault, path)) << std::endl;
}

} // namespace

std::unique_ptr<reg::CarRegister> openRegister(std::ostream& err) {
    const std::string path = reg::CarRegister::defaultPath();
    try {
        if (path.empty()) {
            throw reg::DatabaseFault(reg::FaultKind::Other, "XDG_DATA_HOME, HOME");
        }
        return std::make_unique<reg::CarRegister>(path);
    } catch (const reg::DatabaseFault& fault) {
        sayFault(err, fault, path);
        return nullptr;
    }
}

std::unique_ptr<CarRecord> CarRecord::open(std::string_view plate, std::ostream& err) {
    std::unique_ptr<reg::CarRegister> cars = openRegister(err);
    if (!cars) {
        return nullptr;
    }
    try {
        std::optional<reg::Car> car = cars->carByPlate(plate);
        if (!car) {
            err << say(texts::kCliUnknownCar, {plate}) << std::endl;
            return nullptr;
        }
        return std::unique_ptr<CarRecord>(new CarRecord(std::move(cars), std::move(*car), err));
    } catch (const reg::DatabaseFault& fault) {
        sayFault(err, fault, cars->database().path());
        return nullptr;
    }
}

template <typename Body> bool CarRecord::guarded(Body body) {
    try {
        body();
        return true;
    } catch (const reg::DatabaseFault& fault) {
        sayFault(err_, fault, register_->database().path());
        return false;
    }
}

bool CarRecord::record(const ControllerData& state, reg::Cause cause) {
    return guarded([&] { register_->recordState(car_.id, state, cause); });
}

bool CarRecord::recordArrival(const ControllerData& state) {
    return guarded([&] {
        if (!register_->wrongCar(car_.id, state.state)) {
            register_->recordState(car_.id, state, reg::Cause::Connected);
        }
    });
}

bool CarRecord::recordDrive(const reg::DriveRecord& drive) {
    return guarded([&] { register_->recordDrive(car_.id, drive); });
}

bool CarRecord::attachLog(const std::string& path) {
    return guarded([&] { register_->attachLog(car_.id, path); });
}

bool CarRecord::recordFirmwareUpdate(const reg::FirmwareUpdateRecord& update) {
    return guarded([&] { register_->recordFirmwareUpdate(car_.id, update); });
}

bool CarRecord::mayWrite(const MapSnapshot& held, bool yes) {
    std::optional<reg::WrongCar> wrong;
    if (!guarded([&] { wrong = register_->wrongCar(car_.id, held); })) {
        return false;
    }
    if (!wrong) {
        return true;
    }
    err_ << oneLine(reg::wrongCarMessage(*wrong, car_.details.plate)) << '\n';
    if (!yes) {
        err_ << say(texts::kCliRefusedWrongCar) << '\n';
    }
    err_ << std::flush;
    return yes;
}

reg::Cause causeOfOperation(std::string_view operation) {
    if (operation == "write-map") {
        return reg::Cause::MapFileLoad;
    }
    if (operation == "restore") {
        return reg::Cause::Restore;
    }
    if (operation == "firmware-update") {
        return reg::Cause::FirmwareUpdate;
    }
    if (operation == "calibration") {
        return reg::Cause::Calibration;
    }
    return reg::Cause::Edit; // edit, set, clear
}

} // namespace krv::cli
