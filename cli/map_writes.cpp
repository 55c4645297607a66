#include "cli/map_writes.h"

#include "cli/cli_text.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "platform/text.h"

#include <cstdio>

namespace krv::cli {

void printChanges(std::ostream& out, const MapSnapshot& from, const MapSnapshot& to) {
    for (int row = 0; row < kMapRows; ++row) {
        for (int column = 0; column < kMapColumns; ++column) {
            const size_t i = static_cast<size_t>(row * kMapColumns + column);
            if (from.cells[i] != to.cells[i]) {
                out << "cell " << row + 1 << ',' << column + 1 << ": "
                    << fixed(units::mapCellVolts(from.cells[i]), 2) << " -> "
                    << fixed(units::mapCellVolts(to.cells[i]), 2) << " V\n";
            }
        }
    }
    for (size_t i = 0; i < from.rows.size(); ++i) {
        if (from.rows[i] != to.rows[i]) {
            out << "row " << i + 1 << ": " << fixed(units::rowBreakVolts(from.rows[i]), 3) << " -> "
                << fixed(units::rowBreakVolts(to.rows[i]), 3) << " V\n";
        }
    }
    for (size_t i = 0; i < from.columns.size(); ++i) {
        if (from.columns[i] != to.columns[i]) {
            out << "column " << i + 1 << ": " << units::columnBreakRpm(from.columns[i]) << " -> "
                << units::columnBreakRpm(to.columns[i]) << " rpm\n";
        }
    }
    const auto setting = [&](const char* name, unsigned was, unsigned becomes) {
        if (was != becomes) {
            out << name << ": " << was << " -> " << becomes << '\n';
        }
    };
    setting("rpm-divider", from.rpmDivider, to.rpmDivider);
    setting("noise-delta", from.noiseDelta, to.noiseDelta);
    setting("noise-period", from.noisePeriod, to.noisePeriod);
    out << std::flush;
}

int writeBackedUp(Session& session, std::string_view operation, const MapSnapshot& held,
                  const MapSnapshot& target, WriteKind kind) {
    if (!session.backUp(operation, held)) {
        return kExitFailed;
    }
    return writeFrom(session, operation, held, target, kind);
}

int writeFrom(Session& session, std::string_view operation, const MapSnapshot& held,
              const MapSnapshot& target, WriteKind kind) {
    CLPGConnection& device = session.device();
    StateWrite write;
    write.kind = kind;
    write.known = {device.deviceType, device.firmwareVersion, held};
    write.target = target;
    const WriteOutcome outcome = writeToController(device, write);
    if (outcome.result != WriteOutcome::Result::Written) {
        return session.fail(toUtf8(outcomeText(outcome)));
    }
    return session.recordWritten(operation, outcome.holds) ? kExitDone : kExitFailed;
}

} // namespace krv::cli
