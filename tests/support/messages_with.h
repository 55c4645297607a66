#pragma once
// The boxes a test's message recorder saw with exactly this text, in the order shown.

#include "link/message_recorder.h"

#include <string_view>
#include <vector>

namespace krv::test {

inline std::vector<RecordedMessage> messagesWith(const CMessageRecorder& recorder,
                                                 std::u16string_view text) {
    std::vector<RecordedMessage> found;
    for (const RecordedMessage& message : recorder.messages()) {
        if (message.text == text) {
            found.push_back(message);
        }
    }
    return found;
}

} // namespace krv::test
