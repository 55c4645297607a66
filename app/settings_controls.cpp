// The three settings spins. A spin keeps no value of its own: each step changes the device's
// field, which is the only source of the value (text typed into the edits is never read), and
// the worker writes it to the controller.

#include "app/korrin_dlg.h"
#include "device/editable_limits.h"
#include "lang/program_texts.h"
#include "platform/text.h"

#include <QLineEdit>

namespace krv {

struct CKorrinDlg::SettingRow {
    limits::SettingRange range;
    std::u16string_view operation; // names the spin in error reports
};

template <class Field>
void CKorrinDlg::stepSetting(Field& field, int step, const SettingRow& row, QLineEdit* edit) {
    // A step that would leave the range is dropped whole, never cut at the limit.
    const long next = static_cast<long>(field) - step;
    if (!row.range.holds(next)) {
        return;
    }
    const MapSnapshot before = snapshotOf(device_);
    field = static_cast<Field>(next);
    edit->setText(QString::fromStdU16String(formatText("%u", unsigned{field})));
    if (device_.connected) {
        runCommand(
            {}, row.operation, [](CLPGConnection& device) { return device.writeSettings(); },
            texts::kWriteSettingsFailed, [this, before] { mapKeeper_.recordChange(before); });
    }
}

void CKorrinDlg::OnDeltaposSpinRpmDiv(int step) {
    static constexpr SettingRow kRow{limits::kRpmDivider, u"CSettingsDlg::OnDeltaposSpinRpmDiv()"};
    stepSetting(device_.rpmDivider, step, kRow, rpmDividerEdit_);
}

void CKorrinDlg::OnDeltaposSpinNoiseDelta(int step) {
    static constexpr SettingRow kRow{limits::kNoiseDelta,
                                     u"CSettingsDlg::OnDeltaposSpinNoiseDelta()"};
    stepSetting(device_.noiseDelta, step, kRow, noiseDeltaEdit_);
}

void CKorrinDlg::OnDeltaposSpinNoisePeriod(int step) {
    static constexpr SettingRow kRow{limits::kNoisePeriod,
                                     u"CSettingsDlg::OnDeltaposSpinNoisePeriod()"};
    stepSetting(device_.noisePeriod, step, kRow, noisePeriodEdit_);
}

} // namespace krv
