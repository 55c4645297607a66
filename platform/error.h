#pragma once
// Errors raised by failing operating-system calls travel as pointers to IError objects,
// thrown with `throw new T(...)` through IErrorHelper<T>, caught as IError* and deleted by
// whoever catches them.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

class IError {
public:
    IError(unsigned code, std::u16string text, int line, std::u16string file);
    // Takes ownership of nested (may be null).
    IError(unsigned code, std::u16string text, IError* nested, int line, std::u16string file);
    IError(const IError&) = delete;
    IError& operator=(const IError&) = delete;

    // Fills the message list (one user message per code); called right after construction.
    virtual void fillMessages() = 0;
    virtual ~IError();
    virtual std::u16string_view className() const = 0;
    // The message for the code, the diagnostic text, then where it was raised, and the nested
    // error's text (if any) below.
    virtual std::u16string format() const;

    unsigned code() const { return code_; }
    const std::u16string& text() const { return text_; }
    const std::u16string& file() const { return file_; }
    int line() const { return line_; }
    const IError* nested() const { return nested_.get(); }
    // Texts of the message list, in the order they were added.
    std::vector<std::u16string> messages() const;
    // The user message for this error's code, or empty when the list has none.
    std::u16string messageForCode() const;

protected:
    void addMessage(unsigned code, std::u16string text);

private:
    struct Message {
        unsigned code;
        std::u16string text;
    };
    unsigned code_;
    std::u16string text_;
    std::u16string file_;
    int line_;
    std::unique_ptr<IError> nested_;
    std::vector<Message> messages_;
};

// Narrow (UTF-8, in practice ASCII source-file names) to UTF-16.
std::u16string ansi2unicode(std::string_view text);

// Mix-in giving a class the two operations that raise a T (T derives from IError and has
// IError's two constructors).
template <class T> class IErrorHelper {
public:
    virtual ~IErrorHelper() = default;

    [[noreturn]] virtual void raise(unsigned code, const std::u16string& text, int line,
                                    const char* file) const {
        auto error = std::make_unique<T>(code, text, line, ansi2unicode(file));
        error->fillMessages();
        throw error.release();
    }
    [[noreturn]] virtual void raise(unsigned code, const std::u16string& text, IError* nested,
                                    int line, const char* file) const {
        auto error = std::make_unique<T>(code, text, nested, line, ansi2unicode(file));
        error->fillMessages();
        throw error.release();
    }
};

} // namespace krv
