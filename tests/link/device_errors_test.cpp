#include "link/device_errors.h"
#include "link/rs_error.h"

#include <gtest/gtest.h>

namespace krv {
namespace {

// With no language set up, translate leaves the built-in texts as they are.
TEST(ErrorTexts, CarryTheBuiltInMessagesInOrder) {
    CRSError error(5, u"text", 68, u"serialport");
    error.fillMessages();
    EXPECT_EQ(error.className(), u"CRSError");
    EXPECT_EQ(error.messages(),
              (std::vector<std::u16string>{u"Nie można otworzyć portu RS.",
                                           u"Nie można wykonać operacji na RS."}));

    const CTransmError category;
    EXPECT_EQ(category.categoryName(), u"Transmisja");
    EXPECT_EQ(category.messages(),
              (std::vector<std::u16string>{u"Nieznana komenda", u"Nieznana ramka",
                                           u"Błędny nagłówek ramki", u"Błąd CRC ramki",
                                           u"Błąd inny niż transmisji"}));

    CLPGDeviceErr device;
    device.addErrorCategory(category);
    device.addErrorCategory(category);
    EXPECT_EQ(device.errorCategories().size(), 2u);
}

} // namespace
} // namespace krv
