#pragma once
// A message back end for tests: records every box and answers with the scripted buttons, then
// with the box's default button. Installs itself for its lifetime.

#include "link/message.h"

#include <deque>
#include <mutex>
#include <vector>

namespace krv {

struct RecordedMessage {
    MessageOwner owner;
    std::u16string text;
    std::u16string caption;
    unsigned style;
};

class CMessageRecorder : public IMessageBackend {
public:
    CMessageRecorder() : previous_(setMessageBackend(this)) {}
    ~CMessageRecorder() override { setMessageBackend(previous_); }
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    void scriptAnswer(int button);
    std::vector<RecordedMessage> messages() const;
    int show(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override;

private:
    IMessageBackend* previous_;
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<RecordedMessage> messages_;
};

} // namespace krv
