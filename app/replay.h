#pragma once
// A recorded drive replayed in the main window instead of the live readings: the chart shows
// the whole log under a time cursor, a slider scrubs it, Play runs it at 1x, 4x or 16x, Left and
// Right step one reading (Shift: ten), the readings fields and the map's operating point follow
// the cursor, the map shades how long the drive stayed in each cell with a fading trail of the
// last seconds, and the markers can be jumped to and added (M, or the button) at the cursor,
// kept in a file beside the log. A click on the slider jumps to that time. No port is opened
// for it; closing it gives the window back as it was. Also the chart menu's log entries and the
// M key that sets a marker while the chart records.

#include "device/lpg_device.h"
#include "readings_log/replay_track.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QMouseEvent;
class QMenu;
class QPushButton;
class QSlider;

namespace krv {

class CKorrinDlg;
class CReplayChartMarks;
class IFileChooser;

class CReplay : public QObject {
    Q_OBJECT
public:
    static constexpr int kPlayTickMs = 40;

    CReplay(CKorrinDlg& window, IFileChooser& files);
    ~CReplay() override;

    // krv --replay: the window opens this log instead of searching for the controller.
    void setStartFile(std::u16string path) { startFile_ = std::move(path); }
    const std::u16string& startFile() const { return startFile_; }

    // Replaces what the window shows with the log; a log that does not read is reported and
    // changes nothing.
    bool open(const std::u16string& path);
    void close();
    bool active() const { return track_.has_value(); }
    const CReplayTrack& track() const { return *track_; }
    // While open, the replay holds the live chart's Start and Stop and everything that would
    // act on the controller off (calibration, Clear, firmware update, the settings spins),
    // whatever else enables controls, and the status line says what is replayed.
    bool holdsOff(int controlId) const;
    const std::u16string& statusText() const { return status_; }

    // A marker at the cursor, written beside the log at once.
    void addMarker();
    void step(long readings);
    void moveTo(size_t index);
    void setPlaying(bool playing);
    bool playing() const { return playTimer_.isActive(); }

    // The chart menu's entries for logs.
    void addMenuEntries(QMenu& menu);
    void askOpen();
    // The grid may show other axes (a reconnect, a header edit, an undo): the readings find
    // their cells again, and the dwell shading and the trail follow.
    void followAxes();
    // The open log, else the chart's running recording, as MSL text.
    void saveMsl();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    std::array<QWidget*, 6> controls() const;
    void listMarkers();
    void jumpToClick(const QMouseEvent& click);
    void showControls(bool shown);
    void showCursor();
    void paintCells();
    void playTick();
    int chartColumn(double seconds) const;
    float chartX(double seconds) const;
    void plotLog();
    void placeReadings();

    CKorrinDlg& window_;
    IFileChooser& files_;
    std::u16string startFile_;
    std::u16string logPath_;
    std::optional<CReplayTrack> track_;
    std::vector<int> cellOfReading_;
    MapAxes placedOn_; // the axes cellOfReading_ was found on
    std::vector<double> dwell_;
    double longestDwell_ = 0;
    std::u16string status_;

    QSlider* slider_;
    QPushButton* playButton_;
    QComboBox* speed_;
    QComboBox* markers_;
    QPushButton* addMarkerButton_;
    QPushButton* closeButton_;
    CReplayChartMarks* marks_;
    QTimer playTimer_;
    QElapsedTimer played_;
};

} // namespace krv
