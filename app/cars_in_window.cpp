#include "app/cars_in_window.h"

#include "app/cars_dialog.h"
#include "app/map_keeper.h"
#include "connection/controller_model.h"
#include "device/map_file/map_backups.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/text.h"
#include "register/file_checksum.h"
#include "register/register_texts.h"

#include <QWidget>

namespace krv {

namespace {

std::unique_ptr<reg::CarRegister> openRegister(const std::string& path,
                                               const std::function<void(std::u16string)>& say) {
    const std::string place = path.empty() ? reg::CarRegister::defaultPath() : path;
    try {
        if (place.empty()) {
            throw reg::DatabaseFault(reg::FaultKind::Other, "XDG_DATA_HOME, HOME");
        }
        auto cars = std::make_unique<reg::CarRegister>(place);
        // The backups the tool kept before it had a register: new ones come in at each start.
        cars->importBackups(mapBackupFolder());
        return cars;
    } catch (const reg::DatabaseFault& fault) {
        say(reg::faultMessage(fault, place));
        return nullptr;
    }
}

} // namespace

CCarsInWindow::CCarsInWindow(Window window, const std::string& registerPath)
    : window_(std::move(window)),
      cars_(openRegister(registerPath, [this](const std::u16string& text) { fault(text); })),
      visit_(cars_.get(), [this](const std::u16string& text) { fault(text); }),
      bar_(&window_.widget, {[this](int64_t car) { choose(car); }, [this] { openDialog(true); }}) {}

CCarsInWindow::~CCarsInWindow() = default;

void CCarsInWindow::fault(const std::u16string& message) {
    // Said once a session: the window works on without the register.
    if (faultSaid_) {
        return;
    }
    faultSaid_ = true;
    showMessage(&window_.widget, message, translate(texts::kCarsTitle), MB_ICONWARNING);
}

ControllerData CCarsInWindow::acknowledgedData() const {
    const ControllerIdentity& identity = window_.model.identity();
    return {identity.deviceType, identity.firmwareVersion, window_.model.acknowledged()};
}

void CCarsInWindow::arrived(const ControllerData& data) {
    lastKnown_ = data.state;
    nextCause_ = reg::Cause::Edit;
    if (cars_ == nullptr) {
        return;
    }
    const reg::Recognition recognition = visit_.arrived(data);
    if (visit_.confirmed()) {
        bar_.dismiss();
    } else {
        std::u16string warning;
        if (visit_.currentId()) {
            warning = visit_.wrongCarWarning(data.state).value_or(u"");
        }
        bar_.ask(recognition, warning);
    }
    if (window_.carChanged) {
        window_.carChanged();
    }
}

void CCarsInWindow::modelChanged() {
    if (!window_.model.loaded() || lastKnown_ == window_.model.acknowledged()) {
        return;
    }
    lastKnown_ = window_.model.acknowledged();
    visit_.held(acknowledgedData(), nextCause_);
    nextCause_ = reg::Cause::Edit;
}

bool CCarsInWindow::mayWrite() {
    if (!visit_.currentId() || visit_.confirmed()) {
        return true;
    }
    const std::optional<std::u16string> warning =
        visit_.wrongCarWarning(window_.model.acknowledged());
    if (!warning) {
        return true;
    }
    const int answer =
        showMessage(&window_.widget, *warning + u"\n" + translate(texts::kWriteToOtherCar),
                    translate(texts::kCarsTitle), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    if (answer != IDYES) {
        return false;
    }
    // The fitter's yes: the controller is the current car's from now on.
    visit_.choose(*visit_.currentId());
    return true;
}

void CCarsInWindow::logRecorded(const std::string& path) {
    visit_.logRecorded(path);
}

void CCarsInWindow::driveLearned(const reg::DriveRecord& drive) {
    visit_.driveLearned(drive);
}

void CCarsInWindow::firmwareUpdated(const std::string& file, bool programmed) {
    if (!file.empty()) {
        visit_.firmwareUpdated({file, window_.model.identity().firmwareVersion,
                                reg::fileCrc32(file).value_or(0), programmed});
    }
}

void CCarsInWindow::choose(int64_t carId) {
    visit_.choose(carId);
    bar_.dismiss();
    if (window_.carChanged) {
        window_.carChanged();
    }
}

std::u16string CCarsInWindow::titleSuffix() {
    const std::optional<reg::Car> car = visit_.current();
    return car ? u" \u2014 " + carSummary(*car) : std::u16string();
}

void CCarsInWindow::openDialog(bool newCarConnected) {
    if (cars_ == nullptr || dialog_ != nullptr) {
        return;
    }
    CCarsDialog::Actions actions;
    actions.compare = window_.compare;
    actions.restore = [this](const MapSnapshot& version) {
        if (mayWrite()) {
            nextCause_ = reg::Cause::Restore;
            window_.keeper.restore(version);
        }
    };
    actions.openLog = window_.openLog;
    actions.choose = [this](int64_t carId) { choose(carId); };
    actions.fault = [this](const std::u16string& text) {
        showMessage(dialog_, text, translate(texts::kCarsTitle), MB_ICONWARNING);
    };
    actions.connected = window_.model.loaded();
    CCarsDialog dialog(*cars_, std::move(actions), &window_.widget);
    dialog_ = &dialog;
    if (newCarConnected) {
        if (const std::optional<int64_t> added = dialog.addCar()) {
            choose(*added);
            dialog.showCar(*added);
        }
    } else if (visit_.currentId()) {
        dialog.showCar(*visit_.currentId());
    }
    dialog.exec();
    dialog_ = nullptr;
    if (window_.carChanged) {
        window_.carChanged();
    }
}

} // namespace krv
