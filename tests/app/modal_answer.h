#pragma once
// Answers the next modal window of a given class as a person would (a click or a key), once it
// is up. Modal windows run their own event loop, so the answer has to be queued beforehand.

#include <QApplication>
#include <QTimer>
#include <functional>

namespace krv::test {

template <class Window> class CModalAnswer {
public:
    // Answers the first window, or every one that comes while this lives (a window no test
    // expects then ends in an answer the test can count, never in a wait without end).
    enum class Answers { First, Every };

    explicit CModalAnswer(std::function<void(Window&)> answer, Answers answers = Answers::First)
        : answer_(std::move(answer)) {
        QObject::connect(&poll_, &QTimer::timeout, [this, answers] {
            if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
                if (answers == Answers::First) {
                    poll_.stop();
                }
                ++answered_;
                answer_(*window);
            }
        });
        poll_.start(10);
    }

    // How many windows were answered (0 when none came up).
    int answered() const { return answered_; }

private:
    std::function<void(Window&)> answer_;
    QTimer poll_;
    int answered_ = 0;
};

} // namespace krv::test
