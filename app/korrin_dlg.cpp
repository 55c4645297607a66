#include "app/korrin_dlg.h"

#include "app/app_icon.h"
#include "app/dialog_font.h"
#include "app/no_connection_dlg.h"
#include "app/spin_button.h"
#include "device/units.h"
#include "firmware/update/firmware_update.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/text.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QThread>
#include <vector>

namespace krv {

namespace {

constexpr std::u16string_view kInitOperation = u"CKorrinDlg::OnInitDialog()";

const ChartLine& kInputSeries = kChartLines[0];
const ChartLine& kOutputSeries = kChartLines[1];
const ChartLine& kPumpPwmSeries = kChartLines[2];

// Texts that applyDialogTexts sets, in its order.
struct CaptionEntry {
    int id;
    std::u16string_view text;
};
constexpr CaptionEntry kCaptions[] = {
    {mainId::kClose, texts::kClose},
    {mainId::kChartStart, texts::kStart},
    {mainId::kChartStop, texts::kStop},
    {mainId::kReadingsGroup, texts::kReadings},
    {mainId::kWorkingStateLabel, texts::kWorkingState},
    {mainId::kInputLabel, texts::kInput},
    {mainId::kOutputLabel, texts::kOutput},
    {mainId::kFirmwareUpdate, texts::kFirmwareUpdate},
    {mainId::kPumpPwmLabel, texts::kPumpPwm},
    {mainId::kRpmLabel, texts::kRpm},
    {mainId::kRpmDividerLabel, texts::kRpmDivider},
    {mainId::kDeltaLabel, texts::kDelta},
    {mainId::kFrequencyLabel, texts::kFrequency},
    {mainId::kClearMap, texts::kClear},
    {mainId::kCalibration, texts::kCalibration},
};

QWidget* withDialogFont(QDialog* dialog) {
    dialog->setFont(dialogFont(kMainDialogTemplate.fontPointSize));
    return dialog;
}

std::u16string voltsLabel(double y) {
    return formatText("%.2f", y * 15 / 100);
}

} // namespace

CKorrinDlg::CKorrinDlg(CLPGThreadManager& threads, IFileChooser* fileChooser)
    : QDialog(nullptr), device_(threads), controls_(withDialogFont(this), kMainDialogTemplate),
      mapGrid_(model_), fileChooser_(fileChooser ? *fileChooser : systemFileDialog_),
      rpmDividerEdit_(controls_.edit(mainId::kRpmDivider)), icon_(applicationIcon()),
      noiseDeltaEdit_(controls_.edit(mainId::kNoiseDelta)),
      noisePeriodEdit_(controls_.edit(mainId::kNoisePeriod)), keyFilter_(mapGrid_, *this) {
    setFixedSize(controls_.clientSize());
    setWindowTitle(QString::fromStdU16String(std::u16string(kMainDialogTemplate.caption)));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QObject::connect(&readingsTimer_, &QTimer::timeout, this, [this] { OnTimer(kReadingsTimer); });
    QObject::connect(&reconnectTimer_, &QTimer::timeout, this,
                     [this] { OnTimer(kReconnectTimer); });
    QObject::connect(controls_.button(mainId::kClose), &QAbstractButton::clicked, this,
                     &QDialog::reject);
    QObject::connect(controls_.button(mainId::kChartStart), &QAbstractButton::clicked, this,
                     [this] { OnBnClickedStart(); });
    QObject::connect(controls_.button(mainId::kChartStop), &QAbstractButton::clicked, this,
                     [this] { OnBnClickedStop(); });
    QObject::connect(controls_.spin(mainId::kRpmDividerSpin), &CSpinButton::stepped, this,
                     [this](int step) { OnDeltaposSpinRpmDiv(step); });
    QObject::connect(controls_.spin(mainId::kNoiseDeltaSpin), &CSpinButton::stepped, this,
                     [this](int step) { OnDeltaposSpinNoiseDelta(step); });
    QObject::connect(controls_.spin(mainId::kNoisePeriodSpin), &CSpinButton::stepped, this,
                     [this](int step) { OnDeltaposSpinNoisePeriod(step); });
    QObject::connect(controls_.button(mainId::kCalibration), &QAbstractButton::clicked, this,
                     [this] { OnBnClickedBtnCalibration(); });
    mapMenu_.setCalibrateFromFile([this] { calibrateFromFile(); },
                                  [this] { return canCalibrateFromFile(); });
    QObject::connect(controls_.button(mainId::kClearMap), &QAbstractButton::clicked, this,
                     [this] { OnBnClickedBtnClrMapTime(); });
    QObject::connect(controls_.button(mainId::kFirmwareUpdate), &QAbstractButton::clicked, this,
                     [this] {
                         if (device_.connected && mapKeeper_.backUpBeforeUpdate()) {
                             model_.expectNewFirmware();
                             // The file dialog must not wait for a sample's read time-out.
                             worker_.cutSampleShort();
                             worker_.run(translate(texts::kStatusUpdating),
                                         [this](CLPGConnection& device) {
                                             OnClickedBtnDeviceUpdate(device, *this, this);
                                             return true;
                                         },
                                         {});
                         }
                     });
    model_.setChangedListener([this] {
        enableControls(); // the spins follow whether a controller is loaded
        cars_.modelChanged();
        showDeviceData();
        mapViews_.modelChanged();
        replay_.followAxes();
    });
    model_.setReportListener([this](const std::u16string& text, bool portError) {
        showMessage(this, text, std::u16string(kMessageCaption), portError ? MB_OK : MB_ICONERROR);
    });
    // Another controller met by a write is taken in as a connection's read is.
    model_.setOtherControllerListener(
        [this](const ControllerData& found) { loadController(found); });
    mapMenu_.setMoreEntries([this](QMenu& menu) { blockKeys_.addTo(menu); });
    chartFiles_.addMenuExtension([this](QMenu& menu) { chartScale_.addMenuEntries(menu); });
    mapMenu_.setLastEntries([this](QMenu& menu) {
        QAction* cars = menu.addAction(QString::fromStdU16String(translate(texts::kCarsMenu)));
        QObject::connect(cars, &QAction::triggered, this, [this] { cars_.openDialog(); });
    });
    mapKeeper_.setWriteGuard([this] { return cars_.mayWrite(); });
    chartFiles_.setRecordingEnded(
        [this](const std::u16string& path) { cars_.logRecorded(toUtf8(path)); });
    qApp->installEventFilter(&keyFilter_);
}

CKorrinDlg::~CKorrinDlg() {
    qApp->removeEventFilter(&keyFilter_);
    // Nothing waits for this window any more: a worker asking it something gets its fallback.
    gate_.close();
    portWatch_.stop();
    // The worker (and the polling it runs) may still arm a timer on this window: it goes before
    // the window does, woken from any read it waits in.
    worker_.stop();
    device_.host = nullptr;
}

int CKorrinDlg::DoModal() {
    OnInitDialog();
    return exec();
}

bool CKorrinDlg::OnInitDialog() {
    gridFont_ = font();
    setFont(gridFont_);
    createMapGrid();
    updateData(false);
    setWindowIcon(icon_);
    createChart();
    applyDialogTexts();
    enableControls();
    if (!replay_.startFile().empty()) {
        // A replay alone: no port is opened. One that does not open has said why, and the
        // window then starts as it would without it.
        statusText = translate(texts::kStatusNoCommunication);
        updateData(false);
        if (replay_.open(replay_.startFile())) {
            return true;
        }
    }
    worker_.run(
        translate(texts::kStatusSearching),
        [this](CLPGConnection& device) {
            reportingErrors(this, kInitOperation, [&] { device.connect(*this); });
            return device.connected.load();
        },
        [this](bool connected) { searchEnded(connected); });
    return true;
}

void CKorrinDlg::searchEnded(bool connected) {
    applyDialogTexts();
    if (connected) {
        // The model has what the search read: dataLoaded came first.
        statusText = translate(device_.demoMode ? texts::kStatusDemo : texts::kStatusConnected);
        device_.startPolling();
    } else {
        statusText = translate(texts::kStatusNoCommunication);
        if (!reconnectTimer_.isActive()) {
            portWatch_.start();
        }
    }
    updateData(false);
}

void CKorrinDlg::createMapGrid() {
    mapGrid_.setParent(this);
    mapGrid_.setGeometry(controls_.removePlaceholder(mainId::kMap));
    mapGrid_.create(gridFont_);
    mapGrid_.show();
}

void CKorrinDlg::createChart() {
    chart_.create(controls_.removePlaceholder(mainId::kChart), this, mainId::kChart);
    chart_.showGrid(true);
    chart_.setMaxSamples(kChartMaxSamples);
    for (const ChartLine& line : kChartLines) {
        chart_.addSeries(line.id, voltsLabel, line.colour, 0, line.penWidth, 1);
    }
    chartScale_.follow();
}

void CKorrinDlg::applyDialogTexts() {
    std::u16string title = translate(texts::kWindowTitle) + std::u16string(kTitleSuffix);
    if (device_.demoMode) {
        title += u" \u2014 " + translate(texts::kDemoTitleMark);
    }
    title += cars_.titleSuffix();
    setWindowTitle(QString::fromStdU16String(title));
    for (const CaptionEntry& entry : kCaptions) {
        controls_.setText(entry.id, translate(entry.text));
    }
}

void CKorrinDlg::showDeviceData() {
    const DeviceSettings settings = model_.shown().settings();
    rpmDividerEdit_->setText(
        QString::fromStdU16String(formatText("%u", unsigned{settings.rpmDivider})));
    noiseDeltaEdit_->setText(
        QString::fromStdU16String(formatText("%u", unsigned{settings.noiseDelta})));
    noisePeriodEdit_->setText(
        QString::fromStdU16String(formatText("%u", unsigned{settings.noisePeriod})));
    mapGrid_.fillFromModel();
    if (calibrating) {
        // The drive shows what it learned over what the controller holds.
        showCalibrationProgress();
    }
}

void CKorrinDlg::updateData(bool fromControls) {
    struct Binding {
        int id;
        std::u16string& member;
    };
    std::u16string replayStatus = replay_.statusText();
    const Binding bindings[] = {
        {mainId::kInput, inputText},
        {mainId::kOutput, outputText},
        {mainId::kPumpPwm, pumpPwmText},
        {mainId::kRpm, speedText},
        {mainId::kStatus, replay_.active() && !fromControls ? replayStatus : statusText},
        {mainId::kWorkingState, workingStateText},
    };
    for (const Binding& binding : bindings) {
        if (fromControls) {
            binding.member = controls_.text(binding.id);
        } else if (controls_.text(binding.id) != binding.member) {
            controls_.setText(binding.id, binding.member);
        }
    }
}

void CKorrinDlg::updateReadings() {
    chartFiles_.record(device_.connected);
    if (replay_.active()) {
        return; // the fields and the map show the replay's cursor
    }
    updateData(true);
    if (!device_.connected) {
        // A reconnect attempt under way says so rather than that the link is down.
        statusText =
            operationStatus_.empty() ? translate(texts::kStatusNoConnection) : operationStatus_;
        showReadings(std::nullopt); // the last readings are no longer the engine's
        enableControls();
        return;
    }
    if (device_.diagData.sampleCount() == 0) {
        return;
    }
    CDiag sample;
    device_.diagData.lastSample(sample);
    if (sample.sampleNumber == 0) {
        return; // the store was emptied between the count and the copy
    }
    if (!followFreshness(sample.sampleNumber)) {
        showReadings(std::nullopt);
        return;
    }
    showReadings(Readings{static_cast<int>(engineSpeedRpm(sample)), inputVolts(sample),
                          outputVolts(sample), pumpPwmVolts(sample), isWorking(sample)});
    mapGrid_.setCurrentPoint(engineSpeedRpm(sample), pumpPwmVolts(sample));
    if (chartPaused == 0) {
        feedChart();
    }
    // The drive files every reading that came since the last refresh, each once, at this
    // refresh's time, as the recorder writes them to its log.
    const std::vector<CDiag> batch = device_.diagData.samplesAfter(lastDrained_);
    if (!batch.empty()) {
        lastDrained_ = batch.back().sampleNumber;
    }
    if (calibrating) {
        calibrationStep(batch);
    }
}

bool CKorrinDlg::followFreshness(uint32_t newestSample) {
    const auto now = std::chrono::steady_clock::now();
    if (newestSample != newestSample_) {
        newestSample_ = newestSample;
        newestSampleAt_ = now;
    }
    const bool fresh = now - newestSampleAt_ <= kReadingsStaleAfter;
    const std::u16string checking = translate(texts::kStatusCheckingLink);
    if (!fresh && operationStatus_.empty() && statusText != checking) {
        statusBeforeCheck_ = statusText;
        statusText = checking;
    } else if (fresh && statusText == checking) {
        statusText = statusBeforeCheck_;
    }
    return fresh;
}

void CKorrinDlg::showReadings(const std::optional<Readings>& readings) {
    if (readings) {
        inputText = formatText("%.2f", readings->input);
        outputText = formatText("%.2f", readings->output);
        pumpPwmText = formatText("%.2f", readings->pump);
        speedText = formatText("%d", readings->rpm);
        workingStateText = translate(readings->working ? texts::kWorkingOn : texts::kWorkingOff);
    } else {
        for (std::u16string* field :
             {&inputText, &outputText, &pumpPwmText, &speedText, &workingStateText}) {
            field->clear();
        }
    }
    updateData(false);
}

void CKorrinDlg::plotReading(float x, double input, double output, double pump) {
    chart_.addSample(kInputSeries.id, x, chartValueOfVolts(input), false);
    chart_.addSample(kOutputSeries.id, x, chartValueOfVolts(output), false);
    chart_.addSample(kPumpPwmSeries.id, x, chartValueOfVolts(pump), false);
}

void CKorrinDlg::feedChart() {
    // The second-newest sample alone: the chart lags the fields by one sample.
    const int held = device_.diagData.sampleCount();
    if (held < 2) {
        return;
    }
    std::vector<CDiag> samples;
    device_.diagData.copySamples(samples, held - 2, held - 1);
    for (const CDiag& sample : samples) {
        plotReading(static_cast<float>(xCounter), inputVolts(sample), outputVolts(sample),
                    pumpPwmVolts(sample));
        chartFiles_.add(sample);
        ++xCounter;
    }
    chartScale_.follow();
    chart_.updatePlot();
}

void CKorrinDlg::OnTimer(int id) {
    try {
        if (id == kReadingsTimer) {
            updateReadings();
        } else if (id == kReconnectTimer) {
            // Stopped here, not only by the attempt: it must not fire again while one runs.
            reconnectTimer_.stop();
            worker_.run(translate(texts::kStatusConnecting),
                        [](CLPGConnection& device) {
                            device.reconnect();
                            return device.connected.load();
                        },
                        {});
        }
    } catch (IError* error) {
        delete error; // the next tick tries again
    }
}

void CKorrinDlg::OnBnClickedStart() {
    chart_.clear();
    chartFiles_.clear();
    xCounter = 0;
    chartPaused = 0;
}

void CKorrinDlg::OnBnClickedStop() {
    chartPaused = 1;
}

bool CKorrinDlg::chooseDemoMode() {
    return gate_.call<bool>(
        [lines = device_.searchReport.lines()] {
            CNoConnectionDlg dialog(nullptr, lines);
            return dialog.DoModal() == CNoConnectionDlg::kResultDemo;
        },
        false);
}

void CKorrinDlg::onUiThread(std::function<void()> task) {
    if (gate_.onUiThread()) {
        task();
    } else {
        gate_.post(std::move(task));
    }
}

void CKorrinDlg::dataLoaded(const ControllerData& data) {
    onUiThread([this, data] { loadController(data); });
}

void CKorrinDlg::loadController(const ControllerData& data) {
    const MapSnapshot previous = model_.acknowledged();
    if (!device_.demoMode) {
        cars_.arrived(data);
    }
    const CControllerModel::Arrival arrival = model_.load(data);
    mapKeeper_.onConnected(arrival, previous, device_.demoMode);
    if (calibrating && arrival == CControllerModel::Arrival::Other) {
        endCalibrationForOther(previous);
    }
}

void CKorrinDlg::readingsStarted() {
    onUiThread([this] { readingsTimer_.start(kReadingsTimerMs); });
}

void CKorrinDlg::readingsStopped() {
    onUiThread([this] { readingsTimer_.stop(); });
}

void CKorrinDlg::linkLost(std::chrono::milliseconds reconnectAfter) {
    onUiThread([this, reconnectAfter] {
        model_.linkLost();
        reconnectTimer_.start(static_cast<int>(reconnectAfter.count()));
    });
}

bool CKorrinDlg::timerActive(int id) const {
    return (id == kReconnectTimer ? reconnectTimer_ : readingsTimer_).isActive();
}

bool CKorrinDlg::updateFirmware(bool forced) {
    // The progress display goes however the update ends, an error object included.
    struct ProgressEnd {
        CKorrinDlg& window;
        ~ProgressEnd() {
            window.onUiThread([&progress = window.firmwareWindow_] { progress.finish(); });
        }
    } progressEnd{*this};
    // The backup of the map was taken on the window's thread before the update began.
    // The update's pauses end early when the window closes, as its reads do.
    const bool programmed =
        krv::updateFirmware(device_, firmwareWindow_, forced,
                            [this](std::chrono::milliseconds pause) { device_.port.pause(pause); });
    // After the reconnect's dataLoaded, which was queued before.
    onUiThread([this, programmed, file = firmwareWindow_.chosenFile()] {
        mapKeeper_.onUpdateEnded(programmed);
        cars_.firmwareUpdated(toUtf8(file), programmed);
    });
    return programmed;
}

void CKorrinDlg::reject() {
    if (firmwareWindow_.progress().programming() &&
        showProgramMessage(this, texts::kCloseWhileProgramming,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    if (mapKeeper_.calibrationResultWaiting() &&
        showProgramMessage(this, texts::kCloseWithLearnedWaiting,
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    QDialog::reject();
}

void CKorrinDlg::setStatusText(const std::u16string& text) {
    onUiThread([this, text] { statusText = text; });
}

void CKorrinDlg::showNote(const std::u16string& text) {
    if (!text.empty()) {
        statusText = text;
        updateData(false);
    }
}

void CKorrinDlg::reconnected() {
    onUiThread([this] { showReconnected(); });
}

void CKorrinDlg::submitEdit(const std::u16string& statusText, std::u16string_view operation,
                            CControllerModel::Change change, WriteKind kind) {
    if (!mapKeeper_.mayWrite()) {
        return;
    }
    model_.submit({statusText,
                   std::move(change),
                   kind,
                   {},
                   std::u16string(operation),
                   [this](const WriteOutcome& outcome, const MapSnapshot& before) {
                       if (outcome.written()) {
                           mapKeeper_.recordChange(before);
                       }
                   }});
}

void CKorrinDlg::post(std::function<void()> task) {
    gate_.post(std::move(task));
}

void CKorrinDlg::operationStarted(const std::u16string& text) {
    if (text.empty()) {
        return; // a quick command: the controls stay as they are
    }
    if (operationStatus_.empty()) {
        statusBeforeOperation_ = statusText;
    }
    operationStatus_ = text;
    statusText = text;
    updateData(false);
    enableOperationControls(false);
}

void CKorrinDlg::operationEnded() {
    if (operationRunning()) {
        return;
    }
    // Nothing else said what came of it (a reconnect does): the status from before comes back.
    if (!operationStatus_.empty() && statusText == operationStatus_) {
        statusText = statusBeforeOperation_;
        updateData(false);
    }
    operationStatus_.clear();
    enableOperationControls(true);
}

void CKorrinDlg::enableOperationControls(bool enable) {
    operationControlsEnabled_ = enable;
    enableControls();
}

void CKorrinDlg::enableControls() {
    for (int id : {mainId::kChartStart, mainId::kChartStop}) {
        controls_.control(id)->setEnabled(!replay_.holdsOff(id));
    }
    for (int id : {mainId::kFirmwareUpdate, mainId::kClearMap, mainId::kCalibration}) {
        controls_.control(id)->setEnabled(operationControlsEnabled_ && !replay_.holdsOff(id));
    }
    // A step needs a controller to take it: one shown on the field alone would be lost.
    const bool settingsWritable = model_.loaded() && device_.connected;
    for (int id : {mainId::kRpmDividerSpin, mainId::kNoiseDeltaSpin, mainId::kNoisePeriodSpin}) {
        controls_.control(id)->setEnabled(operationControlsEnabled_ && settingsWritable &&
                                          !replay_.holdsOff(id));
    }
    // The grid stays readable: only what it would write waits.
    mapGrid_.holdWrites(!operationControlsEnabled_);
}

void CKorrinDlg::showReconnected() {
    applyDialogTexts();
    if (calibrating) {
        // The drive goes on through the lost link, so its button still offers the stop.
        controls_.setText(mainId::kCalibration, translate(texts::kStop));
    }
    showDeviceData();
    updateData(false);
    mapKeeper_.onReconnected();
}

} // namespace krv
