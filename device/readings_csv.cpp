#include "device/readings_csv.h"

#include <cstdio>
#include <ctime>

namespace krv::readings_csv {

namespace {

std::string localTimeText(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    // ISO 8601 wants the offset as +hh:mm.
    std::string iso = text;
    if (iso.size() >= 5) {
        iso.insert(iso.size() - 2, ":");
    }
    return iso;
}

std::string commentAt(const char* what, double seconds) {
    char line[64];
    std::snprintf(line, sizeof line, "# %s at %.3f s\n", what, seconds);
    return line;
}

} // namespace

std::string header(std::chrono::system_clock::time_point started, uint16_t firmwareVersion) {
    return "# krv readings\n# started," + localTimeText(started) + "\n# firmware version," +
           std::to_string(firmwareVersion) +
           "\nseconds,sample,rpm,input V,output V,pump PWM V,work state\n";
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
    return commentAt("link lost", seconds);
}

std::string linkBackComment(double seconds) {
    return commentAt("link back", seconds);
}

} // namespace krv::readings_csv
