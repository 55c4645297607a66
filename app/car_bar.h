#pragma once
// The bar that asks, without blocking the window, which car the connected controller belongs
// to: "Is this WX 12345?" for one car, a choice for several or for the closest, and a new car.
// Nothing is chosen until the fitter presses a button.

#include "register/car_register.h"

#include <QFrame>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace krv {

class CCarBar : public QFrame {
    Q_OBJECT
public:
    struct Answers {
        std::function<void(int64_t carId)> chosen;
        std::function<void()> newCar;
    };

    CCarBar(QWidget* parent, Answers answers);

    // Shows the question for what the register found; warning (the controller holds another
    // car's map than the chosen one) leads when given.
    void ask(const reg::Recognition& recognition, const std::u16string& warning = {});
    void dismiss();

    QLabel* question() const { return question_; }
    QComboBox* choices() const { return choices_; }
    QPushButton* yes() const { return yes_; }
    QPushButton* no() const { return no_; }
    QPushButton* newCar() const { return newCar_; }

private:
    void place();

    Answers answers_;
    QLabel* question_;
    QComboBox* choices_;
    QPushButton* yes_;
    QPushButton* no_;
    QPushButton* newCar_;
    int grownBy_ = 0; // how much taller the window stands while the bar shows
};

// One line for a car: plate, make, model and year, last visit.
std::u16string carSummary(const reg::Car& car);

} // namespace krv
