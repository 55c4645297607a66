#include "connection/lpg_connection.h"

#include "connection/port_probe.h"
#include "connection/thread_manager.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/serial_ports.h"
#include "platform/settings_file.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace krv {

namespace {

constexpr std::string_view kLastPortSetting = "Last RS nr";
// What a controller waiting in its bootloader is taken for until it is programmed.
constexpr uint16_t kBootloaderVersion = 0x0100;

void showConnectionMessage(std::u16string_view text, unsigned icon) {
    showMessage(nullptr, translate(text), std::u16string(kMessageCaption), MB_OK | icon);
}

} // namespace

CLPGConnection::CLPGConnection(CLPGThreadManager& threads) : threads_(threads) {}

CLPGConnection::~CLPGConnection() {
    endPolling();
}

void CLPGConnection::connect(IConnectionHost& connectionHost, WhenNoneAnswers whenNoneAnswers) {
    host = &connectionHost;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    addErrorCategory(CTransmError());
    if (startChoice.demo) {
        startDemo();
        return;
    }
    scanPorts(whenNoneAnswers);
}

void CLPGConnection::interruptWaits() {
    port.interruptWaits();
    probeWaits_.interrupt();
}

void CLPGConnection::resumeWaits() {
    port.resumeWaits();
    probeWaits_.resume();
}

std::vector<std::string> CLPGConnection::portTable() const {
    std::vector<std::string> table = serialPortTable();
    if (!startChoice.addedPort.empty()) {
        table.push_back(startChoice.addedPort);
    }
    return table;
}

std::vector<int> CLPGConnection::presentPorts(const std::vector<std::string>& table,
                                              CPortSearchReport* absentTo) const {
    std::vector<int> present;
    // Numbers past the end of the port table are absent; no need to ask for each.
    const int highest = std::min<int>(kLastPort, static_cast<int>(table.size()));
    for (int n = kFirstPort; n <= highest; ++n) {
        if (startChoice.onlyFirstPort && n != startChoice.firstPort) {
            continue; // not the user's to look at
        }
        if (serialDevicePresent(table[n - 1])) {
            present.push_back(n);
        } else if (absentTo != nullptr) {
            absentTo->unusable(n);
        }
    }
    return present;
}

bool CLPGConnection::connectFirstAnswering(const std::vector<int>& order,
                                           const std::vector<std::string>& table) {
    port.close(); // a port may not be open twice at a time
    std::vector<ProbedPort> ports;
    for (int n : order) {
        if (std::none_of(ports.begin(), ports.end(),
                         [n](const ProbedPort& port) { return port.portNumber == n; })) {
            ports.push_back({n, table[n - 1]});
        }
    }
    const std::vector<PortProbe> probes = probePorts(ports, probeWaits_);
    for (int n : order) {
        const PortProbe& probe = *std::find_if(
            probes.begin(), probes.end(), [n](const PortProbe& p) { return p.portNumber == n; });
        switch (probe.result) {
        case PortProbe::Result::Answered:
            if (tryPort(n)) {
                return true;
            }
            break;
        case PortProbe::Result::Silent:
            searchReport.tried(n);
            break;
        case PortProbe::Result::Unusable:
            searchReport.unusable(n);
            break;
        case PortProbe::Result::PortFailed:
            searchReport.tried(n);
            searchReport.note(n, PortAttempt::Outcome::PortFailed);
            break;
        }
    }
    return false;
}

void CLPGConnection::scanPorts(WhenNoneAnswers whenNoneAnswers) {
    demoMode = false;
    connected = false;
    searchReport.clear();
    const std::vector<std::string> table = portTable();
    searchReport.setPortTable(table);
    unreadPort_ = 0;
    const int last = startChoice.firstPort != 0 ? startChoice.firstPort : readLastPort();
    const std::vector<int> candidates = presentPorts(table, &searchReport);
    portsSeen_.clear();
    for (int n : candidates) {
        portsSeen_.insert(table[n - 1]);
    }
    std::vector<int> order;
    if (last != 0 && std::find(candidates.begin(), candidates.end(), last) != candidates.end()) {
        order.push_back(last);
    }
    // A remembered port that failed first gets its ordinary turn as well.
    order.insert(order.end(), candidates.begin(), candidates.end());
    if (connectFirstAnswering(order, table)) {
        return;
    }
    if (unreadPort_ != 0) {
        // A controller is there; only its data did not come: no reason to offer the demo.
        linkPort_ = unreadPort_;
        markLinkLost();
        return;
    }
    if (whenNoneAnswers == WhenNoneAnswers::OfferChoice && host->chooseDemoMode()) {
        startDemo();
    } else {
        demoMode = false;
        connected = false;
    }
}

