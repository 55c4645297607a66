#pragma once
// The correction map of the emulator controller: the grid over the model of what the
// controller holds.

#include "connection/controller_model.h"
#include "device/map_file/map_snapshot.h"
#include "map/map_array.h"

#include <functional>
#include <optional>
#include <string_view>

namespace krv {

class CMapEmu1 : public CMapArray {
    Q_OBJECT
public:
    // The grid shows the model's state and sends its edits through it.
    explicit CMapEmu1(CControllerModel& model, QWidget* parent = nullptr);

    // Gives the grid its in-cell editor and builds it: the corner "V\RPM" and the headers
    // from the model's axes as they stand now, drawn in the given font.
    void create(const QFont& font);
    // Every value cell and both header lines from the model as it shows them: acknowledged,
    // and the cells of edits not yet acknowledged in italics.
    void fillFromModel();

    CControllerModel& model() const { return model_; }
    // The commands that write (Ctrl+arrows, header edits) send nothing while an operation runs
    // (the window holds them) or the link is down; selecting, scrolling and copying go on.
    void holdWrites(bool held) { writesHeld_ = held; }
    bool writesHeld() const { return writesHeld_ || (model_.everLoaded() && !model_.loaded()); }
    // The axes the grid shows (the model's, with header edits still in flight).
    const MapSnapshot& shownState() const { return shown_; }

    // Sends an edit of the controller's state through the model (a failing port is reported
    // under operation, as the window reports what the model tells). written then runs on the
    // window's thread with the state from before, after the model moved.
    void submitEdit(std::u16string_view operation, CControllerModel::Change change, WriteKind kind,
                    std::function<void(bool written, const MapSnapshot& before)> written,
                    const MapRegion& region = {});

    // Told of every change the grid's commands made to the controller, with the controller's
    // state from before it, so that the change can be undone.
    void setChangeRecorder(std::function<void(const MapSnapshot& before)> recorder);
    void recordChange(const MapSnapshot& before);

    // Compare view against a map file's snapshot (nothing ends it). The marks follow the
    // model's map at every fillFromModel.
    void compareWith(std::optional<MapSnapshot> file);
    bool isComparing() const { return comparedFile_.has_value(); }

    // Column: the first break point the speed is strictly below, else the last column;
    // row likewise over the voltage break points.
    CellPosition cellIndexOf(double rpm, double volts) const override;
    QString formatValue(double value) const override;
    // While connected, raises or lowers on the controller the run of cells from the top-left
    // selected one and stores the map; the model shows the cells stepped, as the controller
    // steps them, pending until it acknowledged. Without a connection the selected cells
    // are stepped on screen alone, within 0..5 V; nothing while writes are held.
    void incrementSelected(double step) override;

private:
    // The rectangle the controller changes: the selected runs right of and below topLeft.
    MapRegion regionOf(CellPosition topLeft, double step) const;
    void stepSelectedOnScreen(double step);
    void refreshComparison();

    CControllerModel& model_;
    MapSnapshot shown_;
    std::function<void(const MapSnapshot&)> changeRecorder_;
    std::optional<MapSnapshot> comparedFile_;
    bool writesHeld_ = false;
};

// The controller's own arithmetic on a region: its cells moved by the step within 0..255;
// every other cell stays exactly as it was.
MapCells adjustedCells(const MapCells& cells, const MapRegion& region);

} // namespace krv
