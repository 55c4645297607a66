#include "device/readings_csv.h"

#include "device/units.h"
#include "platform/local_time.h"

#include <cstdio>

namespace krv::readings_csv {

namespace {

std::string commentAt(std::string_view what, double seconds) {
    char at[48];
    std::snprintf(at, sizeof at, " at %.3f s\n", seconds);
    return "# " + std::string(what) + at;
}

} // namespace

std::string header(std::chrono::system_clock::time_point started, uint16_t firmwareVersion,
                   const std::optional<MapAxes>& axes) {
    std::string text = std::string(kTitleLine) + "\n" + std::string(kStartedPrefix) +
                       localTimeIso8601(std::chrono::system_clock::to_time_t(started)) + "\n" +
                       std::string(kFirmwarePrefix) + std::to_string(firmwareVersion) + "\n";
    if (axes) {
        text += kRowAxisPrefix;
        for (size_t i = 0; i < axes->rows.size(); ++i) {
            char volts[32];
            std::snprintf(volts, sizeof volts, "%s%.3f", i == 0 ? "" : ",",
                          units::rowBreakVolts(axes->rows[i]));
            text += volts;
        }
        text += "\n" + std::string(kColumnAxisPrefix);
        for (size_t i = 0; i < axes->columns.size(); ++i) {
            char rpm[32];
            std::snprintf(rpm, sizeof rpm, "%s%.0f", i == 0 ? "" : ",",
                          units::columnBreakRpm(axes->columns[i]));
            text += rpm;
        }
        text += "\n";
    }
    return text + std::string(kColumnRow) + "\n";
}

std::string row(double seconds, uint64_t sampleNumber, const CDiag& sample) {
    char line[128];
    std::snprintf(line, sizeof line, "%.3f,%llu,%d,%.3f,%.3f,%.3f,%d\n", seconds,
                  static_cast<unsigned long long>(sampleNumber), engineSpeedRpm(sample),
                  inputVolts(sample), outputVolts(sample), pumpPwmVolts(sample),
                  isWorking(sample) ? 1 : 0);
    return line;
}

std::string linkLostComment(double seconds) {
    return commentAt(kLinkLost, seconds);
}

std::string linkBackComment(double seconds) {
    return commentAt(kLinkBack, seconds);
}

std::string markerComment(int number, double seconds) {
    return commentAt(std::string(kMarker) + " " + std::to_string(number), seconds);
}

} // namespace krv::readings_csv
