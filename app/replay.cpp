#include "app/replay.h"

#include "app/korrin_dlg.h"
#include "app/replay_chart_marks.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "map/map_key_filter.h"
#include "map/operating_trail.h"
#include "platform/atomic_file.h"
#include "platform/qt/open_file.h"
#include "platform/regular_file.h"
#include "platform/text.h"
#include "readings_log/log_markers.h"
#include "readings_log/msl_text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <array>

namespace krv {

namespace {

constexpr int kValueColouring = 1;
constexpr int kDwellShading = 0;
constexpr int kSpeeds[] = {1, 4, 16};
constexpr long kShiftStep = 10;
// A reading holds its cell for at most this long: a stalled recording is no stay.
constexpr double kMaxHoldSeconds = 1;
// Far more than a file of marker lines beside a log ever holds.
constexpr std::size_t kMarkersFileMaxBytes = 1024 * 1024;

QString qtext(std::u16string_view text) {
    return QString::fromStdU16String(translate(text));
}

// As the live dwell shading darkens a cell: blue goes first, then green.
QColor dwellColour(double share) {
    const int darkening = static_cast<int>(std::clamp(share, 0.0, 1.0) * 510);
    return QColor(255, 255 - std::max(darkening - 255, 0), 255 - std::min(darkening, 255));
}

} // namespace

CReplay::CReplay(CKorrinDlg& window, IFileChooser& files)
    : window_(window), files_(files), slider_(new QSlider(Qt::Horizontal, &window)),
      playButton_(new QPushButton(&window)), speed_(new QComboBox(&window)),
      markers_(new QComboBox(&window)), addMarkerButton_(new QPushButton(&window)),
      closeButton_(new QPushButton(&window)),
      marks_(new CReplayChartMarks(window.chart(),
                                   [this](double seconds) { return chartColumn(seconds); })) {
    // The chart paints no background under it.
    slider_->setAutoFillBackground(true);
    playTimer_.setInterval(kPlayTickMs);
    connect(&playTimer_, &QTimer::timeout, this, [this] { playTick(); });
    connect(slider_, &QSlider::valueChanged, this,
            [this](int value) { moveTo(static_cast<size_t>(value)); });
    connect(playButton_, &QPushButton::clicked, this, [this] { setPlaying(!playing()); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { close(); });
    connect(addMarkerButton_, &QPushButton::clicked, this, [this] { addMarker(); });
    connect(markers_, &QComboBox::activated, this, [this](int item) {
        if (active() && item > 0) {
            setPlaying(false);
            const LogMarker& marker = track_->log().markers[static_cast<size_t>(item - 1)];
            track_->moveToSeconds(marker.seconds);
            showCursor();
        }
    });
    for (const int speed : kSpeeds) {
        speed_->addItem(QString::number(speed) + QStringLiteral("×"), speed);
    }
    for (QWidget* control : controls()) {
        control->setFocusPolicy(Qt::NoFocus);
        control->hide();
    }
    window.chartFiles().addMenuExtension([this](QMenu& menu) { addMenuEntries(menu); });
    // The M key works whenever the chart records.
    qApp->installEventFilter(this);
}

CReplay::~CReplay() {
    qApp->removeEventFilter(this);
}

bool CReplay::open(const std::u16string& path) {
    ReadingsLogRead read = readReadingsLog(toUtf8(path));
    if (!read.ok()) {
        showMessage(&window_, toU16(read.error), std::u16string(kMessageCaption),
                    MB_OK | MB_ICONERROR);
        return false;
    }
    setPlaying(false);
    track_.emplace(std::move(*read.log));
    window_.chartPaused = 1;

    logPath_ = path;
    const RegularFileRead added =
        readRegularFile(markersFilePath(toUtf8(path)), kMarkersFileMaxBytes);
    if (added.fault == FileReadFault::none) {
        track_->addMarkers(parseMarkers(added.bytes));
    }
    placeReadings();
    window_.mapGrid().setColouring(kDwellShading);

    plotLog();
    listMarkers();
    slider_->blockSignals(true);
    slider_->setRange(0, static_cast<int>(track_->size() - 1));
    slider_->blockSignals(false);
    showControls(true);
    // First in line: the arrows step the replay rather than move the map's selection.
    qApp->installEventFilter(this);

    status_ = fillIn(translate(texts::kStatusReplay),
                     {QFileInfo(QString::fromStdU16String(path)).fileName().toStdU16String()});
    track_->moveTo(0);
    showCursor();
    return true;
}

void CReplay::listMarkers() {
    markers_->clear();
    markers_->addItem(qtext(texts::kReplayMarkers));
    for (const LogMarker& marker : track_->log().markers) {
        markers_->addItem(QString::fromStdU16String(
            fillIn(translate(texts::kCliMarkerWritten),
                   {formatText("%d", marker.number), formatText("%.1f", marker.seconds)})));
    }
    markers_->setEnabled(!track_->log().markers.empty());
    // The list drops down as wide as its longest entry, whatever the box's width.
    markers_->view()->setMinimumWidth(markers_->view()->sizeHintForColumn(0) +
                                      markers_->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void CReplay::addMarker() {
    if (!active()) {
        return;
    }
    setPlaying(false);
    const LogMarker added = track_->addMarkerAtCursor();
    std::vector<LogMarker> beside;
    const RegularFileRead held =
        readRegularFile(markersFilePath(toUtf8(logPath_)), kMarkersFileMaxBytes);
    if (held.fault == FileReadFault::none) {
        beside = parseMarkers(held.bytes);
    }
    beside.push_back(added);
    const std::u16string file = toU16(markersFilePath(toUtf8(logPath_)));
    if (!replaceFileAtomically(toUtf8(file), formatMarkers(beside))) {
        showMessage(&window_, fillIn(translate(texts::kCannotWriteFile), {file}),
                    std::u16string(kMessageCaption), MB_OK | MB_ICONERROR);
    }
    listMarkers();
    marks_->update();
}

void CReplay::close() {
    if (!active()) {
        return;
    }
    setPlaying(false);
    track_.reset();
    showControls(false);
    window_.mapGrid().setColouring(kValueColouring);
    window_.chart().clear();
    window_.chart().setMaxSamples(CKorrinDlg::kChartMaxSamples);
    window_.chartFiles().clear();
    window_.xCounter = 0;
    // With the fields emptied, the status line shows what the connection kept meanwhile.
    window_.showReadings(std::nullopt);
}

void CReplay::placeReadings() {
    CMapEmu1& grid = window_.mapGrid();
    placedOn_ = grid.shownState().axes();
    cellOfReading_.clear();
    cellOfReading_.reserve(track_->size());
    for (const LogReading& reading : track_->log().readings) {
        const CellPosition cell = grid.cellIndexOf(reading.rpm, reading.pump);
        cellOfReading_.push_back(cell.row * grid.columnCount() + cell.column);
    }
    dwell_ = dwellSeconds(track_->log(), cellOfReading_, grid.columnCount() * grid.rowCount(),
                          kMaxHoldSeconds);
    longestDwell_ = *std::max_element(dwell_.begin(), dwell_.end());
}

void CReplay::followAxes() {
    if (active() && window_.mapGrid().shownState().axes() != placedOn_) {
        placeReadings();
        showCursor();
    }
}

bool CReplay::holdsOff(int controlId) const {
    // What would act on the controller while the screen shows the past waits too.
    return active() &&
           (controlId == mainId::kChartStart || controlId == mainId::kChartStop ||
            controlId == mainId::kCalibration || controlId == mainId::kClearMap ||
            controlId == mainId::kFirmwareUpdate || controlId == mainId::kRpmDividerSpin ||
            controlId == mainId::kNoiseDeltaSpin || controlId == mainId::kNoisePeriodSpin);
}

void CReplay::plotLog() {
    CScrollChart<float>& chart = window_.chart();
    chart.clear();
    chart.setMaxSamples(0); // the whole log, however long
    for (const LogReading& reading : track_->log().readings) {
        window_.plotReading(chartX(reading.seconds), reading.input, reading.output, reading.pump);
    }
    // The whole log in one view.
    chart.scroll(ScrollRequest::ThumbTrack, 0);
    window_.chartScale().follow();
    chart.updatePlot();
}

float CReplay::chartX(double seconds) const {
    const double span = track_->lastSeconds() - track_->firstSeconds();
    const double view = window_.chart().model().viewSpan();
    return span > 0 ? static_cast<float>((seconds - track_->firstSeconds()) / span * view) : 0.0f;
}

int CReplay::chartColumn(double seconds) const {
    return active() ? window_.chart().toPixel(chartX(seconds), 0).x : 0;
}

void CReplay::showControls(bool shown) {
    if (shown) {
        createControls();
    }
    for (QWidget* control : controls()) {
        control->setVisible(shown);
        control->raise();
    }
    marks_->show(shown ? &*track_ : nullptr);
    window_.chart().scrollBar()->setVisible(!shown);
    window_.enableControls();
}

void CReplay::createControls() {
    const CScrollChart<float>& chart = window_.chart();
    const QRect client = chart.clientRect();
    // The slider takes the place of the chart's scroll bar: the chart shows the whole log.
    slider_->setGeometry(chart.x(), chart.y() + client.height(), chart.width(),
                         chart.height() - client.height());
    marks_->setGeometry(client);
    const QWidget* stop = window_.controls().control(mainId::kChartStop);
    const int gap = stop->geometry().top() -
                    window_.controls().control(mainId::kChartStart)->geometry().bottom();
    QRect place(stop->x(), stop->geometry().bottom() + 3 * gap, stop->width(), stop->height());
    for (QWidget* control : std::initializer_list<QWidget*>{playButton_, speed_, markers_,
                                                            addMarkerButton_, closeButton_}) {
        control->setGeometry(place);
        place.translate(0, stop->height() + gap);
    }
    closeButton_->setText(qtext(texts::kReplayClose));
    addMarkerButton_->setText(qtext(texts::kReplayAddMarker));
    addMarkerButton_->setToolTip(QString::fromStdU16String(fillIn(
        translate(texts::kReplayMarkersBeside), {toU16(markersFilePath(toUtf8(logPath_)))})));
    markers_->setToolTip(qtext(texts::kReplayMarkers));
    playButton_->setText(qtext(texts::kReplayPlay));
}

void CReplay::step(long readings) {
    if (active()) {
        setPlaying(false);
        track_->step(readings);
        showCursor();
    }
}

void CReplay::moveTo(size_t index) {
    if (active() && index != track_->cursor()) {
        track_->moveTo(index);
        showCursor();
    }
}

void CReplay::setPlaying(bool play) {
    if (play && active()) {
        if (track_->atEnd()) {
            track_->moveTo(0);
        }
        played_.start();
        playTimer_.start();
    } else {
        playTimer_.stop();
    }
    playButton_->setText(qtext(play && active() ? texts::kReplayPause : texts::kReplayPlay));
}

void CReplay::playTick() {
    const double elapsed = static_cast<double>(played_.restart()) / 1000;
    const bool more = track_->play(elapsed * speed_->currentData().toInt());
    showCursor();
    if (!more) {
        setPlaying(false);
    }
}

void CReplay::showCursor() {
    const LogReading& reading = track_->atCursor();
    window_.showReadings(CKorrinDlg::Readings{reading.rpm, reading.input, reading.output,
                                              reading.pump, reading.working});
    window_.mapGrid().setCurrentPoint(reading.rpm, reading.pump);
    paintCells();
    slider_->blockSignals(true);
    slider_->setValue(static_cast<int>(track_->cursor()));
    slider_->blockSignals(false);
    marks_->update();
}

void CReplay::paintCells() {
    CMapEmu1& grid = window_.mapGrid();
    const std::vector<CCell> before = grid.cellsNow();
    const int columns = grid.columnCount();
    std::vector<QColor> colours(dwell_.size());
    for (size_t i = 0; i < dwell_.size(); ++i) {
        colours[i] = dwellColour(longestDwell_ > 0 ? dwell_[i] / longestDwell_ : 0);
    }
    const double now = track_->atCursor().seconds;
    std::vector<TrailPoint> trail;
    for (size_t i = track_->trailStart(kTrailSeconds); i < track_->cursor(); ++i) {
        trail.push_back(
            {static_cast<size_t>(cellOfReading_[i]), now - track_->log().readings[i].seconds});
    }
    paintTrail(colours, trail);
    for (size_t i = 0; i < colours.size(); ++i) {
        grid.cell(static_cast<int>(i) % columns, static_cast<int>(i) / columns)
            .setBkColor(colours[i]);
    }
    grid.updateChangedCells(before);
}

void CReplay::addMenuEntries(QMenu& menu) {
    menu.addSeparator();
    // A replay takes the readings' place: the running drive would learn nothing meanwhile and
    // its Stop would be held.
    menu.addAction(qtext(texts::kOpenReplay), this, &CReplay::askOpen)
        ->setEnabled(!window_.calibrating);
    QAction* msl = menu.addAction(qtext(texts::kSaveAsMsl), this, &CReplay::saveMsl);
    msl->setEnabled(active() || window_.chartFiles().recording());
    if (active()) {
        menu.addAction(qtext(texts::kReplayClose), this, &CReplay::close);
    }
}

void CReplay::askOpen() {
    const std::u16string path = files_.choose(
        COpenFile(QDir::homePath().toStdU16String(), translate(texts::kCsvFileFilter), u"csv", 0));
    if (!path.empty()) {
        open(path);
    }
}

void CReplay::saveMsl() {
    std::optional<ReadingsLog> log;
    if (active()) {
        log = track_->log();
    } else if (window_.chartFiles().recording()) {
        ReadingsLogRead read = readReadingsLog(toUtf8(window_.chartFiles().flushedRecordingPath()));
        if (!read.ok()) {
            showMessage(&window_, toU16(read.error), std::u16string(kMessageCaption),
                        MB_OK | MB_ICONERROR);
            return;
        }
        log = std::move(read.log);
    }
    if (!log) {
        return;
    }
    const std::u16string path = files_.choose(
        COpenFile(QDir::homePath().toStdU16String(), translate(texts::kMslFileFilter), u"msl", 1));
    if (!path.empty() && !replaceFileAtomically(toUtf8(path), formatMsl(*log))) {
        showMessage(&window_, fillIn(translate(texts::kCannotWriteFile), {path}),
                    std::u16string(kMessageCaption), MB_OK | MB_ICONERROR);
    }
}

bool CReplay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == slider_ && event->type() == QEvent::MouseButtonPress) {
        jumpToClick(*static_cast<QMouseEvent*>(event));
        return false; // the slider goes on: a press on the handle now under it drags it
    }
    const QKeyEvent* key = keyPressIn(&window_, watched, event);
    if (key == nullptr) {
        return false;
    }
    const bool shift = key->modifiers().testFlag(Qt::ShiftModifier);
    const bool plain = (key->modifiers() & ~Qt::ShiftModifier & ~Qt::KeypadModifier) == 0;
    if (key->key() == Qt::Key_M && plain && !shift && window_.chartFiles().recording()) {
        window_.chartFiles().addMarker();
        return true;
    }
    if (key->key() == Qt::Key_M && plain && !shift && active()) {
        addMarker();
        return true;
    }
    if (active() && plain && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
        const long size = shift ? kShiftStep : 1;
        step(key->key() == Qt::Key_Left ? -size : size);
        return true;
    }
    return false;
}

void CReplay::jumpToClick(const QMouseEvent& click) {
    if (!active() || click.button() != Qt::LeftButton) {
        return;
    }
    QStyleOptionSlider option;
    option.initFrom(slider_);
    option.orientation = slider_->orientation();
    option.minimum = slider_->minimum();
    option.maximum = slider_->maximum();
    option.sliderPosition = slider_->sliderPosition();
    const QRect handle = slider_->style()->subControlRect(QStyle::CC_Slider, &option,
                                                          QStyle::SC_SliderHandle, slider_);
    if (handle.contains(click.position().toPoint())) {
        return; // a drag of the handle
    }
    const int span = slider_->width() - handle.width();
    const int at = click.position().toPoint().x() - handle.width() / 2;
    moveTo(static_cast<size_t>(QStyle::sliderValueFromPosition(
        slider_->minimum(), slider_->maximum(), at, span, slider_->invertedAppearance())));
}

std::array<QWidget*, 6> CReplay::controls() const {
    return {slider_, playButton_, speed_, markers_, addMarkerButton_, closeButton_};
}

} // namespace krv
