// The three settings spins. A spin keeps no value of its own: each step is an edit of the
// model's settings, written to the controller (with the map, as the controller takes them);
// the field shows the model, so a refused step leaves what the controller holds. Without a
// controller the spins are greyed (text typed into the edits is never read).

#include "app/korrin_dlg.h"
#include "device/editable_limits.h"
#include "lang/program_texts.h"

namespace krv {

struct CKorrinDlg::SettingRow {
    limits::SettingRange range;
    std::u16string_view operation; // names the spin in error reports
};

template <class Field>
void CKorrinDlg::stepSetting(Field DeviceSettings::*field, int step, const SettingRow& row) {
    // A step that would leave the range is dropped whole, never cut at the limit.
    const auto stepped = [field, step, row](DeviceSettings settings) {
        const long next = static_cast<long>(settings.*field) - step;
        if (!row.range.holds(next)) {
            return std::optional<DeviceSettings>();
        }
        settings.*field = static_cast<Field>(next);
        return std::optional<DeviceSettings>(settings);
    };
    // The spins are greyed then, but the link may go down before they are: nothing is sent,
    // and the field keeps what the controller holds.
    if (!model_.loaded() || !device_.connected) {
        return;
    }
    submitEdit(
        {}, row.operation,
        [stepped](const MapSnapshot& base) -> std::optional<MapSnapshot> {
            const auto settings = stepped(base.settings());
            if (!settings) {
                return std::nullopt;
            }
            MapSnapshot next = base;
            next.setSettings(*settings);
            return next;
        },
        WriteKind::Settings);
}

void CKorrinDlg::OnDeltaposSpinRpmDiv(int step) {
    static constexpr SettingRow kRow{limits::kRpmDivider, u"CSettingsDlg::OnDeltaposSpinRpmDiv()"};
    stepSetting(&DeviceSettings::rpmDivider, step, kRow);
}

void CKorrinDlg::OnDeltaposSpinNoiseDelta(int step) {
    static constexpr SettingRow kRow{limits::kNoiseDelta,
                                     u"CSettingsDlg::OnDeltaposSpinNoiseDelta()"};
    stepSetting(&DeviceSettings::noiseDelta, step, kRow);
}

void CKorrinDlg::OnDeltaposSpinNoisePeriod(int step) {
    static constexpr SettingRow kRow{limits::kNoisePeriod,
                                     u"CSettingsDlg::OnDeltaposSpinNoisePeriod()"};
    stepSetting(&DeviceSettings::noisePeriod, step, kRow);
}

} // namespace krv
