#include "app/dialog_template.h"

#include "lang/program_texts.h"

#include <array>

namespace krv {

namespace {

using K = ControlKind;
using namespace mainId;

constexpr std::array kMainControls{
    ControlTemplate{kClose, K::PushButton, texts::kClose, {392, 0, 116, 15}},
    ControlTemplate{kStatus, K::LabelCentred, u"", {2, 0, 190, 15}},
    ControlTemplate{kFirmwareUpdate, K::PushButton, texts::kFirmwareUpdate, {215, 0, 138, 15}},
    ControlTemplate{kReadingsGroup, K::GroupBox, texts::kReadings, {0, 22, 152, 139}},
    ControlTemplate{kWorkingStateLabel, K::LabelRight, texts::kWorkingState, {6, 33, 50, 8}},
    ControlTemplate{kWorkingState, K::Edit, u"", {61, 30, 73, 14}},
    ControlTemplate{kRpmLabel, K::LabelRight, texts::kRpm, {6, 55, 83, 11}},
    ControlTemplate{kRpm, K::Edit, u"", {93, 53, 40, 14}},
    ControlTemplate{kRpmDividerLabel, K::LabelRight, texts::kRpmDivider, {6, 71, 83, 11}},
    ControlTemplate{kRpmDivider, K::Edit, u"", {93, 69, 40, 14}},
    ControlTemplate{kRpmDividerSpin, K::UpDown, u"", {135, 70, 10, 14}},
    ControlTemplate{kInputLabel, K::LabelRight, texts::kInput, {6, 96, 83, 11}},
    ControlTemplate{kInput, K::Edit, u"", {93, 94, 40, 14}},
    ControlTemplate{kNoId, K::Label, u"V", {137, 97, 8, 8}},
    ControlTemplate{kPumpPwmLabel, K::LabelRight, texts::kPumpPwm, {6, 116, 83, 11}},
    ControlTemplate{kPumpPwm, K::Edit, u"", {93, 113, 40, 14}},
    ControlTemplate{kNoId, K::Label, u"V", {137, 116, 8, 8}},
    ControlTemplate{kOutputLabel, K::LabelRight, texts::kOutput, {6, 135, 83, 11}},
    ControlTemplate{kOutput, K::Edit, u"", {93, 132, 40, 14}},
    ControlTemplate{kNoId, K::Label, u"V", {137, 135, 8, 8}},
    ControlTemplate{kChart, K::Label, u"CHART", {158, 22, 296, 140}},
    ControlTemplate{kChartStart, K::PushButton, texts::kStart, {457, 27, 50, 14}},
    ControlTemplate{kChartStop, K::PushButton, texts::kStop, {457, 43, 50, 14}},
    ControlTemplate{kMap, K::Placeholder, u"MAP", {1, 168, 418, 188}},
    ControlTemplate{kCalibration, K::PushButton, texts::kCalibration, {428, 193, 72, 14}},
    ControlTemplate{kCalibrationSummary, K::Label, u"", {428, 209, 82, 32}},
    ControlTemplate{kClearMap, K::PushButton, texts::kClear, {428, 242, 72, 14}},
    ControlTemplate{kDeltaLabel, K::LabelCentred, texts::kDelta, {428, 289, 69, 11}},
    ControlTemplate{kNoiseDelta, K::Edit, u"", {440, 303, 40, 14}},
    ControlTemplate{kNoiseDeltaSpin, K::UpDown, u"", {482, 304, 8, 14}},
    ControlTemplate{kFrequencyLabel, K::LabelCentred, texts::kFrequency, {428, 322, 69, 11}},
    ControlTemplate{kNoisePeriod, K::Edit, u"", {440, 336, 40, 14}},
    ControlTemplate{kNoisePeriodSpin, K::UpDown, u"", {482, 337, 8, 14}},
};

constexpr std::array kNoConnectionControls{
    ControlTemplate{
        noConnectionId::kMessage, K::Label, texts::kNoControllerOnAnyPort, {7, 7, 297, 44}},
    ControlTemplate{noConnectionId::kWithoutConnection,
                    K::PushButton,
                    texts::kRunWithoutConnection,
                    {7, 62, 120, 17}},
    ControlTemplate{
        noConnectionId::kDemo, K::DefaultPushButton, texts::kRunDemoMode, {184, 62, 120, 17}},
};

} // namespace

const DialogTemplate kMainDialogTemplate{
    u"Emulator ciśnienia paliwa v 1.12", {510, 358}, 10, kMainControls};

const DialogTemplate kNoConnectionTemplate{u"Emulator", {311, 86}, 10, kNoConnectionControls};

} // namespace krv
