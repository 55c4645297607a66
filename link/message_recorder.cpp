#include "link/message_recorder.h"

namespace krv {

void CMessageRecorder::scriptAnswer(int button) {
    std::lock_guard lock(mutex_);
    answers_.push_back(button);
}

std::vector<RecordedMessage> CMessageRecorder::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

int CMessageRecorder::show(MessageOwner owner, const std::u16string& text,
                           const std::u16string& caption, unsigned style) {
    std::lock_guard lock(mutex_);
    messages_.push_back({owner, text, caption, style});
    if (answers_.empty()) {
        return defaultButton(style);
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace krv
