#pragma once
// One cell of the grid. Its text is the only store of a value inside the grid.

#include <QColor>
#include <QString>
#include <cstdint>

namespace krv {

class CCell {
public:
    void setTxt(const QString& text) { text_ = text; }
    const QString& getTxt() const { return text_; }

    void setBkColor(const QColor& colour) { background_ = colour; }
    const QColor& getBkColor() const { return background_; }

    // The operating-point highlight: drawn in its own colour while the flag is set.
    void setCurrentCellColor(const QColor& colour) { currentColour_ = colour; }
    const QColor& getCurrentCellColor() const { return currentColour_; }
    void setCurrent(bool current) { current_ = current; }
    bool isCurrent() const { return current_; }

    // A value sent to the controller and not yet acknowledged: drawn in italics.
    void setPending(bool pending) { pending_ = pending; }
    bool isPending() const { return pending_; }

    // 1 = selected, 0 = not.
    void setSelected(uint8_t selected) { selected_ = selected; }
    uint8_t getSelected() const { return selected_; }
    bool isSelected() const { return selected_ != 0; }

    bool operator==(const CCell&) const = default;

private:
    QString text_;
    QColor background_{255, 255, 255};
    QColor currentColour_{120, 0, 0};
    bool current_ = false;
    uint8_t selected_ = 0;
    bool pending_ = false;
};

} // namespace krv
