// The port search at start-up: which ports are tried in which order, what the user is told,
// the controller found in its bootloader, and the choice when no controller answers.

#include "connection_fixture.h"
#include "lang/program_texts.h"

namespace krv::test {
namespace {

constexpr uint8_t kReadVersion = 0x0D;
constexpr uint8_t kReadSettings = 0x07;
constexpr uint8_t kReadMap = 0x0E;
constexpr uint8_t kReadMapAxes = 0x11;
constexpr uint8_t kIdentify = 0xCC;
constexpr uint8_t kEndProgramming = 0x60;
constexpr uint8_t kStartApplication = 0x0A;

std::vector<uint8_t> operationsSent(const sim::CController& controller) {
    std::vector<uint8_t> operations;
    for (const sim::Frame& request : controller.requests()) {
        if (request.type == 2 && !request.payload.empty()) {
            operations.push_back(request.payload[0]);
        }
    }
    return operations;
}

using SearchOrderTest = ConnectionTest;

TEST_F(SearchOrderTest, WithoutRememberedPortEveryPresentPortIsTriedInOrder) {
    addPort().handler.refuse({kIdentify});
    addAbsentPort();
    addPort().handler.refuse({kIdentify});
    addPort();
    publishPorts();

    device_->connect(window_);

    EXPECT_EQ(portsTried(), (std::vector<int>{1, 3, 4}));
    EXPECT_TRUE(device_->connected);
    EXPECT_FALSE(device_->demoMode);
    EXPECT_EQ(lastPortSetting(), "Last RS nr=4");
    EXPECT_EQ(window_.demoQuestions(), 0);
}

TEST_F(SearchOrderTest, RememberedPortThatIsMissingIsNotTriedFirst) {
    addPort().handler.refuse({kIdentify});
    addPort();
    addAbsentPort();
    publishPorts();
    writeSetting("Last RS nr=3");

    device_->connect(window_);

    EXPECT_EQ(portsTried(), (std::vector<int>{1, 2}));
    EXPECT_EQ(lastPortSetting(), "Last RS nr=2");
}

TEST_F(SearchOrderTest, RememberedPortThatFailsIsTriedFirstAndAgainInItsPlace) {
    addPort().handler.refuse({kIdentify});
    addPort().handler.refuse({kIdentify});
    addPort();
    publishPorts();
    writeSetting("Last RS nr=2");

    device_->connect(window_);

    EXPECT_EQ(portsTried(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(device_->linkPort(), 3);
    EXPECT_EQ(lastPortSetting(), "Last RS nr=3");
}

TEST_F(SearchOrderTest, RememberedValueIsReadAsLeadingDecimal) {
    struct Case {
        const char* stored;
        int firstTried;
    };
    const Case cases[] = {
        {"Last RS nr=abc", 1}, // no digits: 0, nothing is tried first
        {"Last RS nr=x2", 1},  {"Last RS nr= 2", 2}, {"Last RS nr=+2 ", 2}, {"Last RS nr=2x", 2},
        {"Last RS nr=", 1},    {"Last RS nr=-2", 1}, {"Other=2", 1},
    };
    addPort();
    addPort();
    publishPorts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        writeSetting(c.stored);
        clearPortsTried();
        device_->connect(window_);
        EXPECT_EQ(portsTried(), (std::vector<int>{1, 2}));
        EXPECT_EQ(device_->linkPort(), c.firstTried);
    }
}

TEST_F(SearchOrderTest, SuccessfulPortTwelveIsRememberedAndTriedFirstNextTime) {
    for (int n = 1; n <= 11; ++n) {
        if (n == 3) {
            addPort().handler.refuse({kIdentify});
        } else {
            addAbsentPort();
        }
    }
    addPort();
    publishPorts();

    device_->connect(window_);
    EXPECT_EQ(portsTried(), (std::vector<int>{3, 12}));
    EXPECT_EQ(lastPortSetting(), "Last RS nr=12");
    EXPECT_EQ(device_->readLastPort(), 12);

    ports_[0]->handler.refuse({}); // port 3 answers too now: the remembered port is preferred
    device_->connect(window_);
    EXPECT_EQ(device_->linkPort(), 12);
    EXPECT_TRUE(device_->connected);
}

TEST_F(SearchOrderTest, NoPortsAtAllAsksAtOnceAndEscapeMeansWithoutConnection) {
    addAbsentPort();
    publishPorts();
    window_.answerDemo(false);

    device_->connect(window_);

    EXPECT_EQ(window_.demoQuestions(), 1);
    EXPECT_TRUE(portsTried().empty());
    EXPECT_FALSE(device_->connected);
    EXPECT_FALSE(device_->demoMode);
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(SearchOrderTest, DemoChosenWhenNoControllerAnswers) {
    addPort().handler.refuse({kIdentify});
    publishPorts();
    window_.answerDemo(true);
    device_->firmwareVersion = 0x0203;
    device_->deviceType = 5;

    device_->connect(window_);

    EXPECT_EQ(window_.demoQuestions(), 1);
    EXPECT_TRUE(device_->connected);
    EXPECT_TRUE(device_->demoMode);
    EXPECT_EQ(device_->firmwareVersion, 256);
    EXPECT_EQ(device_->deviceType, 17);
}

TEST_F(SearchOrderTest, EveryConnectAddsOneFrameErrorCategory) {
    addAbsentPort();
    publishPorts();
    device_->connect(window_);
    device_->connect(window_);
    EXPECT_EQ(device_->errorCategories().size(), 2u);
}

// The command line's --port: tried before the remembered port, the others in order after it.
TEST_F(SearchOrderTest, PortFromTheCommandLineIsTriedFirst) {
    addPort();
    addPort().handler.refuse({kIdentify});
    addPort();
    publishPorts();
    writeSetting("Last RS nr=1");
    for (const auto& [first, connectedTo] : {std::pair{3, 3}, {2, 1}}) {
        SCOPED_TRACE(first);
        device_->startChoice.firstPort = first;
        device_->connect(window_);
        EXPECT_EQ(device_->linkPort(), connectedTo);
        EXPECT_TRUE(device_->connected);
    }
}

// Ports that stay silent are asked at once: the choice comes after one port's tries, however
// many there are, and every silent port still hears all three tries.
TEST_F(SearchOrderTest, SilentPortsAreAskedAtOnce) {
    for (int n = 0; n < 3; ++n) {
        addPort().simulator.setSilent(true);
    }
    publishPorts();
    window_.answerDemo(false);

    const auto started = std::chrono::steady_clock::now();
    device_->connect(window_);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_EQ(window_.demoQuestions(), 1);
    EXPECT_FALSE(device_->connected);
    // A bound, not a timing goal: one after the other the three took three times one port's.
    EXPECT_LT(took, 6s);
    for (const auto& port : ports_) {
        EXPECT_EQ(port->simulator.counters().received, 3u);
    }
    ASSERT_EQ(device_->searchReport.attempts().size(), 3u);
    for (const PortAttempt& attempt : device_->searchReport.attempts()) {
        EXPECT_EQ(attempt.outcome, PortAttempt::Outcome::NoAnswer);
    }
}

// Running without a controller, the window asks every two seconds: a port new in the table is
// asked once; one that stays silent is not opened again until it goes and comes back, and
// then a controller answering there is connected to.
TEST_F(SearchOrderTest, PortWatchAsksNewAndReturningPortsOnce) {
    addAbsentPort();
    publishPorts();
    window_.answerDemo(false);
    device_->connect(window_);
    ASSERT_FALSE(device_->connected);
    EXPECT_FALSE(device_->lookForNewPorts());

    SimulatedPort& plugged = addPort();
    plugged.simulator.setSilent(true);
    publishPorts();
    EXPECT_FALSE(device_->lookForNewPorts());
    EXPECT_EQ(plugged.simulator.counters().received, 3u);
    plugged.simulator.setSilent(false);
    EXPECT_FALSE(device_->lookForNewPorts());
    EXPECT_EQ(plugged.simulator.counters().received, 3u) << "a silent port is not asked again";

    const std::string path = table_[1];
    table_[1] = directory_ + "/unplugged";
    publishPorts();
    EXPECT_FALSE(device_->lookForNewPorts());
    table_[1] = path;
    publishPorts();
    EXPECT_TRUE(device_->lookForNewPorts());
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(device_->linkPort(), 2);
    EXPECT_EQ(window_.loads().size(), 1u);
    EXPECT_EQ(window_.demoQuestions(), 1) << "only the search at the start asks";
    EXPECT_EQ(lastPortSetting(), "Last RS nr=2");
}

// The command line's --demo: no port is opened and nothing is asked.
TEST_F(SearchOrderTest, DemoFromTheCommandLineSearchesNothing) {
    addPort();
    publishPorts();
    device_->startChoice.demo = true;

    device_->connect(window_);

    EXPECT_TRUE(portsTried().empty());
    EXPECT_FALSE(device_->port.isOpen());
    EXPECT_TRUE(device_->demoMode);
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(device_->firmwareVersion, 256);
    EXPECT_EQ(device_->deviceType, 17);
    EXPECT_EQ(window_.demoQuestions(), 0);
}

using StartMessagesTest = ConnectionTest;

TEST_F(StartMessagesTest, ForeignControllerIsReportedOncePerProcess) {
    for (int n = 0; n < 2; ++n) {
        auto knobs = addPort().handler.controller.knobs();
        knobs.identifyType = 0x12;
        ports_.back()->handler.controller.setKnobs(knobs);
    }
    publishPorts();

    device_->connect(window_);
    device_->connect(window_);

    EXPECT_EQ(portsTried(), (std::vector<int>{1, 2}));
    const auto shown = messagesWith(texts::kNoConnection);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, u"Emulator KRV");
    EXPECT_EQ(shown[0].style, MB_OK | MB_ICONERROR);
    EXPECT_EQ(messages_.messages().size(), 1u);
    EXPECT_FALSE(device_->connected);
    EXPECT_EQ(window_.demoQuestions(), 2);
}

TEST_F(StartMessagesTest, FailedVersionReadIsReportedOnceAndStillConnects) {
    addPort().handler.refuse({kReadVersion});
    publishPorts();

    device_->connect(window_);

    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(messages_.messages()[0].text, texts::kReadVersionFailed);
    EXPECT_EQ(messages_.messages()[0].style, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(lastPortSetting(), "Last RS nr=1");
}

// A controller whose data could not be read is not connected to: nothing would be known of
// what it holds. It is not given up for the demo either, but retried as a lost link, and
// connected to once its data reads.
TEST_F(StartMessagesTest, FailedDataReadLeavesTheLinkDownAndRetriesIt) {
    auto& port = addPort();
    port.handler.refuse({kReadMap}); // the settings read, the map does not
    publishPorts();

    device_->connect(window_);

    EXPECT_EQ(messagesWith(texts::kReadSettingsFailed).size(), 1u);
    EXPECT_EQ(messages_.messages().size(), 1u);
    EXPECT_FALSE(device_->connected);
    EXPECT_TRUE(window_.loads().empty());
    EXPECT_EQ(window_.demoQuestions(), 0);
    EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReconnectTimer),
              CLPGConnection::kReconnectAfterLoss.count());

    port.handler.refuse({});
    device_->reconnect();

    EXPECT_TRUE(device_->connected);
    ASSERT_EQ(window_.loads().size(), 1u);
    EXPECT_EQ(window_.loads()[0].state.cells, port.handler.controller.state().map);
    EXPECT_EQ(lastPortSetting(), "Last RS nr=1");
}

TEST_F(StartMessagesTest, ControllerDataIsLoadedOnConnect) {
    auto& port = addPort();
    port.handler.controller.setSettings({4, 7, 300});
    std::array<uint8_t, 240> map{};
    map[15 * 2 + 3] = 50;
    port.handler.controller.setMap(map);
    auto knobs = port.handler.controller.knobs();
    knobs.version = 0x0107;
    port.handler.controller.setKnobs(knobs);
    publishPorts();

    device_->connect(window_);

    EXPECT_EQ(device_->firmwareVersion, 0x0107);
    // The host is told what was read, as it was read.
    const std::vector<ControllerData> loads = window_.loads();
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].state.settings(), (DeviceSettings{4, 7, 300}));
    EXPECT_EQ(loads[0].state.cells, map);
    EXPECT_EQ(loads[0].firmwareVersion, 0x0107);
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(StartMessagesTest, ReadingsAreEnabledOnlyByTheAgreedWord) {
    struct Case {
        uint16_t word;
        bool enabled;
    };
    addPort();
    publishPorts();
    for (const Case c : {Case{0x0055, true}, Case{0x0056, false}, Case{0x5500, false}}) {
        SCOPED_TRACE(c.word);
        auto knobs = ports_[0]->handler.controller.knobs();
        knobs.identifyWord = c.word;
        ports_[0]->handler.controller.setKnobs(knobs);

        device_->connect(window_);
        ASSERT_TRUE(device_->connected);
        EXPECT_EQ(device_->readingsEnabled, c.enabled);

        device_->startPolling();
        EXPECT_EQ(device_->pollingRunning, c.enabled);
        EXPECT_EQ(threads_.runningCount(), c.enabled ? 1u : 0u);
        EXPECT_EQ(window_.timerPeriod(test::CTestWindow::kReadingsTimer), c.enabled ? 100 : 0);
        device_->stopPolling();
    }
}

using BootloaderTest = ConnectionTest;

TEST_F(BootloaderTest, ReadyBootloaderLeadsToForcedUpdateWhoseResultCounts) {
    window_.answerDemo(false);
    for (const bool programmed : {false, true}) {
        SCOPED_TRACE(programmed);
        ports_.clear();
        table_.clear();
        auto& port = addPort();
        port.handler.controller.setMode(sim::ControllerMode::Bootloader);
        auto knobs = port.handler.controller.knobs();
        knobs.version = 0x0105;
        port.handler.controller.setKnobs(knobs);
        publishPorts();
        device_->firmwareVersion = 0x0300;
        device_->deviceType = 3;
        std::pair<uint16_t, uint8_t> seenByUpdate;
        window_.onFirmwareUpdate([&, programmed](bool) {
            seenByUpdate = {device_->firmwareVersion, device_->deviceType};
            if (programmed) {
                port.handler.controller.setMode(sim::ControllerMode::Application);
            }
            return programmed;
        });

        device_->connect(window_);

        EXPECT_EQ(seenByUpdate, (std::pair<uint16_t, uint8_t>{0x0100, 17}));
        EXPECT_EQ(device_->connected, programmed);
        EXPECT_EQ(window_.demoQuestions(), 1) << "asked after the failed update only";
        if (programmed) {
            EXPECT_EQ(device_->firmwareVersion, 0x0105) << "loading goes on after the update";
            EXPECT_EQ(lastPortSetting(), "Last RS nr=1");
        }
    }
    EXPECT_EQ(window_.firmwareUpdates(), (std::vector<bool>{true, true}));
    const auto shown = messagesWith(texts::kNeedsReprogramming);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].style, MB_OK | MB_ICONINFORMATION);
}

TEST_F(BootloaderTest, BootloaderNotReadyIsSentBackToItsApplicationAndTheSearchGoesOn) {
    auto& waiting = addPort();
    waiting.handler.controller.setMode(sim::ControllerMode::Bootloader);
    auto knobs = waiting.handler.controller.knobs();
    knobs.bootloaderState = 0x10;
    waiting.handler.controller.setKnobs(knobs);
    addPort();
    publishPorts();

    device_->connect(window_);

    const auto sent = operationsSent(waiting.handler.controller);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(sent.end() - 2, sent.end()),
              (std::vector<uint8_t>{kEndProgramming, kStartApplication}));
    EXPECT_EQ(waiting.handler.controller.state().mode, sim::ControllerMode::Application);
    EXPECT_TRUE(window_.firmwareUpdates().empty());
    EXPECT_EQ(portsTried(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(device_->connected);
    EXPECT_EQ(lastPortSetting(), "Last RS nr=2");
}

} // namespace
} // namespace krv::test
