#include "link/message.h"

#include "lang/translate.h"
#include "platform/text.h"

#include <atomic>
#include <cstdio>

namespace krv {
namespace {

// Without a window the message still reaches someone.
class StderrBackend : public IMessageBackend {
public:
    int show(MessageOwner, const std::u16string& text, const std::u16string& caption,
             unsigned style) override {
        std::fprintf(stderr, "%s: %s\n", toUtf8(caption).c_str(), toUtf8(text).c_str());
        return defaultButton(style);
    }
};

StderrBackend stderrBackend;
std::atomic<IMessageBackend*> installed{nullptr};

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

IMessageBackend* setMessageBackend(IMessageBackend* backend) {
    return installed.exchange(backend);
}

int defaultButton(unsigned style) {
    const unsigned buttons = style & MB_BUTTONS_MASK;
    const bool second = (style & MB_DEFBUTTON2) != 0;
    if (buttons == MB_YESNO) {
        return second ? IDNO : IDYES;
    }
    if (buttons == MB_OKCANCEL) {
        return second ? IDCANCEL : IDOK;
    }
    return IDOK;
}

std::u16string cutText(const std::u16string& text, size_t maxUnits) {
    if (text.size() <= maxUnits) {
        return text;
    }
    size_t cut = maxUnits;
    if (cut > 0 && isHighSurrogate(text[cut - 1])) {
        --cut;
    }
    return text.substr(0, cut);
}

int showMessage(MessageOwner owner, const std::u16string& text, const std::u16string& caption,
                unsigned style) {
    IMessageBackend* backend = installed.load();
    if (backend == nullptr) {
        backend = &stderrBackend;
    }
    return backend->show(owner, cutText(text, kMaxMessageText),
                         cutText(caption, kMaxMessageCaption), style);
}

void reportError(MessageOwner owner, const std::u16string& operationName, IError* error) {
    const std::unique_ptr<IError> owned(error);
    const std::u16string text = owned ? operationName + u"\n" + owned->format() : operationName;
    showMessage(owner, text, std::u16string(kMessageCaption), MB_OK);
}

void reportingErrors(MessageOwner owner, std::u16string_view operationName,
                     const std::function<void()>& action) {
    try {
        action();
    } catch (IError* error) {
        reportError(owner, std::u16string(operationName), error);
    }
}

int showProgramMessage(MessageOwner owner, std::u16string_view text, unsigned style) {
    return showMessage(owner, translate(text), std::u16string(kMessageCaption), style);
}

} // namespace krv
