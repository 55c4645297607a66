// The model of what the controller holds, with the connection worker and the simulated
// controller: edits made on the window's thread (here the test's) while the worker writes and
// the polling reads, each landing once and in order, the model following only what the
// controller acknowledged, and a connection to another controller told apart.

#include "connection/connection_worker.h"
#include "connection/controller_model.h"
#include "connection_fixture.h"
#include "test_worker_window.h"

namespace krv::test {
namespace {

class ControllerModelTest : public ConnectionTest {
protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        port_ = &connectToController();
        worker_ = std::make_unique<CConnectionWorker>(*device_, workerWindow_);
        model_ = std::make_unique<CControllerModel>(*worker_);
        model_->load(window_.loads().back());
    }
    void TearDown() override {
        if (worker_) {
            worker_->stop();
        }
        model_.reset();
        worker_.reset();
    }

    sim::CController& controller() { return port_->handler.controller; }

    // Polling on the worker, as the window runs it.
    void startReadings() {
        device_->setPollingHost(worker_.get());
        device_->startPolling();
        ASSERT_TRUE(eventually([&] { return device_->diagData.sampleCount() >= 2; }));
    }

    // The window's thread: completions run until the model has nothing left to write.
    bool settled() {
        return workerWindow_.runPostedUntil([&] { return !model_->busy(); });
    }

    MapSnapshot held() {
        const auto state = controller().state();
        MapSnapshot snapshot;
        snapshot.cells = state.map;
        snapshot.rows = state.rowAxis;
        snapshot.columns = state.columnAxis;
        snapshot.setSettings(
            {state.settings.rpmDivider, state.settings.noiseDelta, state.settings.noisePeriod});
        return snapshot;
    }

    static CControllerModel::Edit axisEdit(int column, uint8_t wire, bool* written = nullptr,
                                           MapSnapshot* before = nullptr) {
        return {u"",
                [column, wire](const MapSnapshot& base) {
                    MapSnapshot next = base;
                    next.columns.at(column) = wire;
                    return std::optional<MapSnapshot>(next);
                },
                WriteKind::Axes,
                {},
                u"axis edit",
                [written, before](const WriteOutcome& outcome, const MapSnapshot& was) {
                    if (written != nullptr) {
                        *written = outcome.written();
                    }
                    if (before != nullptr) {
                        *before = was;
                    }
                }};
    }

    static CControllerModel::Edit dividerStep() {
        return {u"",
                [](const MapSnapshot& base) {
                    MapSnapshot next = base;
                    ++next.rpmDivider;
                    return std::optional<MapSnapshot>(next);
                },
                WriteKind::Settings,
                {},
                u"divider step",
                {}};
    }

    static CControllerModel::Edit restore(const MapSnapshot& target) {
        return {u"",
                [target](const MapSnapshot&) { return std::optional<MapSnapshot>(target); },
                WriteKind::Parts,
                {},
                u"restore",
                {}};
    }

