#include "sim/controller/state_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace krv::sim {
namespace {

template <class Values> void putArray(std::ostringstream& out, const Values& values) {
    out << '[';
    const char* separator = "";
    for (auto value : values) {
        out << separator << static_cast<int>(value);
        separator = ",";
    }
    out << ']';
}

void putHex(std::ostringstream& out, const uint8_t* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out << '"';
    for (size_t i = 0; i < count; ++i) {
        out << kDigits[bytes[i] >> 4] << kDigits[bytes[i] & 0x0F];
    }
    out << '"';
}

void putProgram(std::ostringstream& out, const ProgramMemory& program) {
    out << "{\"eraseCounts\":{";
    const char* separator = "";
    for (const auto& [page, count] : program.eraseCounts()) {
        out << separator << '"' << page << "\":" << count;
        separator = ",";
    }
    // Rows as hex text of their 192 bytes, by decimal address, in the order last written.
    out << "},\"rows\":{";
    separator = "";
    for (uint32_t row : program.writtenRows()) {
        out << separator << '"' << row << "\":";
        putHex(out, program.bytes().data() + ProgramMemory::byteOffset(row),
               ProgramMemory::kRowBytes);
        separator = ",";
    }
    out << "}}";
}

} // namespace

std::string stateJson(const ControllerState& state) {
    std::ostringstream out;
    const auto& knobs = state.knobs;
    out << "{\"mode\":\""
        << (state.mode == ControllerMode::Application ? "application" : "bootloader") << "\","
        << "\"identifyType\":" << int(knobs.identifyType) << ","
        << "\"identifyWord\":" << knobs.identifyWord << ","
        << "\"version\":" << knobs.version << ","
        << "\"bootloaderState\":" << int(knobs.bootloaderState) << ","
        << "\"onGas\":" << (knobs.onGas ? "true" : "false") << ","
        << "\"settings\":{\"rpmDivider\":" << int(state.settings.rpmDivider)
        << ",\"noiseDelta\":" << int(state.settings.noiseDelta)
        << ",\"noisePeriod\":" << state.settings.noisePeriod << "},"
        << "\"map\":";
    putArray(out, state.map);
    out << ",\"rowAxis\":";
    putArray(out, state.rowAxis);
    out << ",\"columnAxis\":";
    putArray(out, state.columnAxis);
    out << ",\"lastReadings\":";
    putArray(out, state.lastReadings);
    const auto& counters = state.counters;
    out << ",\"programmingEnded\":" << (state.programmingEnded ? "true" : "false")
        << ",\"counters\":{\"requests\":" << counters.requests
        << ",\"acknowledged\":" << counters.acknowledged << ",\"refused\":" << counters.refused
        << ",\"readings\":" << counters.readings << ",\"mapStores\":" << counters.mapStores
        << "},\"program\":";
    putProgram(out, state.program);
    out << "}\n";
    return out.str();
}

void writeStateFile(const std::string& path, const ControllerState& state) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << stateJson(state);
        if (!file.flush()) {
            return;
        }
    }
    std::rename(temporary.c_str(), path.c_str());
}

} // namespace krv::sim
