#include "app/cars_dialog.h"

#include "app/car_bar.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "platform/text.h"
#include "register/register_texts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace krv {

namespace {

QString text(std::u16string_view polish) {
    return QString::fromStdU16String(translate(polish));
}

QString utf8(const std::string& value) {
    return QString::fromStdString(value);
}

constexpr std::array<std::u16string_view, 10> kFieldLabels{
    texts::kCarPlate,  texts::kCarVin,    texts::kCarMake,     texts::kCarModel, texts::kCarYear,
    texts::kCarEngine, texts::kCarLpgKit, texts::kCarCustomer, texts::kCarPhone, texts::kCarNotes,
};

std::u16string entryText(const reg::TimelineEntry& entry) {
    return toU16(reg::localMinute(entry.at)) + u"   " + reg::timelineText(entry);
}

} // namespace

CCarsDialog::CCarsDialog(reg::CarRegister& cars, Actions actions, QWidget* parent)
    : QDialog(parent), cars_(cars), actions_(std::move(actions)), search_(new QLineEdit(this)),
      carList_(new QListWidget(this)), heading_(new QLabel(this)),
      save_(new QPushButton(text(texts::kSaveCarDetails), this)), timeline_(new QListWidget(this)),
      compare_(new QPushButton(text(texts::kCompareWithController), this)),
      restore_(new QPushButton(text(texts::kRestoreVersion), this)),
      openLog_(new QPushButton(text(texts::kOpenDriveLog), this)),
      choose_(new QPushButton(text(texts::kThisIsTheCar), this)), note_(new QLineEdit(this)),
      addNote_(new QPushButton(text(texts::kAddNote), this)), unassigned_(new QComboBox(this)),
      assign_(new QPushButton(text(texts::kAssignBackups), this)),
      unassignedLabel_(new QLabel(this)) {
    setWindowTitle(text(texts::kCarsTitle));
    search_->setPlaceholderText(text(texts::kCarsSearchHint));
    search_->setClearButtonEnabled(true);
    auto* newCar = new QPushButton(text(texts::kNewCar), this);
    newCar->setAutoDefault(false);
    auto* left = new QVBoxLayout;
    left->addWidget(search_);
    left->addWidget(carList_, 1);
    left->addWidget(newCar);

    QFont bold = heading_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading_->setFont(bold);
    auto* form = new QFormLayout;
    carList_->setMinimumWidth(260);
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setMinimumWidth(220);
        form->addRow(text(kFieldLabels[i]), fields_[i]);
    }
    auto* details = new QVBoxLayout;
    details->addLayout(form);
    details->addWidget(save_, 0, Qt::AlignRight);
    details->addWidget(choose_, 0, Qt::AlignRight);
    details->addStretch();

    auto* versionButtons = new QHBoxLayout;
    versionButtons->addWidget(compare_);
    versionButtons->addWidget(restore_);
    versionButtons->addWidget(openLog_);
    versionButtons->addStretch();
    auto* noteRow = new QHBoxLayout;
    noteRow->addWidget(note_, 1);
    noteRow->addWidget(addNote_);
    auto* unassignedRow = new QHBoxLayout;
    unassignedRow->addWidget(unassignedLabel_);
    unassignedRow->addWidget(unassigned_, 1);
    unassignedRow->addWidget(assign_);
    auto* history = new QVBoxLayout;
    history->addWidget(new QLabel(text(texts::kCarTimeline), this));
    history->addWidget(timeline_, 1);
    history->addLayout(versionButtons);
    history->addLayout(noteRow);
    history->addLayout(unassignedRow);

    auto* page = new QHBoxLayout;
    page->addLayout(details, 2);
    page->addLayout(history, 3);
    auto* right = new QVBoxLayout;
    right->addWidget(heading_);
    right->addLayout(page, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 3);
    resize(1100, 560);

    for (QPushButton* button : {save_, compare_, restore_, openLog_, choose_, addNote_, assign_}) {
        button->setAutoDefault(false);
    }
    connect(search_, &QLineEdit::textChanged, this, [this] { fillList(); });
    connect(carList_, &QListWidget::currentRowChanged, this, [this] { pageChosen(); });
    connect(newCar, &QPushButton::clicked, this, [this] {
        if (const std::optional<int64_t> id = addCar()) {
            showCar(*id);
        }
    });
    connect(save_, &QPushButton::clicked, this, [this] { saveCarDetails(); });
    connect(timeline_, &QListWidget::currentRowChanged, this, [this] { timelineChosen(); });
    const auto chosenVersion = [this]() -> std::optional<MapSnapshot> {
        const int row = timeline_->currentRow();
        if (row < 0 || static_cast<size_t>(row) >= entries_.size()) {
            return std::nullopt;
        }
        std::optional<reg::Version> version;
        guarded([&] { version = cars_.version(entries_[static_cast<size_t>(row)].versionId); });
        return version ? std::optional(version->state.state) : std::nullopt;
    };
    connect(compare_, &QPushButton::clicked, this, [this, chosenVersion] {
        if (const auto version = chosenVersion(); version && actions_.compare) {
            actions_.compare(*version);
        }
    });
    connect(restore_, &QPushButton::clicked, this, [this, chosenVersion] {
        if (const auto version = chosenVersion(); version && actions_.restore) {
            actions_.restore(*version);
        }
    });
    connect(openLog_, &QPushButton::clicked, this, [this] {
        const int row = timeline_->currentRow();
        if (row >= 0 && static_cast<size_t>(row) < entries_.size() && actions_.openLog) {
            actions_.openLog(entries_[static_cast<size_t>(row)].text);
        }
    });
    connect(choose_, &QPushButton::clicked, this, [this] {
        if (car_ && actions_.choose) {
            actions_.choose(*car_);
            fillPage();
        }
    });
    connect(addNote_, &QPushButton::clicked, this, [this] {
        if (!car_ || note_->text().trimmed().isEmpty()) {
            return;
        }
        guarded([&] { cars_.addNote(*car_, note_->text().trimmed().toStdString()); });
        note_->clear();
        fillPage();
    });
    connect(assign_, &QPushButton::clicked, this, [this] {
        if (!car_ || unassigned_->currentIndex() < 0) {
            return;
        }
        const auto fingerprint = static_cast<uint64_t>(unassigned_->currentData().toULongLong());
        guarded([&] { cars_.assignChain(fingerprint, *car_); });
        fillPage();
    });
    fillList();
}

