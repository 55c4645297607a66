#include "device/readings_csv.h"

#include "platform/local_time.h"

#include <cstdio>

namespace krv::readings_csv {

namespace {

std::string commentAt(const char* what, double seconds) {
    char line[64];
    std::snprintf(line, sizeof line, "# %s at %.3f s\n", what, seconds);
    return line;
}

} // namespace

std::string header(std::chrono::system_clock::time_point started, uint16_t firmwareVersion) {
    return "# krv readings\n# started," + localTimeIso8601(std::chrono::system_clock::to_time_t(started)) + "\n# firmware version," +
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
