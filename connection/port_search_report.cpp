#include "connection/port_search_report.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/serial_ports.h"
#include "platform/text.h"

#include <algorithm>

namespace krv {
namespace {

constexpr std::string_view kAdministratorGroup = "root";

std::u16string holderList(const std::vector<PortHolder>& holders) {
    std::u16string list;
    for (const PortHolder& holder : holders) {
        list +=
            (list.empty() ? u"" : u", ") + toU16(holder.name) + formatText(" (PID %d)", holder.pid);
    }
    return list;
}

std::u16string unusableLine(const std::u16string& path, const PortDiagnosis& diagnosis) {
    switch (diagnosis.status) {
    case PortStatus::Missing:
        return fillIn(translate(texts::kPortMissing), {path});
    case PortStatus::NotTerminal:
        return fillIn(translate(texts::kPortNotSerial), {path});
    case PortStatus::NoPermission: {
        // Joining the root group would be no cure but a hole.
        if (diagnosis.group == kAdministratorGroup || diagnosis.group.empty()) {
            return fillIn(translate(texts::kPortForAdministratorOnly), {path});
        }
        const std::u16string group = toU16(diagnosis.group);
        return fillIn(translate(texts::kPortNoPermission), {path, group, group});
    }
    case PortStatus::Openable: // it opens now: whatever held it a moment ago has let go
        return fillIn(translate(texts::kPortHeld), {path});
    case PortStatus::Busy:
        return diagnosis.holders.empty()
                   ? fillIn(translate(texts::kPortHeld), {path})
                   : fillIn(translate(texts::kPortHeldBy), {path, holderList(diagnosis.holders)});
    case PortStatus::OtherError:
        break;
    }
    return fillIn(translate(texts::kPortOpenFailed), {path, formatText("%d", diagnosis.error)});
}

} // namespace

std::u16string portAttemptLine(const PortAttempt& attempt) {
    const std::u16string path = toU16(attempt.path);
    switch (attempt.outcome) {
    case PortAttempt::Outcome::Unusable:
        return unusableLine(path, attempt.diagnosis);
    case PortAttempt::Outcome::NoAnswer:
        return fillIn(translate(texts::kPortNoAnswer), {path});
    case PortAttempt::Outcome::ForeignController:
        return fillIn(translate(texts::kPortForeignController), {path});
    case PortAttempt::Outcome::Bootloader:
        return fillIn(translate(texts::kPortBootloader), {path});
    case PortAttempt::Outcome::PortFailed:
        break;
    }
    return fillIn(translate(texts::kPortFailed), {path});
}

PortAttempt& CPortSearchReport::entry(int portNumber) {
    const auto found = std::find_if(attempts_.begin(), attempts_.end(),
                                    [&](const auto& a) { return a.portNumber == portNumber; });
    if (found != attempts_.end()) {
        return *found;
    }
    std::string path;
    if (!table_) {
        path = serialPortPath(portNumber);
    } else if (portNumber >= 1 && static_cast<size_t>(portNumber) <= table_->size()) {
        path = (*table_)[portNumber - 1];
    }
    return attempts_.emplace_back(PortAttempt{portNumber, path, {}, {}});
}

void CPortSearchReport::tried(int portNumber) {
    PortAttempt& attempt = entry(portNumber);
    attempt.outcome = PortAttempt::Outcome::NoAnswer;
    attempt.diagnosis = {};
}

void CPortSearchReport::unusable(int portNumber) {
    PortAttempt& attempt = entry(portNumber);
    attempt.outcome = PortAttempt::Outcome::Unusable;
    attempt.diagnosis = diagnosePort(attempt.path);
}

void CPortSearchReport::note(int portNumber, PortAttempt::Outcome outcome) {
    for (PortAttempt& attempt : attempts_) {
        if (attempt.portNumber == portNumber) {
            attempt.outcome = outcome;
        }
    }
}

std::vector<std::u16string> CPortSearchReport::lines() const {
    // Left out silently, a port past the limit would seem to have been tried.
    std::vector<std::u16string> notTried;
    // The system's table is scanned only when none was set.
    const std::vector<std::string> table = table_ ? *table_ : serialPortTable();
    for (size_t i = kSearchedPorts; i < table.size(); ++i) {
        if (!table[i].empty()) {
            notTried.push_back(fillIn(translate(texts::kPortNotTried), {toU16(table[i])}));
        }
    }

    // In the table's order, as the user lists the ports, not in the order they were tried.
    // An entry that names nothing has nothing to say.
    std::vector<const PortAttempt*> ordered;
    for (const PortAttempt& attempt : attempts_) {
        if (!attempt.path.empty()) {
            ordered.push_back(&attempt);
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->portNumber < b->portNumber; });
    if (ordered.empty() && notTried.empty()) {
        return {translate(texts::kNoSerialPorts)};
    }
    std::vector<std::u16string> lines{translate(texts::kPortsTried)};
    for (const PortAttempt* attempt : ordered) {
        lines.push_back(portAttemptLine(*attempt));
    }
    lines.insert(lines.end(), notTried.begin(), notTried.end());
    return lines;
}

} // namespace krv
