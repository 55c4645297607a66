#include "lang/lang_file.h"
#include "lang/language_setup.h"
#include "lang/language_table.h"
#include "lang/program_texts.h"
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

class TranslatedErrorTexts : public testing::TestWithParam<LanguageFileName> {
protected:
    void TearDown() override {
        closeLanguageFiles();
        setLanguageSlot(kBuiltInSlot);
    }
};

// The message lists are filled in the language active when the error is made, from the
// shipped language files.
TEST_P(TranslatedErrorTexts, HoldTheTextsOfTheActiveLanguage) {
    const LanguageFileName language = GetParam();
    CLangFile file;
    ASSERT_TRUE(file.open(std::filesystem::path(KRV_LANG_DIR) / language.name));
    const auto translated = [&file](std::u16string_view polish) {
        const std::optional<std::u16string> text = file.find(polish);
        EXPECT_TRUE(text && !text->empty() && *text != polish) << "no translation in the file";
        return text.value_or(u"");
    };
    openLanguageFiles(KRV_LANG_DIR);
    setLanguageSlot(language.slot);

    CRSError error(kRsOperationFailed, u"CSerialPort::write()", 12, u"serial_port.cpp");
    error.fillMessages();
    EXPECT_EQ(error.messages(),
              (std::vector<std::u16string>{translated(texts::kCannotOpenPort),
                                           translated(texts::kPortOperationFailed)}));
    EXPECT_TRUE(error.format().starts_with(translated(texts::kPortOperationFailed)));

    const CTransmError category;
    EXPECT_EQ(category.categoryName(), translated(texts::kTransmission));
    EXPECT_EQ(category.messages(),
              (std::vector<std::u16string>{
                  translated(texts::kUnknownCommand), translated(texts::kUnknownFrame),
                  translated(texts::kBadFrameHeader), translated(texts::kFrameCrcError),
                  translated(texts::kNonTransmissionError)}));
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, TranslatedErrorTexts,
                         testing::Values(LanguageFileName{kEnglishSlot, "ENGLISH.txt"},
                                         LanguageFileName{kRussianSlot, "RUSSIAN.txt"},
                                         LanguageFileName{kSpanishSlot, "SPAIN.txt"}),
                         [](const auto& info) {
                             return std::string(info.param.name, 0, info.param.name.find('.'));
                         });

} // namespace
} // namespace krv
