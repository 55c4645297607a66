#pragma once
// One readings sample: the controller's 18-byte readings payload as received, plus the
// host's sequence number. Every reader of a sample converts it through the functions below.

#include <array>
#include <cstdint>

namespace krv {

struct CDiag {
    static constexpr int kPayloadSize = 18;
    // Payload offsets of the fields the tool interprets (little-endian words).
    static constexpr int kRpmPeriod = 0;
    static constexpr int kPumpPwm = 2;
    static constexpr int kInputVoltage = 12;
    static constexpr int kOutputVoltage = 14;
    static constexpr int kWorkState = 16;
    static constexpr uint8_t kWorking = 3;

    std::array<uint8_t, kPayloadSize> raw{};
    uint32_t sampleNumber = 0;

    uint16_t rpmPeriod() const { return word(kRpmPeriod); }
    int16_t pumpPwm() const { return static_cast<int16_t>(word(kPumpPwm)); }
    uint16_t inputVoltage() const { return word(kInputVoltage); }
    uint16_t outputVoltage() const { return word(kOutputVoltage); }
    uint8_t workState() const { return raw[kWorkState]; }

    void setWord(int offset, uint16_t value) {
        raw[offset] = static_cast<uint8_t>(value & 0xFF);
        raw[offset + 1] = static_cast<uint8_t>(value >> 8);
    }

    bool operator==(const CDiag&) const = default;

private:
    uint16_t word(int offset) const {
        return static_cast<uint16_t>(raw[offset] | (raw[offset + 1] << 8));
    }
};

// Engine speed in rpm, to the nearest 10; 0 while the controller sees no ignition pulses.
int engineSpeedRpm(const CDiag& sample);
double pumpPwmVolts(const CDiag& sample);
double inputVolts(const CDiag& sample);
double outputVolts(const CDiag& sample);
bool isWorking(const CDiag& sample);

} // namespace krv
