#pragma once
// The main window. It owns the device object (the connection) as a member, finds the
// controller while it initialises, then shows the newest readings every 100 ms in its fields, on
// the map's operating point and, between Start and Stop, on the chart.

#include "app/chart_files.h"
#include "app/dialog_controls.h"
#include "app/firmware_update_window.h"
#include "app/map_keeper.h"
#include "app/map_menu.h"
#include "app/replay.h"
#include "app/ui_gate.h"
#include "chart/scroll_chart.h"
#include "connection/connection_host.h"
#include "connection/connection_worker.h"
#include "connection/controller_model.h"
#include "connection/lpg_connection.h"
#include "map/map_emu1.h"
#include "map/map_key_filter.h"

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QTimer>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;

namespace krv {

class CLPGThreadManager;

class CKorrinDlg : public QDialog, public IConnectionHost, public IWorkerWindow {
    Q_OBJECT
public:
    static constexpr std::u16string_view kTitleSuffix = u" KRV v 1.12";
    static constexpr int kChartMaxSamples = 10000;
    static constexpr int kReadingsTimer = 2000;  // readings refresh, 100 ms
    static constexpr int kReconnectTimer = 2001; // reconnect after a lost link
    static constexpr int kReadingsTimerMs = 100;

    explicit CKorrinDlg(CLPGThreadManager& threads);
    ~CKorrinDlg() override;

    // Initialises and shows the window modally; the port search runs meanwhile.
    int DoModal();
    // Builds the window and hands the port search to the worker; its end shows the result.
    bool OnInitDialog();

    void applyDialogTexts();
    // The settings fields and the grid from the model (the drive's cells over it while a
    // calibration drive runs).
    void showDeviceData();
    void updateReadings();
    // The readings fields; none empties them.
    struct Readings {
        int rpm = 0;
        double input = 0, output = 0, pump = 0; // volts
        bool working = false;
    };
    void showReadings(const std::optional<Readings>& readings);
    // One point of each chart line at x.
    void plotReading(float x, double input, double output, double pump);
    // Members to controls (false) or controls to members (true).
    void updateData(bool fromControls);

    // IConnectionHost
    bool chooseDemoMode() override;
    bool updateFirmware(bool forced) override;
    void setStatusText(const std::u16string& text) override;
    void dataLoaded(const ControllerData& data) override;
    void readingsStarted() override;
    void readingsStopped() override;
    void linkLost(std::chrono::milliseconds reconnectAfter) override;
    void reconnected() override;

    // IWorkerWindow
    void post(std::function<void()> task) override;
    void operationStarted(const std::u16string& statusText) override;
    void operationEnded() override;
    void* errorOwner() override { return this; }

    // Where the window's features run their controller work.
    IConnectionJobs& jobs() { return worker_; }
    // An operation (the search, a reconnect attempt, a command) is under way.
    bool operationRunning() const { return worker_.pending() > 0; }

    // Enter never closes the window.
    void accept() override {}
    // "Zamknij" and the close box; while the controller is programmed, only when confirmed.
    void reject() override;
    const CQtFirmwareUpdateWindow& firmwareWindow() const { return firmwareWindow_; }

    bool timerActive(int id) const;
    CLPGConnection& device() { return device_; }
    const CLPGConnection& device() const { return device_; }
    CControllerModel& model() { return model_; }
    const CControllerModel& model() const { return model_; }
    CMapKeeper& mapKeeper() { return mapKeeper_; }
    const CDialogControls& controls() const { return controls_; }
    CMapEmu1& mapGrid() { return mapGrid_; }
    CScrollChart<float>& chart() { return chart_; }
    CChartFiles& chartFiles() { return chartFiles_; }
    CReplay& replay() { return replay_; }

    std::u16string statusText;
    std::u16string inputText;
    std::u16string outputText;
    std::u16string speedText;
    std::u16string pumpPwmText;
    std::u16string workingStateText;
    int chartPaused = 1; // 1: the chart is not fed
    int xCounter = 0;    // x of the next chart point
    // A calibration drive is running.
    bool calibrating = false;
    // Input voltages filed per map cell during the drive, index row * 15 + column: the
    // drive's own state, never the model's until the controller took it.
    std::array<std::vector<double>, kMapCells> cellSamples;

private:
    void createMapGrid();
    void createChart();
    void feedChart();
    void OnTimer(int id);
    void OnBnClickedStart();
    void OnBnClickedStop();
    // Settings spins: the value becomes value - step (up -1, down +1) and is written.
    struct SettingRow;
    template <class Field>
    void stepSetting(Field DeviceSettings::*field, int step, const SettingRow& row);
    void OnDeltaposSpinRpmDiv(int step);
    void OnDeltaposSpinNoiseDelta(int step);
    void OnDeltaposSpinNoisePeriod(int step);
    // Button 1020: starts or stops the calibration drive.
    void OnBnClickedBtnCalibration();
    void calibrationStep(const CDiag& sample);
    void stopCalibration();
    void clearCellSamples();
    // The drive's means over the given cells: what the drive learned so far.
    MapCells cellMeansOver(const MapCells& cells) const;
    // Button 1019 "Kasuj".
    void OnBnClickedBtnClrMapTime();
    QTimer& timer(int id);
    // After a successful reconnect: translated captions, device data, members to controls.
    void showReconnected();
    // An edit of the controller's state through the model: a write the controller did not take
    // whole shows failureText over the window (error icon), an escaping error object is
    // reported under operation; recorded for undo once acknowledged. An empty statusText marks
    // a quick command that holds nothing back.
    void submitEdit(const std::u16string& statusText, std::u16string_view operation,
                    CControllerModel::Change change, CControllerModel::Write write,
                    std::u16string_view failureText);
    // Runs the task on the user-interface thread: now when there, else queued.
    void onUiThread(std::function<void()> task);
    // The controls that would start another operation.
    void enableOperationControls(bool enable);

    // First made, last gone: the map grid and the worker reach it until the end.
    CLPGConnection device_;
    CDialogControls controls_;
    // Sends through the worker, made below; it only keeps it until then.
    CControllerModel model_{jobs()};
    CMapEmu1 mapGrid_;

    QLineEdit* rpmDividerEdit_;
    QIcon icon_;
    CScrollChart<float> chart_;
    CChartFiles chartFiles_{chart_, device_, kChartMaxSamples};
    QFont gridFont_;
    QLineEdit* noiseDeltaEdit_;
    QLineEdit* noisePeriodEdit_;
    QTimer readingsTimer_;
    QTimer reconnectTimer_;
    CMapKeyFilter keyFilter_;
    CUiGate gate_;
    CQtFirmwareUpdateWindow firmwareWindow_{*this, gate_};
    // What the status line says while a long operation runs; empty otherwise.
    std::u16string operationStatus_;
    std::u16string statusBeforeOperation_;
    CConnectionWorker worker_{device_, *this};
    // The settings a spin shows while no controller is connected (the field alone changes).
    std::optional<DeviceSettings> unsentSettings_;
    CMapKeeper mapKeeper_{model_, mapGrid_, *this};
    CMapMenu mapMenu_{mapKeeper_, mapGrid_, *this};
    CReplay replay_{*this};
};

} // namespace krv
