#include "tests/firmware/update_fixture.h"

#include "platform/text.h"
#include "sim/afm/afm_builder.h"
#include "sim/afm/afm_tool.h"
#include "tests/firmware/sample_image_check.h"
#include "tests/support/unavailable.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <thread>

namespace krv::test {

namespace {

constexpr uint8_t kCommandFrame = 2;

Op operationOf(const sim::Frame& request) {
    switch (request.type) {
    case 0xF6:
        return Op::EnterBootloader;
    case 0xF7:
        return Op::WriteRow;
    case 0xF9:
        return Op::ErasePage;
    case kCommandFrame:
        break;
    default:
        return Op::Other;
    }
    switch (request.payload.empty() ? 0 : request.payload[0]) {
    case 0xCC:
        return Op::Identify;
    case 0xC4:
        return Op::QueryBootloader;
    case 0x60:
        return Op::EndProgramming;
    case 0x0A:
        return Op::StartApplication;
    default:
        return Op::Other;
    }
}

} // namespace

std::optional<sim::Frame> CScriptedController::handle(const sim::Frame& request) {
    const Op op = operationOf(request);
    std::function<void()> action;
    {
        std::lock_guard lock(mutex_);
        if (op != Op::Other) {
            log_.push_back(op);
        }
        if (op == Op::WriteRow && ++rows_ == actionRow_) {
            action.swap(action_);
        }
        const auto refusal = refusals_.find(op);
        if (refusal != refusals_.end() && refusal->second != 0) {
            if (refusal->second > 0) {
                --refusal->second;
            }
            return sim::Frame{kCommandFrame, {0, 0, 0, 0, 0, 0}};
        }
    }
    auto reply = controller.handle(request);
    if (action) {
        action();
    }
    return reply;
}

void CScriptedController::refuse(Op op, int times) {
    std::lock_guard lock(mutex_);
    refusals_[op] = times;
}

void CScriptedController::atRow(int rowNumber, std::function<void()> action) {
    std::lock_guard lock(mutex_);
    actionRow_ = rowNumber;
    action_ = std::move(action);
}

std::vector<Op> CScriptedController::log(bool withRowsAndErases) const {
    std::lock_guard lock(mutex_);
    std::vector<Op> ops;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(ops), [&](Op op) {
        return withRowsAndErases || (op != Op::WriteRow && op != Op::ErasePage);
    });
    return ops;
}

int CScriptedController::count(Op op) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(log_.begin(), log_.end(), op));
}

void CScriptedController::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
    rows_ = 0;
}

int CCursorAwareRecorder::show(MessageOwner owner, const std::u16string& text,
                               const std::u16string& caption, unsigned style) {
    cursorDepths.push_back(window_.waitCursorDepth());
    return CMessageRecorder::show(owner, text, caption, style);
}

FirmwareUpdateTest::FirmwareUpdateTest() {
    ::setenv("XDG_CONFIG_HOME", directory_.path().c_str(), 1);
    restartDevice();
}

FirmwareUpdateTest::~FirmwareUpdateTest() {
    device_.reset();
    simulator_.stop();
    ::unsetenv("KRV_PORTS");
    ::unsetenv("XDG_CONFIG_HOME");
}

void FirmwareUpdateTest::SetUp() {
    const std::string link = (directory_.path() / "port1").string();
    try {
        simulator_.start(link);
    } catch (const std::system_error& error) {
        KRV_GTEST_UNAVAILABLE(std::string("no pseudo-terminal: ") + error.what());
    }
    ::setenv("KRV_PORTS", link.c_str(), 1);
}

std::u16string FirmwareUpdateTest::firmwareFile(const std::string& name,
                                                std::vector<std::string> options) {
    const std::string path = (directory_.path() / name).string();
    options.insert(options.begin(), {path, "--sample"});
    std::ostringstream errors;
    EXPECT_EQ(sim::runAfmTool(options, errors), sim::kAfmToolOk) << errors.str();
    return toU16(path);
}

void FirmwareUpdateTest::connectAndPoll() {
    device_->connect(window_);
    ASSERT_TRUE(device_->connected);
    device_->startPolling();
    ASSERT_TRUE(pollingResumed());
    controller_.clearLog();
}

void FirmwareUpdateTest::restartDevice() {
    device_.reset();
    device_ = std::make_unique<CLPGConnection>(threads_);
    window_.setDevice(device_.get());
}

void FirmwareUpdateTest::clickUpdate() {
    OnClickedBtnDeviceUpdate(*device_, window_, window_.messageOwner());
}

bool FirmwareUpdateTest::portReplugged() const {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    std::error_code error;
    while (std::filesystem::read_symlink(directory_.path() / "port1", error) !=
           simulator_.slavePath()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

bool FirmwareUpdateTest::pollingResumed() {
    // A running thread that reads the controller fills the store again after it was cleared.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (device_->diagData.sampleCount() < 3) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return device_->pollingRunning && window_.timerPeriod(test::CTestWindow::kReadingsTimer) == 100;
}

bool FirmwareUpdateTest::pollingStopped() const {
    return !device_->pollingRunning && threads_.runningCount() == 0 &&
           window_.timerPeriod(test::CTestWindow::kReadingsTimer) == 0;
}

bool FirmwareUpdateTest::linkMarkedLost() const {
    return !device_->connected && !device_->pollingRunning && threads_.runningCount() == 0 &&
           window_.timerPeriod(test::CTestWindow::kReadingsTimer) != 0 &&
           window_.timerPeriod(test::CTestWindow::kReconnectTimer) ==
               CLPGConnection::kReconnectAfterLoss.count();
}

bool FirmwareUpdateTest::holdsSampleImage() const {
    return programMemoryHoldsSampleImage(controller_.controller);
}

bool FirmwareUpdateTest::programMemoryUntouched() const {
    return controller_.controller.state().program.writtenRows().empty();
}

} // namespace krv::test
