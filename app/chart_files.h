#pragma once
// The chart's context menu: its samples saved as a readings CSV (the columns of krv-cli log),
// its picture as a PNG, and every sample from now on recorded to a CSV file. The chart keeps
// only the plotted volts, so the readings behind each plotted point are kept here, in step
// with the chart: cleared by Start, one per point, no more than the chart holds.

#include "device/diag.h"
#include "device/diag_data.h"
#include "device/readings_recorder.h"

#include <QObject>
#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QPoint;
class QWidget;

namespace krv {

class CLPGDevice;
class IFileChooser;

class CChartFiles : public QObject {
    Q_OBJECT
public:
    // The chart widget gets the menu; the device gives the samples to record and the firmware
    // version for the header; files asks where to save.
    CChartFiles(QWidget& chart, CLPGDevice& device, IFileChooser& files, size_t maxPoints);
    ~CChartFiles() override;

    // Start: the chart was cleared.
    void clear();
    // One point of the chart, made from this sample.
    void add(const CDiag& sample);
    // Each readings tick: the recording (if any) takes the samples that arrived.
    void record(bool connected);

    // The menu as shown on a right click; its owner deletes it.
    QMenu* menu();
    void saveCsv();
    void saveImage();
    void startRecording();
    void stopRecording();
    // A moment the user points out while recording (the M key); nothing when not recording.
    void addMarker();
    bool recording() const { return recorder_ != nullptr; }
    // The running recording's file, with all it was given so far on disk.
    std::u16string flushedRecordingPath();
    // Told the file of each recording that ended.
    void setRecordingEnded(std::function<void(const std::u16string& path)> ended) {
        recordingEnded_ = std::move(ended);
    }
    // More entries at the menu's end, in the order added.
    void addMenuExtension(std::function<void(QMenu&)> extension) {
        menuExtensions_.push_back(std::move(extension));
    }

private:
    struct Point {
        double seconds;
        CDiag sample;
    };

    std::u16string askSavePath(std::u16string_view filter, std::u16string_view extension);
    void cannotWrite(const std::u16string& path);
    // A recording whose file failed ends, and says so.
    void stopIfUnwritable();

    QWidget& chart_;
    const CLPGDevice& device_;
    IFileChooser& files_;
    CDiagData& store_;
    const size_t maxPoints_;
    std::deque<Point> points_;
    std::chrono::system_clock::time_point startedAt_ = std::chrono::system_clock::now();
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::u16string recordingPath_;
    std::function<void(const std::u16string& path)> recordingEnded_;
    std::ofstream recordingFile_;
    std::unique_ptr<CReadingsRecorder> recorder_;
    std::vector<std::function<void(QMenu&)>> menuExtensions_;
};

} // namespace krv
