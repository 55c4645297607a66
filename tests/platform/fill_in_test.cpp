// Values put into translated texts: a language file decides where they go, never how many are
// read or how they are formatted.

#include "platform/text.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

TEST(FillIn, PutsEachValueAtTheNextPlaceholderAndNothingElse) {
    const struct {
        std::u16string_view text;
        std::u16string expected;
    } cases[] = {
        {u"%s: brak odpowiedzi", u"/dev/ttyUSB0: brak odpowiedzi"},
        {u"%s, grupa %s, %s", u"/dev/ttyUSB0, grupa dialout, dialout"},
        {u"bez miejsca", u"bez miejsca"},
        {u"%s %s %s %s", u"/dev/ttyUSB0 dialout dialout %s"}, // more places than values
        {u"%d %n %x %s%%", u"%d %n %x /dev/ttyUSB0%%"},       // printf's other fields stay text
        {u"%s", u"/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fillIn(c.text, {u"/dev/ttyUSB0", u"dialout", u"dialout"}), c.expected);
    }
    EXPECT_EQ(fillIn(u"%s", {u"%s"}), u"%s") << "a value is never read as a placeholder";
}

} // namespace
} // namespace krv
