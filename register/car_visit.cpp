#include "register/car_visit.h"

#include "register/register_texts.h"

#include <algorithm>

namespace krv::reg {

template <typename Body> bool CarVisit::guarded(Body body) {
    if (cars_ == nullptr) {
        return false;
    }
    try {
        body();
        return true;
    } catch (const DatabaseFault& fault) {
        if (onFault_) {
            onFault_(faultMessage(fault, cars_->database().path()));
        }
        return false;
    }
}

Recognition CarVisit::arrived(const ControllerData& state) {
    arrival_ = state;
    Recognition recognition;
    guarded([&] {
        recognition = cars_->recognise(state.state);
        // The car chosen before stays chosen either way: holding another car's map is what
        // the warning before the first write is for.
        confirmed_ = current_ && std::ranges::any_of(recognition.matching, [&](const Car& car) {
                         return car.id == *current_;
                     });
        if (confirmed_) {
            cars_->recordState(*current_, state, Cause::Connected);
        }
    });
    return recognition;
}

void CarVisit::choose(int64_t carId) {
    guarded([&] {
        if (arrival_) {
            cars_->recordState(carId, *arrival_, Cause::Connected);
        }
        current_ = carId;
        confirmed_ = true;
    });
}

std::optional<Car> CarVisit::current() {
    std::optional<Car> car;
    if (current_) {
        guarded([&] { car = cars_->car(*current_); });
    }
    return car;
}

void CarVisit::held(const ControllerData& state, Cause cause) {
    arrival_ = state;
    if (current_) {
        guarded([&] { cars_->recordState(*current_, state, cause); });
    }
}

std::optional<std::u16string> CarVisit::wrongCarWarning(const MapSnapshot& state) {
    std::optional<std::u16string> warning;
    if (current_) {
        guarded([&] {
            const std::optional<WrongCar> wrong = cars_->wrongCar(*current_, state);
            const std::optional<Car> chosen = cars_->car(*current_);
            if (wrong && chosen) {
                warning = wrongCarMessage(*wrong, chosen->details.plate);
            }
        });
    }
    return warning;
}

void CarVisit::logRecorded(const std::string& path) {
    if (current_) {
        guarded([&] { cars_->attachLog(*current_, path); });
    }
}

void CarVisit::firmwareUpdated(const FirmwareUpdateRecord& update) {
    if (current_) {
        guarded([&] { cars_->recordFirmwareUpdate(*current_, update); });
    }
}

void CarVisit::driveLearned(const DriveRecord& drive) {
    if (current_) {
        guarded([&] { cars_->recordDrive(*current_, drive); });
    }
}

} // namespace krv::reg
