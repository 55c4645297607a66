#pragma once
// Serial-port failures: code 5 when a port cannot be opened, 6 for every other operation.

#include "platform/error.h"

namespace krv {

inline constexpr unsigned kRsOpenFailed = 5;
inline constexpr unsigned kRsOperationFailed = 6;

class CRSError : public IError {
public:
    using IError::IError;
    // The two user messages, translated when stored.
    void fillMessages() override;
    std::u16string_view className() const override { return u"CRSError"; }
};

} // namespace krv
