// info and set: the controller's identity and settings, and the window's settings spins
// without the window.

#include "cli/cli_text.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "lang/program_texts.h"

#include <algorithm>
#include <charconv>

namespace krv::cli {

namespace {

// The ranges of the window's settings spins.
struct SettingRange {
    std::string_view name;
    long low;
    long high;
};
constexpr SettingRange kRpmDivider{"rpm-divider", 1, 200};
constexpr SettingRange kNoiseDelta{"noise-delta", 0, 255};
constexpr SettingRange kNoisePeriod{"noise-period", 0, 50000};
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
    if (value < setting->low || value > setting->high) {
        const std::string range =
            std::to_string(setting->low) + ".." + std::to_string(setting->high);
        usageError(io, say(texts::kCliOutOfRange, {operand, range}));
        return std::nullopt;
    }
    return SettingValue{&*setting, value};
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
           << kRpmDivider.name << '=' << int{settings.rpmDivider} << '\n'
           << kNoiseDelta.name << '=' << int{settings.noiseDelta} << '\n'
           << kNoisePeriod.name << '=' << settings.noisePeriod << std::endl;
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
    if (!session.connect()) {
        return kExitFailed;
    }
    CLPGConnection& device = session.device();
    return session.guarded(u"krv-cli set", [&] {
        // The settings go as one record and the map follows them: a setting left out, and
        // the map, go back as the controller holds them.
        const std::optional<MapSnapshot> held = session.readControllerState();
        if (!held) {
            return kExitFailed;
        }
        DeviceSettings settings = held->settings();
        for (const SettingValue& value : values) {
            if (value.setting == &kSettings[0]) {
                settings.rpmDivider = static_cast<uint8_t>(value.value);
            } else if (value.setting == &kSettings[1]) {
                settings.noiseDelta = static_cast<uint8_t>(value.value);
            } else {
                settings.noisePeriod = static_cast<uint16_t>(value.value);
            }
        }
        if (!device.writeSettings(settings, held->cells)) {
            return session.fail(say(texts::kWriteSettingsFailed));
        }
        return kExitDone;
    });
}

} // namespace krv::cli
