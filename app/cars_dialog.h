#pragma once
// The register of cars: a search as the fitter types (plate, VIN, customer, notes), and a
// car's page with its details to edit and its timeline of visits, versions, drives, updates
// and notes, from which a version is compared with the controller or written back, and a
// drive's log opened in the replay.

#include "register/car_register.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace krv {

class CCarsDialog : public QDialog {
    Q_OBJECT
public:
    // What the window does for the page's buttons.
    struct Actions {
        std::function<void(const MapSnapshot& version)> compare;
        std::function<void(const MapSnapshot& version)> restore;
        std::function<void(const std::string& logPath)> openLog;
        std::function<void(int64_t carId)> choose;
        std::function<void(const std::u16string& message)> fault;
        bool connected = false;
    };

    CCarsDialog(reg::CarRegister& cars, Actions actions, QWidget* parent);

    // Shows the car's page (the current car's when the dialog opens for it).
    void showCar(int64_t carId);
    // Asks for a plate and adds the car; its id, or nothing when cancelled or taken (said).
    std::optional<int64_t> addCar();

    QLineEdit* search() const { return search_; }
    QListWidget* carList() const { return carList_; }
    QListWidget* timeline() const { return timeline_; }
    QLineEdit* field(int index) const { return fields_[static_cast<size_t>(index)]; }
    QPushButton* saveDetails() const { return save_; }
    QPushButton* restoreButton() const { return restore_; }
    QPushButton* compareButton() const { return compare_; }
    QPushButton* openLogButton() const { return openLog_; }

private:
    void fillList();
    void fillPage();
    void pageChosen();
    void saveCarDetails();
    void timelineChosen();
    template <typename Body> void guarded(Body body);

    reg::CarRegister& cars_;
    Actions actions_;
    std::optional<int64_t> car_;
    std::vector<reg::TimelineEntry> entries_;
    QLineEdit* search_;
    QListWidget* carList_;
    QLabel* heading_;
    std::array<QLineEdit*, 10> fields_{};
    QPushButton* save_;
    QListWidget* timeline_;
    QPushButton* compare_;
    QPushButton* restore_;
    QPushButton* openLog_;
    QPushButton* choose_;
    QLineEdit* note_;
    QPushButton* addNote_;
    QComboBox* unassigned_;
    QPushButton* assign_;
    QLabel* unassignedLabel_;
};

} // namespace krv
