#pragma once
// The main window. It owns the device object (the connection) as a member, finds the
// controller while it initialises, then shows the newest readings every 100 ms in its fields, on
// the map's operating point and, between Start and Stop, on the chart.

#include "app/calibration_drive.h"
#include "app/cars_in_window.h"
#include "app/chart_files.h"
#include "app/chart_scale.h"
#include "app/dialog_controls.h"
#include "app/firmware_update_window.h"
#include "app/map_block_commands.h"
#include "app/map_block_keys.h"
#include "app/map_keeper.h"
#include "app/map_menu.h"
#include "app/map_views.h"
#include "app/port_watch.h"
#include "app/replay.h"
#include "app/ui_gate.h"
#include "chart/scroll_chart.h"
#include "connection/connection_host.h"
#include "connection/connection_worker.h"
#include "connection/controller_model.h"
#include "connection/lpg_connection.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_emu1.h"
#include "map/map_key_filter.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"

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

    // fileChooser answers every file choice the window's features ask for; without one, the
    // system dialog over this window does.
    explicit CKorrinDlg(CLPGThreadManager& threads, IFileChooser* fileChooser = nullptr);
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
    // Readings older than this no longer say what the engine does.
    static constexpr std::chrono::milliseconds kReadingsStaleAfter{1000};
    // One point of each chart line at x.
    void plotReading(float x, double input, double output, double pump);
    // Members to controls (false) or controls to members (true). An open replay keeps the
    // status line; statusText goes on following the connection under it.
    void updateData(bool fromControls);
    // The controls enabled as the running operation and an open replay allow.
    void enableControls();

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
    // Running without a controller, the window watches the port table for one plugged in.
    bool watchingPorts() const { return portWatch_.watching(); }
    CLPGConnection& device() { return device_; }
    const CLPGConnection& device() const { return device_; }
    CControllerModel& model() { return model_; }
    const CControllerModel& model() const { return model_; }
    CMapKeeper& mapKeeper() { return mapKeeper_; }
    CMapViews& mapViews() { return mapViews_; }
    const CDialogControls& controls() const { return controls_; }
    CMapEmu1& mapGrid() { return mapGrid_; }
    CScrollChart<float>& chart() { return chart_; }
    CChartFiles& chartFiles() { return chartFiles_; }
    CChartScale& chartScale() { return chartScale_; }
    CCarsInWindow& cars() { return cars_; }
    CMapMenu& mapMenu() { return mapMenu_; }
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
    CCalibrationDrive& calibrationDrive() { return calibrationDrive_; }
    // The drive's proposal over what the controller holds, shown on the map and the summary.
    void showCalibrationProgress();
    // A proposal over map to the fitter: the cells to write, nothing when discarded.
    std::optional<MapCells> previewCalibration(const CalibrationProposal& proposal,
                                               const MapSnapshot& map);
    // "Kalibruj z pliku...": a recorded drive's proposal to the fitter.
    void calibrateFromFile();
    // Not during a drive, nor while the model waits for a write.
    bool canCalibrateFromFile() const { return !calibrating && !model_.busy(); }

private:
    // A search (at the start, or the port watch's) ended: what it found shows, and without a
    // controller (nor the demo, nor a reconnect to come) the port watch runs.
    void searchEnded(bool connected);
    void createMapGrid();
    void createChart();
    void feedChart();
    // Whether the newest sample is fresh; while it is not, the status line says that the link
    // is being checked.
    bool followFreshness(uint32_t newestSample);
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
    void calibrationStep(const std::vector<CDiag>& samples);
    void stopCalibration();
    // Another controller answers during a drive: it ends, its result kept for the first one.
    void endCalibrationForOther(const MapSnapshot& firstCar);
    // Button 1019 "Kasuj".
    void OnBnClickedBtnClrMapTime();
    QTimer& timer(int id);
    // After a successful reconnect: translated captions, device data, members to controls.
    void showReconnected();
    // An edit of the controller's state through the model (what did not go as asked is said
    // over the window, a failing port under operation); recorded for undo once acknowledged.
    // An empty statusText marks a quick command that holds nothing back.
    void submitEdit(const std::u16string& statusText, std::u16string_view operation,
                    CControllerModel::Change change, WriteKind kind);
    // What a connection or a write read from the controller, into the model and the backups.
    void loadController(const ControllerData& data);
    // A note for the status line; an empty one leaves the line as it is.
    void showNote(const std::u16string& text);
    // Runs the task on the user-interface thread: now when there, else queued.
    void onUiThread(std::function<void()> task);
    // The controls that would start another operation.
    void enableOperationControls(bool enable);
    bool operationControlsEnabled_ = true;
    // The number of the newest sample the refreshes took from the readings store.
    uint32_t lastDrained_ = 0;

    // First made, last gone: the map grid and the worker reach it until the end.
    CLPGConnection device_;
    CDialogControls controls_;
    // Sends through the worker, made below; it only keeps it until then.
    CControllerModel model_{jobs()};
    CMapEmu1 mapGrid_;
    CQtFileChooser systemFileDialog_{*this, translate(texts::kFileDialogOpen),
                                     translate(texts::kFileDialogSave)};
    IFileChooser& fileChooser_;

    QLineEdit* rpmDividerEdit_;
    QIcon icon_;
    CScrollChart<float> chart_;
    CChartFiles chartFiles_{chart_, device_, fileChooser_, kChartMaxSamples};
    CChartScale chartScale_{chart_};
    QFont gridFont_;
    QLineEdit* noiseDeltaEdit_;
    QLineEdit* noisePeriodEdit_;
    QTimer readingsTimer_;
    QTimer reconnectTimer_;
    CMapKeyFilter keyFilter_;
    CUiGate gate_;
    CQtFirmwareUpdateWindow firmwareWindow_{*this, gate_, fileChooser_};
    // What the status line says while a long operation runs; empty otherwise.
    std::u16string operationStatus_;
    std::u16string statusBeforeOperation_;
    CConnectionWorker worker_{device_, *this};
    // The newest sample and when it came: readings older than kReadingsStaleAfter show absent.
    uint32_t newestSample_ = 0;
    std::chrono::steady_clock::time_point newestSampleAt_;
    std::u16string statusBeforeCheck_;
    CMapKeeper mapKeeper_{model_, mapGrid_, *this, fileChooser_};
    CMapMenu mapMenu_{mapKeeper_, mapGrid_, *this};
    CCalibrationDrive calibrationDrive_;
    CMapBlockCommands blockCommands_{mapKeeper_, mapGrid_, *this,
                                     [this](const std::u16string& text) { showNote(text); }};
    CMapViews mapViews_{mapKeeper_, mapGrid_, *this,
                        [this](const std::u16string& text) { showNote(text); }};
    CMapBlockKeys blockKeys_{blockCommands_, mapViews_, mapGrid_, *this};
    CPortWatch portWatch_{worker_, [this] { searchEnded(true); }};
    CReplay replay_{*this, fileChooser_};
    CCarsInWindow cars_{{*this, model_, mapKeeper_,
                         [this](const MapSnapshot& version) { mapKeeper_.compareWith(version); },
                         [this](const std::string& path) { replay_.open(toU16(path)); },
                         [this] { applyDialogTexts(); }}};
};

} // namespace krv
