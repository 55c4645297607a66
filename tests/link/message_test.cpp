#include "link/message.h"
#include "link/message_recorder.h"
#include "link/rs_error.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

TEST(ShowMessage, CutsLongTextsWithoutSplittingASurrogatePair) {
    const std::u16string emoji = u"\U0001F600"; // two UTF-16 units
    struct Case {
        std::u16string text;
        size_t shownText;
    };
    const Case cases[] = {
        {std::u16string(2047, u'a'), 2047},
        {std::u16string(5000, u'b'), 2047},
        // The pair would straddle the limit: it goes whole, one unit short of it.
        {std::u16string(2046, u'c') + emoji, 2046},
        {std::u16string(2045, u'd') + emoji + u"e", 2047},
    };
    for (const Case& c : cases) {
        CMessageRecorder recorder;
        showMessage(nullptr, c.text, std::u16string(600, u'x'), MB_OK);
        ASSERT_EQ(recorder.messages().size(), 1u);
        const RecordedMessage shown = recorder.messages()[0];
        EXPECT_EQ(shown.text, c.text.substr(0, c.shownText));
        EXPECT_EQ(shown.caption.size(), 511u);
    }
}

TEST(ShowMessage, ReturnsTheScriptedButtonsThenTheDefaultOne) {
    CMessageRecorder recorder;
    recorder.scriptAnswer(IDYES);
    int owner = 0;
    EXPECT_EQ(showMessage(&owner, u"Program?", u"Emulator KRV", MB_YESNO | MB_DEFBUTTON2), IDYES);
    EXPECT_EQ(showMessage(&owner, u"Program?", u"Emulator KRV", MB_YESNO | MB_DEFBUTTON2), IDNO);
    const auto shown = recorder.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].owner, &owner);
    EXPECT_EQ(shown[0].style, 0x104u);
}

TEST(ShowMessage, DefaultButtonFollowsTheStyle) {
    const std::pair<unsigned, int> cases[] = {
        {MB_OK, IDOK},
        {MB_ICONERROR, IDOK},
        {MB_ICONINFORMATION, IDOK},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
    };
    for (const auto& [style, button] : cases) {
        EXPECT_EQ(defaultButton(style), button) << style;
    }
}

TEST(ReportError, ShowsTheOperationNameAndTheFormattedErrorThenDeletesIt) {
    static bool deleted = false;
    class WatchedError : public CRSError {
    public:
        using CRSError::CRSError;
        ~WatchedError() override { deleted = true; }
    };
    class Raiser : public IErrorHelper<WatchedError> {};
    IError* caught = nullptr;
    try {
        Raiser().raise(6, u"CSerialPort::write() - GetLastError()=5", 183, "serialport");
    } catch (IError* error) {
        caught = error;
    }
    ASSERT_NE(caught, nullptr);
    const std::u16string formatted = caught->format();

    CMessageRecorder recorder;
    reportError(nullptr, u"CSettingsDlg::OnDeltaposSpinRpmDiv()", caught);
    EXPECT_TRUE(deleted);
    ASSERT_EQ(recorder.messages().size(), 1u);
    const RecordedMessage shown = recorder.messages()[0];
    EXPECT_EQ(shown.text, u"CSettingsDlg::OnDeltaposSpinRpmDiv()\n" + formatted);
    EXPECT_EQ(shown.caption, u"Emulator KRV");
    EXPECT_EQ(shown.style, MB_OK);
    EXPECT_EQ(formatted.substr(0, formatted.find(u'\n')), u"Nie można wykonać operacji na RS.");
    EXPECT_NE(formatted.find(u"CSerialPort::write() - GetLastError()=5"), std::u16string::npos);
    EXPECT_NE(formatted.find(u"serialport"), std::u16string::npos);
    EXPECT_NE(formatted.find(u"183"), std::u16string::npos);
}

} // namespace
} // namespace krv
