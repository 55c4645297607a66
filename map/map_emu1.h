#pragma once
// The correction map of the emulator controller: the grid over the device's map and axes.

#include "device/lpg_device.h"
#include "device/map_file/map_snapshot.h"
#include "map/map_array.h"

#include <functional>
#include <optional>
#include <string_view>

namespace krv {

class CMapEmu1 : public CMapArray {
    Q_OBJECT
public:
    explicit CMapEmu1(CLPGDevice& device, QWidget* parent = nullptr);

    // Gives the grid its in-cell editor and builds it: the corner "V\RPM" and the headers
    // from the device's axes as they stand now, drawn in the given font.
    void create(const QFont& font);
    // Every value cell and both header lines from the device's map and axes.
    void fillFromDevice();
    // The main window's refresh of everything it shows from the device, run after an axis
    // was written from the header editor. Until one is set, the map refreshes itself.
    void setShowDeviceData(std::function<void()> showDeviceData);
    void showDeviceData();

    // How the map's exchanges with the controller run: the window hands them to its connection
    // worker and calls done with their result on its own thread. Until one is set, they run in
    // place.
    using Exchanges = std::function<bool()>;
    using CommandRunner = std::function<void(Exchanges exchanges, std::function<void(bool)> done)>;
    void setCommandRunner(CommandRunner runner);
    // The exchanges through the runner: an escaping error object is reported over the window
    // under operation; otherwise a false result shows "Nie powiodło się wpisanie ustawień do
    // urządzenia!" over the map, and answered then gets the result on the window's thread.
    void runCommand(std::u16string_view operation, Exchanges exchanges,
                    std::function<void(bool written)> answered);

    CLPGDevice& device() const { return device_; }

    // Told of every change the grid's commands made to the controller, with the controller's
    // state from before it, so that the change can be undone.
    void setChangeRecorder(std::function<void(const MapSnapshot& before)> recorder);
    void recordChange(const MapSnapshot& before);

    // Compare view against a map file's snapshot (nothing ends it). The marks follow the
    // device's map at every fillFromDevice.
    void compareWith(std::optional<MapSnapshot> file);
    bool isComparing() const { return comparedFile_.has_value(); }

    // Column: the first break point the speed is strictly below, else the last column;
    // row likewise over the voltage break points.
    CellPosition cellIndexOf(double rpm, double volts) const override;
    QString formatValue(double value) const override;
    // Steps the selected cells within 0..5 V on screen; while connected, raises or lowers the
    // run of cells from the top-left selected one on the controller, stores the map and only
    // then steps the same cells of the device's map in wire units, as the controller did.
    void incrementSelected(double step) override;

private:
    // The rectangle the controller changes: the selected runs right of and below topLeft.
    MapRegion regionOf(CellPosition topLeft, double step) const;
    // The controller's own arithmetic: the region's bytes moved by the step, within 0..255.
    // Every other cell of the device's map stays exactly as it was.
    void applyRegionToDevice(const MapRegion& region);
    void refreshComparison();

    CLPGDevice& device_;
    std::function<void()> showDeviceData_;
    std::function<void(const MapSnapshot&)> changeRecorder_;
    std::optional<MapSnapshot> comparedFile_;
    CommandRunner runner_;
};

} // namespace krv
