#include "app/car_bar.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"
#include "register/register_texts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace krv {

namespace {

QString text(std::u16string_view polish) {
    return QString::fromStdU16String(translate(polish));
}

} // namespace

std::u16string carSummary(const reg::Car& car) {
    const std::string vehicle = reg::vehicleText(car.details);
    std::u16string line = toU16(car.details.plate);
    if (!vehicle.empty()) {
        line += u" (" + toU16(vehicle) + u")";
    }
    if (car.lastVisit != 0) {
        line = fillIn(translate(texts::kCarInTitle), {line, toU16(reg::localDate(car.lastVisit))});
    }
    return line;
}

CCarBar::CCarBar(QWidget* parent, Answers answers)
    : QFrame(parent), answers_(std::move(answers)), question_(new QLabel(this)),
      choices_(new QComboBox(this)), yes_(new QPushButton(text(texts::kYes), this)),
      no_(new QPushButton(text(texts::kNo), this)),
      newCar_(new QPushButton(text(texts::kNewCar), this)) {
    setObjectName("carBar");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(255, 244, 200));
    setPalette(shade);
    question_->setWordWrap(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(question_, 1);
    layout->addWidget(choices_);
    layout->addWidget(yes_);
    layout->addWidget(no_);
    layout->addWidget(newCar_);
    connect(yes_, &QPushButton::clicked, this, [this] {
        const QVariant car = choices_->currentData();
        dismiss();
        if (car.isValid() && answers_.chosen) {
            answers_.chosen(car.toLongLong());
        }
    });
    connect(no_, &QPushButton::clicked, this, &CCarBar::dismiss);
    connect(newCar_, &QPushButton::clicked, this, [this] {
        dismiss();
        if (answers_.newCar) {
            answers_.newCar();
        }
    });
    hide();
}

void CCarBar::ask(const reg::Recognition& recognition, const std::u16string& warning) {
    choices_->clear();
    std::u16string line;
    if (recognition.matching.size() == 1) {
        const reg::Car& car = recognition.matching.front();
        line = fillIn(translate(texts::kIsThisCar), {carSummary(car)});
        choices_->addItem(QString::fromStdString(car.details.plate),
                          QVariant::fromValue<qlonglong>(car.id));
    } else if (!recognition.matching.empty()) {
        line = translate(texts::kWhichCarIsIt);
        for (const reg::Car& car : recognition.matching) {
            choices_->addItem(QString::fromStdU16String(carSummary(car)),
                              QVariant::fromValue<qlonglong>(car.id));
        }
    } else if (!recognition.closest.empty()) {
        line = fillIn(translate(texts::kUnknownCar),
                      {toU16(recognition.closest.front().car.details.plate)});
        for (const auto& near : recognition.closest) {
            choices_->addItem(QString::fromStdU16String(carSummary(near.car)) +
                                  QString(" (%1)").arg(near.differingCells),
                              QVariant::fromValue<qlonglong>(near.car.id));
        }
    } else {
        line = translate(texts::kUnknownCarNoClosest);
    }
    if (!warning.empty()) {
        line = warning + u" " + line;
    }
    question_->setText(QString::fromStdU16String(line));
    // One car needs no list: the question names it.
    choices_->setVisible(choices_->count() > 1 ||
                         (choices_->count() == 1 && recognition.matching.empty()));
    yes_->setVisible(choices_->count() > 0);
    place();
    show();
    raise();
}

void CCarBar::dismiss() {
    hide();
    if (QWidget* window = parentWidget(); window != nullptr && grownBy_ > 0) {
        window->setFixedSize(window->width(), window->height() - grownBy_);
    }
    grownBy_ = 0;
}

void CCarBar::place() {
    QWidget* window = parentWidget();
    if (window == nullptr) {
        return;
    }
    // Below the controls, the window grown to hold it: over them it would hide the status and
    // the firmware update while the question waits.
    const int height = sizeHint().height();
    const int controlsHeight = window->height() - grownBy_;
    window->setFixedSize(window->width(), controlsHeight + height);
    grownBy_ = height;
    setGeometry(0, controlsHeight, window->width(), height);
}

} // namespace krv
