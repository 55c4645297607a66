#include "app/chart_files.h"

#include "device/lpg_device.h"
#include "device/readings_csv.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/atomic_file.h"
#include "platform/qt/open_file.h"
#include "platform/text.h"

#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

namespace krv {

namespace {

QString qtext(std::u16string_view text) {
    return QString::fromStdU16String(translate(text));
}

} // namespace

CChartFiles::CChartFiles(QWidget& chart, CLPGDevice& device, IFileChooser& files, size_t maxPoints)
    : chart_(chart), device_(device), files_(files), store_(device.diagData),
      maxPoints_(maxPoints) {
    chart_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&chart_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* shown = menu();
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->popup(chart_.mapToGlobal(at));
    });
}

CChartFiles::~CChartFiles() = default;

void CChartFiles::clear() {
    points_.clear();
    startedAt_ = std::chrono::system_clock::now();
    started_ = std::chrono::steady_clock::now();
}

void CChartFiles::add(const CDiag& sample) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    points_.push_back({seconds, sample});
    // The chart drops its oldest point past its cap; so do we.
    while (points_.size() > maxPoints_) {
        points_.pop_front();
    }
}

void CChartFiles::record(bool connected) {
    if (recorder_) {
        recorder_->update(connected);
        stopIfUnwritable();
    }
}

void CChartFiles::addMarker() {
    if (recorder_) {
        recorder_->addMarker();
        stopIfUnwritable();
    }
}

std::u16string CChartFiles::flushedRecordingPath() {
    recordingFile_.flush();
    return recordingPath_;
}

void CChartFiles::stopIfUnwritable() {
    if (!recordingFile_) {
        const std::u16string path = recordingPath_;
        stopRecording();
        cannotWrite(path);
    }
}

QMenu* CChartFiles::menu() {
    auto* menu = new QMenu(&chart_);
    menu->addAction(qtext(texts::kChartSaveCsv), this, &CChartFiles::saveCsv);
    menu->addAction(qtext(texts::kChartSaveImage), this, &CChartFiles::saveImage);
    if (recording()) {
        menu->addAction(qtext(texts::kChartStopRecording), this, &CChartFiles::stopRecording);
    } else {
        menu->addAction(qtext(texts::kChartRecord), this, &CChartFiles::startRecording);
    }
    for (const auto& extension : menuExtensions_) {
        extension(*menu);
    }
    return menu;
}

std::u16string CChartFiles::askSavePath(std::u16string_view filter, std::u16string_view extension) {
    return files_.choose(COpenFile(QDir::homePath().toStdU16String(), translate(filter),
                                   std::u16string(extension), 1));
}

void CChartFiles::cannotWrite(const std::u16string& path) {
    showMessage(&chart_, fillIn(translate(texts::kCannotWriteFile), {path}),
                std::u16string(kMessageCaption), MB_OK | MB_ICONERROR);
}

void CChartFiles::saveCsv() {
    const std::u16string path = askSavePath(texts::kCsvFileFilter, u"csv");
    if (path.empty()) {
        return;
    }
    std::string text = readings_csv::header(startedAt_, device_.firmwareVersion);
    uint64_t number = 0;
    for (const Point& point : points_) {
        text += readings_csv::row(point.seconds, ++number, point.sample);
    }
    if (!replaceFileAtomically(toUtf8(path), text)) {
        cannotWrite(path);
    }
}

void CChartFiles::saveImage() {
    const std::u16string path = askSavePath(texts::kPngFileFilter, u"png");
    if (!path.empty() && !chart_.grab().save(QString::fromStdU16String(path), "PNG")) {
        cannotWrite(path);
    }
}

void CChartFiles::startRecording() {
    const std::u16string path = askSavePath(texts::kCsvFileFilter, u"csv");
    if (path.empty()) {
        return;
    }
    recordingFile_.open(toUtf8(path), std::ios::out | std::ios::trunc);
    if (!recordingFile_) {
        recordingFile_.clear();
        cannotWrite(path);
        return;
    }
    recordingPath_ = path;
    recorder_ =
        std::make_unique<CReadingsRecorder>(recordingFile_, store_, device_.firmwareVersion);
}

void CChartFiles::stopRecording() {
    const bool ended = recorder_ != nullptr;
    recorder_.reset();
    recordingFile_.close();
    recordingFile_.clear();
    if (ended && recordingEnded_) {
        recordingEnded_(recordingPath_);
    }
    recordingPath_.clear();
}

} // namespace krv