bool CLPGConnection::lookForNewPorts() {
    const std::vector<std::string> table = portTable();
    std::set<std::string> present;
    std::vector<int> fresh;
    for (int n : presentPorts(table, nullptr)) {
        present.insert(table[n - 1]);
        if (!portsSeen_.contains(table[n - 1])) {
            fresh.push_back(n);
        }
    }
    // A port that went is looked at again once it comes back.
    portsSeen_ = std::move(present);
    if (fresh.empty()) {
        return false;
    }
    searchReport.clear();
    searchReport.setPortTable(table);
    unreadPort_ = 0;
    if (connectFirstAnswering(fresh, table)) {
        return true;
    }
    if (unreadPort_ != 0) {
        linkPort_ = unreadPort_;
        markLinkLost();
    }
    return false;
}

void CLPGConnection::startDemo() {
    demoMode = true;
    readVersion(); // in the demo it sets version 256 and type 17 without any I/O
    loadControllerData();
}

bool CLPGConnection::tryPort(int portNumber) {
    try {
        port.close();
        searchReport.tried(portNumber);
        const std::vector<std::string> table = portTable();
        port.open(portNumber, portNumber >= 1 && static_cast<size_t>(portNumber) <= table.size()
                                  ? table[portNumber - 1]
                                  : std::string());
        port.setState();
        port.setTimeout();
        if (!startLink()) {
            return false; // left open: the next attempt closes it first
        }
        linkPort_ = portNumber;
        saveLastPort(portNumber);
        return true;
    } catch (IError* error) {
        delete error;
        if (port.isOpen()) {
            searchReport.note(portNumber, PortAttempt::Outcome::PortFailed);
        } else {
            searchReport.unusable(portNumber);
        }
        return false;
    }
}

bool CLPGConnection::startLink() {
    if (demoMode) {
        return true;
    }
    connected = false;
    if (!identify()) {
        return false;
    }
    if (!readVersion()) {
        showConnectionMessage(texts::kReadVersionFailed, MB_ICONERROR);
    }
    if (!loadControllerData()) {
        showConnectionMessage(texts::kReadSettingsFailed, MB_ICONERROR);
        unreadPort_ = port.portNumber();
        return false;
    }
    return true;
}

bool CLPGConnection::loadControllerData() {
    // What is read now is whose the link is; the host compares it with what it knew.
    identityInDoubt = false;
    const std::optional<MapSnapshot> state = readControllerState(*this);
    if (!state) {
        return false;
    }
    connected = true;
    host->dataLoaded({deviceType, firmwareVersion, *state});
    return true;
}

bool CLPGConnection::identify() {
    const IdentifyAnswer answer = requestIdentity();
    switch (answer.kind) {
    case IdentifyAnswer::Kind::Application:
        return true;
    case IdentifyAnswer::Kind::ForeignType:
        searchReport.note(port.portNumber(), PortAttempt::Outcome::ForeignController);
        if (!foreignControllerReported.exchange(true)) {
            showConnectionMessage(texts::kNoConnection, MB_ICONERROR);
        }
        return false;
    case IdentifyAnswer::Kind::Bootloader:
        searchReport.note(port.portNumber(), PortAttempt::Outcome::Bootloader);
        break;
    case IdentifyAnswer::Kind::NoAnswer:
        return false;
    }
    uint16_t state = kNoBootloaderState;
    const bool ready = queryBootloader(state);
    if (ready && state == kBootloaderReady) {
        firmwareVersion = kBootloaderVersion;
        deviceType = kServedDeviceType;
        showConnectionMessage(texts::kNeedsReprogramming, MB_ICONINFORMATION);
        return host->updateFirmware(true);
    }
    if (!ready && state == kNoBootloaderState) {
        return false;
    }
    // A bootloader that is not ready: send it back to the application, and look further.
    if (endProgramming()) {
        startApplication();
    }
    return false;
}

int CLPGConnection::readLastPort() const {
    const auto text = CSettingsFile().read(kLastPortSetting);
    return text ? parseLeadingInt(*text) : 0;
}

void CLPGConnection::saveLastPort(int portNumber) const {
    CSettingsFile().write(kLastPortSetting, std::to_string(portNumber));
}

} // namespace krv