    SimulatedPort* port_ = nullptr;
    CTestWorkerWindow workerWindow_;
    std::unique_ptr<CConnectionWorker> worker_;
    std::unique_ptr<CControllerModel> model_;
};

TEST_F(ControllerModelTest, UndoOfAnAxisChangeWhileReadingsRun) {
    startReadings();
    const MapSnapshot original = model_->acknowledged();
    MapSnapshot before;
    bool written = false;
    model_->submit(axisEdit(4, 21, &written, &before));
    // The window's refresh looks at the axes meanwhile, as the grid does every 100 ms.
    EXPECT_EQ(model_->shown().columns[4], 21);
    ASSERT_TRUE(settled());
    ASSERT_TRUE(written);
    EXPECT_EQ(before, original);
    EXPECT_EQ(controller().state().columnAxis[4], 21);

    model_->submit(restore(before));
    ASSERT_TRUE(settled());

    EXPECT_EQ(held(), original);
    EXPECT_EQ(model_->acknowledged(), original);
    const int samples = device_->diagData.sampleCount();
    EXPECT_TRUE(eventually([&] { return device_->diagData.sampleCount() > samples; }));
}

TEST_F(ControllerModelTest, SpinClicksDuringACalibrationDriveSendTheAcknowledgedMap) {
    startReadings();
    const MapSnapshot original = model_->acknowledged();
    // The drive files samples on the window's thread and keeps them as its own.
    std::vector<double> filed;
    constexpr size_t kClicks = 5;
    for (size_t click = 0; click < kClicks; ++click) {
        CDiag newest;
        device_->diagData.lastSample(newest);
        filed.push_back(inputVolts(newest));
        model_->submit(dividerStep());
    }
    EXPECT_EQ(model_->shown().rpmDivider, original.rpmDivider + int{kClicks});
    ASSERT_TRUE(settled());

    // Every click landed once, and the map that went with each is the controller's own.
    EXPECT_EQ(controller().state().settings.rpmDivider, original.rpmDivider + int{kClicks});
    EXPECT_EQ(port_->handler.controller.requests(protocol::kSettingsFrame).size(), size_t{kClicks});
    EXPECT_EQ(controller().state().map, original.cells);
    EXPECT_EQ(model_->acknowledged(), held());
    EXPECT_EQ(filed.size(), size_t{kClicks});
}

TEST_F(ControllerModelTest, TwoHeaderEditsInQuickSuccessionBothLand) {
    startReadings();
    model_->submit(axisEdit(3, 12));
    model_->submit(axisEdit(7, 30));
    // Both show at once, the second over the first.
    EXPECT_EQ(model_->shown().columns[3], 12);
    EXPECT_EQ(model_->shown().columns[7], 30);
    ASSERT_TRUE(settled());

    const auto axesWrites = controller().requests(protocol::kAxesFrame);
    ASSERT_EQ(axesWrites.size(), 2u);
    // The second was made from what the first left, not from what the click saw.
    EXPECT_EQ(axesWrites[1].payload.at(32 + 3), 12);
    EXPECT_EQ(axesWrites[1].payload.at(32 + 7), 30);
    EXPECT_EQ(model_->acknowledged(), held());
}

TEST_F(ControllerModelTest, RefusedWriteLeavesTheAcknowledgedStateAndLaterClicksStillGo) {
    auto knobs = controller().knobs();
    knobs.refuseWrites = true;
    controller().setKnobs(knobs);
    const MapSnapshot original = model_->acknowledged();
    bool written = true;
    model_->submit(axisEdit(2, 40, &written));
    model_->submit(dividerStep());
    ASSERT_TRUE(settled());
    EXPECT_FALSE(written);
    EXPECT_EQ(model_->acknowledged(), original);
    EXPECT_EQ(model_->shown(), original);

    knobs.refuseWrites = false;
    controller().setKnobs(knobs);
    model_->submit(dividerStep());
    ASSERT_TRUE(settled());
    EXPECT_EQ(model_->acknowledged().rpmDivider, original.rpmDivider + 1);
    EXPECT_EQ(model_->acknowledged(), held());
}

TEST_F(ControllerModelTest, ALoadTellsTheSameControllerFromAnother) {
    ControllerData data = window_.loads().back();
    EXPECT_EQ(model_->load(data), CControllerModel::Arrival::Same);
    data.state.rpmDivider = 9; // settings alone do not make another car
    EXPECT_EQ(model_->load(data), CControllerModel::Arrival::Same);
    data.state.cells[100] += 3;
    EXPECT_EQ(model_->load(data), CControllerModel::Arrival::Other);
    data.firmwareVersion += 1;
    EXPECT_EQ(model_->load(data), CControllerModel::Arrival::Other);
    // After an update the tool made, a new version of the same map is the same controller.
    model_->expectNewFirmware();
    data.firmwareVersion += 1;
    EXPECT_EQ(model_->load(data), CControllerModel::Arrival::Same);
}

TEST_F(ControllerModelTest, NothingIsSentWhileTheLinkIsDown) {
    model_->linkLost();
    EXPECT_FALSE(model_->submit(dividerStep()));
    EXPECT_FALSE(model_->busy());
    EXPECT_TRUE(controller().requests(protocol::kSettingsFrame).empty());
}

} // namespace
} // namespace krv::test
