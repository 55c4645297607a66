// info and set: the controller's identity and settings, and the window's settings spins
// without the window.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/map_writes.h"
#include "cli/session.h"
#include "cli/whole_write.h"
#include "device/editable_limits.h"
#include "lang/program_texts.h"

#include <algorithm>
#include <charconv>

namespace krv::cli {

namespace {

// The settings under their command-line names, in the ranges the window's spins keep.
struct SettingRange {
    std::string_view name;
    limits::SettingRange range;
};
constexpr SettingRange kRpmDivider{"rpm-divider", limits::kRpmDivider};
constexpr SettingRange kNoiseDelta{"noise-delta", limits::kNoiseDelta};
constexpr SettingRange kNoisePeriod{"noise-period", limits::kNoisePeriod};
constexpr SettingRange kSettings[] = {kRpmDivider, kNoiseDelta, kNoisePeriod};

struct SettingValue {
    const SettingRange* setting;
    long value;
};

// "name=N" checked against the spins' ranges; an empty result after a usage line on err.
std::optional<SettingValue> parseSetting(CliIo& io, const std::string& operand) {
    const size_t equals = operand.find('=');
    const std::string name = operand.substr(0, equals);
    const auto setting = std::ranges::find(kSettings, name, &SettingRange::name);
    long value = 0;
    const char* first = operand.data() + equals + 1;
    const char* last = operand.data() + operand.size();
    if (equals == std::string::npos || setting == std::end(kSettings) ||
        std::from_chars(first, last, value).ptr != last || first == last) {
        usageError(io, say(texts::kCliBadValue, {operand}));
        return std::nullopt;
    }
    if (!setting->range.holds(value)) {
        const std::string range =
            std::to_string(setting->range.lowest) + ".." + std::to_string(setting->range.highest);
        usageError(io, say(texts::kCliOutOfRange, {operand, range}));
        return std::nullopt;
    }
    return SettingValue{&*setting, value};
}

// "rpm-divider=N", "noise-delta=N" and "noise-period=N", as the controller holds them.
std::string settingsText(const DeviceSettings& settings, char separator) {
    return std::string(kRpmDivider.name) + '=' + std::to_string(settings.rpmDivider) + separator +
           std::string(kNoiseDelta.name) + '=' + std::to_string(settings.noiseDelta) + separator +
           std::string(kNoisePeriod.name) + '=' + std::to_string(settings.noisePeriod);
}

} // namespace

int runInfo(const CliOptions& options, CliIo& io) {
    Session session(options, io);
    if (!session.connect()) {
        return kExitFailed;
    }
    const CLPGConnection& device = session.device();
    // What the connection read: it is connected only once all of it was.
    const DeviceSettings settings = session.window().loadedData()->state.settings();
    io.out << "device-type=" << int{device.deviceType} << '\n'
           << "firmware-version=" << device.firmwareVersion << '\n'
           << "readings-enabled=" << (device.readingsEnabled ? 1 : 0) << '\n'
           << settingsText(settings, '\n') << std::endl;
    return kExitDone;
}

int runSet(const CliOptions& options, CliIo& io) {
    std::vector<SettingValue> values;
    for (const std::string& operand : options.operands) {
        const auto value = parseSetting(io, operand);
        if (!value) {
            return kExitUsage;
        }
        values.push_back(*value);
    }
    Session session(options, io);
    return session.writeOnHeld(u"krv-cli set", [&](WholeWrite& whole, const MapSnapshot& held) {
        // The settings go as one record and the map follows them: a setting left out, and
        // the map, go back as the controller holds them.
        if (!session.mayWrite(held)) {
            return kExitFailed;
        }
        DeviceSettings settings = held.settings();
        for (const SettingValue& value : values) {
            if (value.setting == &kSettings[0]) {
                settings.rpmDivider = static_cast<uint8_t>(value.value);
            } else if (value.setting == &kSettings[1]) {
                settings.noiseDelta = static_cast<uint8_t>(value.value);
            } else {
                settings.noisePeriod = static_cast<uint16_t>(value.value);
            }
        }
        MapSnapshot target = held;
        target.setSettings(settings);
        return whole.finish(writeFrom(session, "set", held, target, WriteKind::Settings),
                            say(texts::kCliHoldsSettings, {settingsText(settings, ' ')}));
    });
}

} // namespace krv::cli
