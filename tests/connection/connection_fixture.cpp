#include "connection_fixture.h"

#include "tests/support/unavailable.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace krv::test {

namespace {

constexpr uint8_t kCommandFrame = 2;
constexpr uint8_t kIdentify = 0xCC;
constexpr uint8_t kReadReadings = 0x06;

bool isCommand(const sim::Frame& request, uint8_t operation) {
    return request.type == kCommandFrame && !request.payload.empty() &&
           request.payload[0] == operation;
}

} // namespace

std::optional<sim::Frame> CTestController::handle(const sim::Frame& request) {
    if (isCommand(request, kIdentify)) {
        identified_(portNumber_);
    }
    Reading reading = Reading::Ok;
    std::function<void(const sim::Frame&)> hook;
    {
        std::lock_guard lock(mutex_);
        hook = hook_;
    }
    if (hook) {
        hook(request);
    }
    {
        std::lock_guard lock(mutex_);
        if (request.type == kCommandFrame && !request.payload.empty() &&
            refused_.count(request.payload[0]) != 0) {
            return sim::Frame{kCommandFrame, {0, 0, 0, 0, 0, 0}};
        }
        if (isCommand(request, kReadReadings) && !readings_.empty()) {
            reading = readings_.front();
            readings_.pop_front();
        }
    }
    auto reply = controller.handle(request);
    switch (reading) {
    case Reading::Ok:
        return reply;
    case Reading::Silent:
        return std::nullopt;
    case Reading::WrongType:
        return sim::Frame{kCommandFrame, {4, 0, 0, 0, 0, 0}};
    }
    return reply;
}

void CTestController::refuse(std::set<uint8_t> operations) {
    std::lock_guard lock(mutex_);
    refused_ = std::move(operations);
}

void CTestController::onRequest(std::function<void(const sim::Frame&)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

void CTestController::scriptReadings(std::vector<Reading> answers) {
    std::lock_guard lock(mutex_);
    readings_.assign(answers.begin(), answers.end());
}

bool CTestController::scriptDone() const {
    std::lock_guard lock(mutex_);
    return readings_.empty();
}

SimulatedPort::SimulatedPort(int portNumber, std::function<void(int)> identified,
                             const std::string& link)
    : handler(portNumber, std::move(identified)) {
    simulator.start(link);
}

ConnectionTest::ConnectionTest() {
    ::setenv("XDG_CONFIG_HOME", directory_.c_str(), 1);
    ::setenv("KRV_PORTS", "", 1);
}

void ConnectionTest::SetUp() {
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0) {
        KRV_GTEST_UNAVAILABLE("no pseudo-terminal here");
    }
    ::close(terminal);
}

ConnectionTest::~ConnectionTest() {
    device_.reset();
    ports_.clear();
    ::unsetenv("KRV_PORTS");
    ::unsetenv("XDG_CONFIG_HOME");
}

SimulatedPort& ConnectionTest::addPort() {
    const int number = static_cast<int>(table_.size()) + 1;
    const std::string link = directory_ + "/port" + std::to_string(number);
    ports_.push_back(std::make_unique<SimulatedPort>(
        number,
        [this](int port) {
            std::lock_guard lock(triedMutex_);
            tried_.push_back(port);
        },
        link));
    table_.push_back(link);
    return *ports_.back();
}

SimulatedPort& ConnectionTest::connectToController() {
    SimulatedPort& port = addPort();
    publishPorts();
    device_->connect(window_);
    EXPECT_TRUE(device_->connected);
    return port;
}

SimulatedPort& ConnectionTest::pollUntilASampleWaits() {
    SimulatedPort& port = connectToController();
    device_->startPolling();
    EXPECT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 1; }));
    port.simulator.setSilent(true);
    EXPECT_TRUE(port.simulator.waitForReceived(port.simulator.counters().received + 1, 5s));
    return port;
}

void ConnectionTest::addAbsentPort() {
    table_.push_back(directory_ + "/absent" + std::to_string(table_.size() + 1));
}

void ConnectionTest::publishPorts() {
    std::string list;
    for (const std::string& path : table_) {
        list += (list.empty() ? "" : ":") + path;
    }
    ::setenv("KRV_PORTS", list.c_str(), 1);
}

void ConnectionTest::writeSetting(const std::string& line) {
    std::filesystem::create_directories(directory_ + "/Morvelcast");
    std::ofstream(directory_ + "/Morvelcast/settings.ini") << line << '\n';
}

std::string ConnectionTest::lastPortSetting() const {
    std::ifstream in(directory_ + "/Morvelcast/settings.ini");
    std::string line;
    std::getline(in, line);
    return line;
}

std::vector<int> ConnectionTest::portsTried() const {
    std::lock_guard lock(triedMutex_);
    const std::set<int> asked(tried_.begin(), tried_.end());
    return {asked.begin(), asked.end()};
}

void ConnectionTest::clearPortsTried() {
    std::lock_guard lock(triedMutex_);
    tried_.clear();
}

bool ConnectionTest::eventually(const std::function<bool()>& condition,
                                std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::vector<CDiag> ConnectionTest::samples() {
    std::vector<CDiag> all;
    device_->diagData.copySamples(all, 0, CDiagData::kMaxHeld + 1);
    return all;
}

} // namespace krv::test
