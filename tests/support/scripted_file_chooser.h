#pragma once
// File choices answered from a script instead of by a person: the queued paths in turn, then
// the standing answer. Every request is kept, so a test sees where and for what it asked.

#include "platform/qt/open_file.h"

#include <deque>
#include <string>
#include <vector>

namespace krv::test {

class CScriptedFileChooser final : public IFileChooser {
public:
    std::u16string choose(const COpenFile& request) override {
        requests.push_back(request);
        if (answers.empty()) {
            return otherwise;
        }
        std::u16string answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    // The next choices' answers, in order.
    std::deque<std::u16string> answers;
    // Every choice after those; "" cancels it.
    std::u16string otherwise;
    std::vector<COpenFile> requests;
};

} // namespace krv::test
