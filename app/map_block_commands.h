#pragma once
// The block operations of the map grid's selection as the window runs them: each is a backup
// first, then one write of the whole map through the model, computed from what the controller
// holds when its turn comes, then one undo step. The selection stays where it was; cells cut to
// the controller's range are named in the status line.

#include "map_blocks/block_operations.h"

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace krv {

class CMapEmu1;
class CMapKeeper;

class CMapBlockCommands : public QObject {
    Q_OBJECT
public:
    using StatusLine = std::function<void(const std::u16string& text)>;

    CMapBlockCommands(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window, StatusLine status);

    // The grid's selection as a block of the map; nothing when no cell is selected.
    std::optional<Block> selectedBlock() const;

    // The ones that ask open a small dialog over the window first.
    void askAndSet();
    void askAndAdd();
    void askAndScale();
    void setTo(double volts);
    void setToAverage();
    void add(double volts);
    void scale(double percent);
    void interpolate(Interpolation kind);
    void smooth();
    // The selection as tab-separated volts on the clipboard.
    void copy() const;
    // The clipboard's text from the selection's top-left cell, or added to the cells.
    void paste(bool adding);

private:
    using Operation = std::function<BlockResult(const MapCells& cells, const Block& block)>;
    void run(std::string_view backupTag, std::u16string_view operation, Operation apply);
    std::optional<double> askNumber(std::u16string_view prompt, const QString& initial);
    void sayFailure(const std::u16string& text) const;

    CMapKeeper& keeper_;
    CMapEmu1& grid_;
    QWidget& window_;
    StatusLine status_;
};

} // namespace krv
