#include "platform/error.h"

#include "platform/text.h"

namespace krv {

IError::IError(unsigned code, std::u16string text, int line, std::u16string file)
    : IError(code, std::move(text), nullptr, line, std::move(file)) {}

IError::IError(unsigned code, std::u16string text, IError* nested, int line, std::u16string file)
    : code_(code), text_(std::move(text)), file_(std::move(file)), line_(line), nested_(nested) {}

IError::~IError() = default;

std::u16string IError::format() const {
    std::u16string out;
    const std::u16string message = messageForCode();
    if (!message.empty()) {
        out += message + u"\n";
    }
    if (!text_.empty()) {
        out += text_ + u"\n";
    }
    out += u"(" + std::u16string(className()) + formatText(" %u, ", code_) + file_ +
           formatText(", line %d)", line_);
    if (nested_) {
        out += u"\n" + nested_->format();
    }
    return out;
}

std::vector<std::u16string> IError::messages() const {
    std::vector<std::u16string> texts;
    texts.reserve(messages_.size());
    for (const Message& message : messages_) {
        texts.push_back(message.text);
    }
    return texts;
}

std::u16string IError::messageForCode() const {
    for (const Message& message : messages_) {
        if (message.code == code_) {
            return message.text;
        }
    }
    return {};
}

void IError::addMessage(unsigned code, std::u16string text) {
    messages_.push_back({code, std::move(text)});
}

std::u16string ansi2unicode(std::string_view text) {
    return toU16(text);
}

} // namespace krv
