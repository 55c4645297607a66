// car: the workshop's register of cars from a shell: add a car, search, show a car's details
// and timeline, tell which car the connected controller belongs to, and write a version back.

#include "cli/car_record.h"
#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/map_writes.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "register/register_texts.h"

#include <charconv>

namespace krv::cli {

namespace {

inline constexpr int kExitNoCar = 3;
inline constexpr int kExitManyCars = 4;

std::optional<int64_t> parseNumber(const std::string& text) {
    int64_t value = 0;
    const char* last = text.data() + text.size();
    if (text.empty() || std::from_chars(text.data(), last, value).ptr != last) {
        return std::nullopt;
    }
    return value;
}

// One line a car: plate, make, model and year, customer, last visit.
std::string carLine(const reg::Car& car) {
    std::string line = car.details.plate;
    for (const std::string& part :
         {reg::vehicleText(car.details), car.details.customer,
          car.lastVisit != 0 ? reg::localDate(car.lastVisit) : std::string()}) {
        if (!part.empty()) {
            line += "  " + part;
        }
    }
    return line;
}

std::string timelineLine(const reg::TimelineEntry& entry) {
    return reg::localMinute(entry.at) + "  " + toUtf8(reg::timelineText(entry));
}

template <typename Body> int withRegister(CliIo& io, Body body) {
    std::unique_ptr<reg::CarRegister> cars = openRegister(io.err);
    if (cars == nullptr) {
        return kExitFailed;
    }
    try {
        return body(*cars);
    } catch (const reg::DatabaseFault& fault) {
        io.err << oneLine(reg::faultMessage(fault, cars->database().path())) << std::endl;
        return kExitFailed;
    }
}

int addCar(const CliOptions& options, CliIo& io) {
    if (options.operands.size() != 2) {
        return usageError(io, say(texts::kCliBadArguments, {"car add"}));
    }
    reg::CarDetails details;
    details.plate = options.operands[1];
    if (options.year) {
        const std::optional<int64_t> year = parseNumber(*options.year);
        if (!year || *year < 1900 || *year > 2200) {
            return usageError(io, say(texts::kCliBadValue, {*options.year}));
        }
        details.year = static_cast<int>(*year);
    }
    const auto take = [](const std::optional<std::string>& value) { return value.value_or(""); };
    details.vin = take(options.vin);
    details.make = take(options.make);
    details.model = take(options.model);
    details.engine = take(options.engine);
    details.lpgKit = take(options.lpgKit);
    details.customer = take(options.customer);
    details.phone = take(options.phone);
    details.notes = take(options.notes);
    return withRegister(io, [&](reg::CarRegister& cars) {
        if (!cars.addCar(details)) {
            io.err << say(texts::kCliCarExists, {details.plate}) << std::endl;
            return kExitFailed;
        }
        io.out << say(texts::kCliCarAdded, {details.plate}) << std::endl;
        return kExitDone;
    });
}

int listCars(const CliOptions& options, CliIo& io) {
    if (options.operands.size() > 2) {
        return usageError(io, say(texts::kCliBadArguments, {"car list"}));
    }
    const std::string text = options.operands.size() == 2 ? options.operands[1] : "";
    return withRegister(io, [&](reg::CarRegister& cars) {
        for (const reg::Car& car : cars.search(text, 1000)) {
            io.out << carLine(car) << '\n';
        }
        io.out << std::flush;
        return kExitDone;
    });
}

int showCar(const CliOptions& options, CliIo& io) {
    if (options.operands.size() != 2) {
        return usageError(io, say(texts::kCliBadArguments, {"car show"}));
    }
    return withRegister(io, [&](reg::CarRegister& cars) {
        const std::optional<reg::Car> car = cars.carByPlate(options.operands[1]);
        if (!car) {
            io.err << say(texts::kCliUnknownCar, {options.operands[1]}) << std::endl;
            return kExitFailed;
        }
        const reg::CarDetails& d = car->details;
        const std::pair<std::u16string_view, std::string> fields[] = {
            {texts::kCarPlate, d.plate},
            {texts::kCarVin, d.vin},
            {texts::kCarMake, d.make},
            {texts::kCarModel, d.model},
            {texts::kCarYear, d.year != 0 ? std::to_string(d.year) : ""},
            {texts::kCarEngine, d.engine},
            {texts::kCarLpgKit, d.lpgKit},
            {texts::kCarCustomer, d.customer},
            {texts::kCarPhone, d.phone},
            {texts::kCarNotes, d.notes},
        };
        for (const auto& [label, value] : fields) {
            if (!value.empty()) {
                io.out << say(label) << ": " << value << '\n';
            }
        }
        io.out << '\n';
        for (const reg::TimelineEntry& entry : cars.timeline(car->id)) {
            io.out << timelineLine(entry) << '\n';
        }
        io.out << std::flush;
        return kExitDone;
    });
}

int whichCar(const CliOptions& options, CliIo& io) {
    if (options.operands.size() != 1) {
        return usageError(io, say(texts::kCliBadArguments, {"car which"}));
    }
    std::unique_ptr<reg::CarRegister> cars = openRegister(io.err);
    if (cars == nullptr) {
        return kExitFailed;
    }
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    return session.guarded(u"krv-cli car which", [&] {
        const std::optional<MapSnapshot> held = session.readControllerState();
        if (!held) {
            return kExitFailed;
        }
        try {
            const reg::Recognition recognition = cars->recognise(*held);
            if (recognition.matching.size() == 1) {
                io.out << carLine(recognition.matching.front()) << std::endl;
                return kExitDone;
            }
            if (recognition.matching.empty()) {
                io.out << say(texts::kCliNoCarMatches) << '\n';
                if (!recognition.closest.empty()) {
                    io.out << say(texts::kCliClosestCars) << '\n';
                }
                for (const auto& near : recognition.closest) {
                    io.out << "  " << carLine(near.car) << "  (" << near.differingCells << ")\n";
                }
                io.out << std::flush;
                return kExitNoCar;
            }
            io.out << say(texts::kCliManyCarsMatch) << '\n';
            for (const reg::Car& car : recognition.matching) {
                io.out << "  " << carLine(car) << '\n';
            }
            io.out << std::flush;
            return kExitManyCars;
        } catch (const reg::DatabaseFault& fault) {
            return session.fail(oneLine(reg::faultMessage(fault, cars->database().path())));
        }
    });
}

int restoreVersion(const CliOptions& options, CliIo& io) {
    if (options.operands.size() != 3) {
        return usageError(io, say(texts::kCliBadArguments, {"car restore"}));
    }
    const std::string& plate = options.operands[1];
    const std::string& number = options.operands[2];
    const std::optional<int64_t> id = parseNumber(number);
    if (!id) {
        return usageError(io, say(texts::kCliBadValue, {number}));
    }
    // The version is looked up before the controller is: a wrong number sends nothing.
    CliOptions underCar = options;
    underCar.car = plate;
    std::optional<reg::Version> version;
    const int found = withRegister(io, [&](reg::CarRegister& cars) {
        const std::optional<reg::Car> car = cars.carByPlate(plate);
        if (!car) {
            io.err << say(texts::kCliUnknownCar, {plate}) << std::endl;
            return kExitFailed;
        }
        version = cars.version(*id);
        if (!version || version->carId != car->id) {
            io.err << say(texts::kCliUnknownVersion, {plate, number}) << std::endl;
            return kExitFailed;
        }
        return kExitDone;
    });
    if (found != kExitDone) {
        return found;
    }
    Session session(underCar, io);
    const MapSnapshot& target = version->state.state;
    return session.writeOnHeld(
        u"krv-cli car restore", [&](WholeWrite& whole, const MapSnapshot& held) {
            const int code = writeBackedUp(session, "restore", held, target, WriteKind::Parts);
            return whole.finish(code, say(texts::kCliHoldsVersion, {number, plate}));
        });
}

} // namespace

int runCar(const CliOptions& options, CliIo& io) {
    const std::string& action = options.operands.front();
    if (action == "add") {
        return addCar(options, io);
    }
    if (action == "list") {
        return listCars(options, io);
    }
    if (action == "show") {
        return showCar(options, io);
    }
    if (action == "which") {
        return whichCar(options, io);
    }
    if (action == "restore") {
        return restoreVersion(options, io);
    }
    return usageError(io, say(texts::kCliUnknownCommand, {"car " + action}));
}

} // namespace krv::cli