template <typename Body> void CCarsDialog::guarded(Body body) {
    try {
        body();
    } catch (const reg::DatabaseFault& fault) {
        const std::u16string message = reg::faultMessage(fault, cars_.database().path());
        if (actions_.fault) {
            actions_.fault(message);
        }
    }
}

void CCarsDialog::fillList() {
    std::vector<reg::Car> found;
    guarded([&] { found = cars_.search(search_->text().toStdString()); });
    const QSignalBlocker quiet(carList_);
    carList_->clear();
    int current = -1;
    for (const reg::Car& car : found) {
        auto* item = new QListWidgetItem(QString::fromStdU16String(carSummary(car)), carList_);
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(car.id));
        if (car_ && car.id == *car_) {
            current = carList_->count() - 1;
        }
    }
    // The page follows the search: its car while listed, else the first found.
    carList_->setCurrentRow(current >= 0 ? current : (carList_->count() > 0 ? 0 : -1));
    pageChosen();
}

void CCarsDialog::pageChosen() {
    QListWidgetItem* item = carList_->currentItem();
    car_ = item != nullptr ? std::optional<int64_t>(item->data(Qt::UserRole).toLongLong())
                           : std::nullopt;
    fillPage();
}

void CCarsDialog::showCar(int64_t carId) {
    car_ = carId;
    search_->clear(); // fills the list, which finds the car again
    fillList();
}

