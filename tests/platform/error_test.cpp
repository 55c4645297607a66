#include "platform/error.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

class TestError : public IError {
public:
    using IError::IError;
    void fillMessages() override {
        addMessage(5, u"Cannot open.");
        addMessage(6, u"Cannot operate.");
    }
    std::u16string_view className() const override { return u"TestError"; }
};

class Raiser : public IErrorHelper<TestError> {};

TEST(IErrorHelper, RaisesAFilledErrorWithEveryField) {
    Raiser raiser;
    try {
        raiser.raise(6, u"CSerialPort::write() - GetLastError()=5", 183, "serialport");
        FAIL() << "nothing raised";
    } catch (IError* caught) {
        std::unique_ptr<IError> error(caught);
        EXPECT_EQ(error->code(), 6u);
        EXPECT_EQ(error->text(), u"CSerialPort::write() - GetLastError()=5");
        EXPECT_EQ(error->line(), 183);
        EXPECT_EQ(error->file(), u"serialport");
        EXPECT_EQ(error->nested(), nullptr);
        EXPECT_EQ(error->messages(),
                  (std::vector<std::u16string>{u"Cannot open.", u"Cannot operate."}));
        EXPECT_EQ(error->messageForCode(), u"Cannot operate.");
        EXPECT_NE(dynamic_cast<TestError*>(error.get()), nullptr);
    }
}

TEST(IError, FormatPutsTheUserMessageFirstThenTheDiagnosticThenWhere) {
    Raiser raiser;
    try {
        raiser.raise(5, u"outer text", new TestError(6, u"inner text", 7, u"inner"), 68,
                     "serialport");
    } catch (IError* caught) {
        std::unique_ptr<IError> error(caught);
        ASSERT_NE(error->nested(), nullptr);
        EXPECT_EQ(error->format(), u"Cannot open.\n"
                                   u"outer text\n"
                                   u"(TestError 5, serialport, line 68)\n"
                                   // The nested error was not filled: no user message line.
                                   u"inner text\n"
                                   u"(TestError 6, inner, line 7)");
    }
}

TEST(Ansi2Unicode, ConvertsNarrowText) {
    EXPECT_EQ(ansi2unicode("serialport"), u"serialport");
    EXPECT_EQ(ansi2unicode(""), u"");
}

} // namespace
} // namespace krv
