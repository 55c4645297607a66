#pragma once
// Dialog templates as tables: every control with its id, kind, built-in caption and rectangle
// in dialog units. The windows are built from these tables, so the layout lives in one place.

#include <QRect>
#include <span>
#include <string_view>

namespace krv {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    Label,        // static text, left-aligned
    LabelCentred, // static text, centred
    LabelRight,   // static text, right-aligned
    Placeholder,  // static text with a border, replaced by a custom control
    GroupBox,
    Edit,   // single-line edit, right-aligned
    UpDown, // up-down arrows
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::u16string_view caption;
    QRect dialogUnits; // x, y, width, height
};

struct DialogTemplate {
    std::u16string_view caption;
    QSize dialogUnits; // client area
    int fontPointSize;
    std::span<const ControlTemplate> controls;
};

// Ids of controls without one of their own (the unit labels).
inline constexpr int kNoId = -1;

// Main window (template 102).
namespace mainId {
inline constexpr int kClose = 1000;
inline constexpr int kStatus = 1007;
inline constexpr int kFirmwareUpdate = 1026;
inline constexpr int kReadingsGroup = 1031;
inline constexpr int kWorkingStateLabel = 1047;
inline constexpr int kWorkingState = 1006;
inline constexpr int kRpmLabel = 1048;
inline constexpr int kRpm = 1033;
inline constexpr int kRpmDividerLabel = 1054;
inline constexpr int kRpmDivider = 1034;
inline constexpr int kRpmDividerSpin = 1028;
inline constexpr int kInputLabel = 1049;
inline constexpr int kInput = 1011;
inline constexpr int kPumpPwmLabel = 1050;
inline constexpr int kPumpPwm = 1017;
inline constexpr int kOutputLabel = 1051;
inline constexpr int kOutput = 1016;
inline constexpr int kChart = 1012;
inline constexpr int kChartStart = 1013;
inline constexpr int kChartStop = 1014;
inline constexpr int kMap = 1027;
inline constexpr int kCalibration = 1020;
inline constexpr int kClearMap = 1019;
inline constexpr int kCalibrationSummary = 1061; // what the running drive learned so far
inline constexpr int kDeltaLabel = 1052;
inline constexpr int kNoiseDelta = 1035;
inline constexpr int kNoiseDeltaSpin = 1029;
inline constexpr int kFrequencyLabel = 1053;
inline constexpr int kNoisePeriod = 1036;
inline constexpr int kNoisePeriodSpin = 1030;
} // namespace mainId

// No-connection dialog (template 130).
namespace noConnectionId {
inline constexpr int kMessage = 1001;
inline constexpr int kDemo = 1;              // IDOK
inline constexpr int kWithoutConnection = 2; // IDCANCEL
} // namespace noConnectionId

extern const DialogTemplate kMainDialogTemplate;
extern const DialogTemplate kNoConnectionTemplate;

} // namespace krv
