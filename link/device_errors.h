#pragma once
// Error categories of the device: a list the connection procedure appends to; nothing reads it.

#include <string>
#include <vector>

namespace krv {

class CDeviceErrorBase {
public:
    virtual ~CDeviceErrorBase() = default;
    virtual std::u16string categoryName() const = 0;
    const std::vector<std::u16string>& messages() const { return messages_; }

protected:
    std::vector<std::u16string> messages_;
};

// Frame errors: "Nieznana komenda", "Nieznana ramka", "Błędny nagłówek ramki", "Błąd CRC ramki",
// "Błąd inny niż transmisji", translated when stored.
class CTransmError : public CDeviceErrorBase {
public:
    CTransmError();
    // "Transmisja", translated each time it is asked for.
    std::u16string categoryName() const override;
};

class CLPGDeviceErr {
public:
    virtual ~CLPGDeviceErr() = default;
    void addErrorCategory(const CTransmError& category) { categories_.push_back(category); }
    const std::vector<CTransmError>& errorCategories() const { return categories_; }

private:
    std::vector<CTransmError> categories_;
};

} // namespace krv