void CCarsDialog::fillPage() {
    std::optional<reg::Car> car;
    entries_.clear();
    std::vector<reg::UnassignedChain> chains;
    if (car_) {
        guarded([&] {
            car = cars_.car(*car_);
            entries_ = cars_.timeline(*car_);
            chains = cars_.unassigned();
        });
    }
    // Newest first: the last visit leads.
    std::reverse(entries_.begin(), entries_.end());
    const reg::CarDetails details = car ? car->details : reg::CarDetails{};
    heading_->setText(car ? QString::fromStdU16String(carSummary(*car)) : QString());
    const std::array<QString, 10> values{
        utf8(details.plate),
        utf8(details.vin),
        utf8(details.make),
        utf8(details.model),
        details.year != 0 ? QString::number(details.year) : QString(),
        utf8(details.engine),
        utf8(details.lpgKit),
        utf8(details.customer),
        utf8(details.phone),
        utf8(details.notes),
    };
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(values[i]);
        fields_[i]->setEnabled(car.has_value());
    }
    timeline_->clear();
    for (const reg::TimelineEntry& entry : entries_) {
        timeline_->addItem(QString::fromStdU16String(entryText(entry)));
    }
    unassigned_->clear();
    for (const reg::UnassignedChain& chain : chains) {
        const reg::Version& newest = chain.versions.back();
        unassigned_->addItem(QString::fromStdString(reg::localMinute(newest.lastSeen)) + "  " +
                                 QString::fromStdString(newest.source),
                             QVariant::fromValue<qulonglong>(chain.fingerprint));
    }
    unassignedLabel_->setText(QString::fromStdU16String(
        fillIn(translate(texts::kUnassignedBackups), {toU16(std::to_string(chains.size()))})));
    for (QWidget* control : std::initializer_list<QWidget*>{save_, choose_, note_, addNote_}) {
        control->setEnabled(car.has_value());
    }
    choose_->setEnabled(car.has_value() && actions_.connected);
    assign_->setEnabled(car.has_value() && !chains.empty());
    unassigned_->setEnabled(!chains.empty());
    timelineChosen();
}

void CCarsDialog::timelineChosen() {
    const int row = timeline_->currentRow();
    const reg::TimelineEntry* entry = row >= 0 && static_cast<size_t>(row) < entries_.size()
                                          ? &entries_[static_cast<size_t>(row)]
                                          : nullptr;
    const bool version = entry != nullptr && entry->kind == reg::TimelineEntry::Kind::Seen;
    const bool log = entry != nullptr && (entry->kind == reg::TimelineEntry::Kind::Log ||
                                          entry->kind == reg::TimelineEntry::Kind::Drive);
    compare_->setEnabled(version);
    restore_->setEnabled(version && actions_.connected);
    openLog_->setEnabled(log && !entry->text.empty());
}

void CCarsDialog::saveCarDetails() {
    if (!car_) {
        return;
    }
    reg::CarDetails details;
    std::array<std::string*, 10> targets{
        &details.plate,  &details.vin,    nullptr,           &details.model, nullptr,
        &details.engine, &details.lpgKit, &details.customer, &details.phone, &details.notes,
    };
    targets[2] = &details.make;
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (targets[i] != nullptr) {
            *targets[i] = fields_[i]->text().trimmed().toStdString();
        }
    }
    bool yearOk = true;
    const QString year = fields_[4]->text().trimmed();
    details.year = year.isEmpty() ? 0 : year.toInt(&yearOk);
    if (!yearOk || reg::CarRegister::plateKey(details.plate).empty()) {
        showMessage(this, fillIn(translate(texts::kMapNotANumber), {year.toStdU16String()}),
                    translate(texts::kCarsTitle), MB_ICONWARNING);
        return;
    }
    guarded([&] {
        const std::optional<reg::Car> other = cars_.carByPlate(details.plate);
        if (other && other->id != *car_) {
            showMessage(this, fillIn(translate(texts::kCliCarExists), {toU16(details.plate)}),
                        translate(texts::kCarsTitle), MB_ICONWARNING);
            return;
        }
        cars_.updateCar(*car_, details);
    });
    fillList();
}

std::optional<int64_t> CCarsDialog::addCar() {
    bool ok = false;
    const QString plate =
        QInputDialog::getText(this, text(texts::kCarsTitle), text(texts::kNewCarPlate),
                              QLineEdit::Normal, search_->text().trimmed(), &ok)
            .trimmed();
    if (!ok || plate.isEmpty()) {
        return std::nullopt;
    }
    reg::CarDetails details;
    details.plate = plate.toStdString();
    std::optional<int64_t> id;
    guarded([&] { id = cars_.addCar(details); });
    if (!id) {
        showMessage(this, fillIn(translate(texts::kCliCarExists), {toU16(details.plate)}),
                    translate(texts::kCarsTitle), MB_ICONWARNING);
    }
    return id;
}

} // namespace krv
