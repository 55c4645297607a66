#pragma once
// A test that cannot have what it needs from the machine (a pseudo-terminal) fails and says
// why, so that a run which tested nothing never passes. On a machine known to lack it,
// KRV_ALLOW_SKIP=1 makes such tests skip instead.

#include <cstdlib>
#include <string>
#include <string_view>

namespace krv::test {

inline bool skipAllowed() {
    const char* allow = std::getenv("KRV_ALLOW_SKIP");
    return allow != nullptr && std::string_view(allow) == "1";
}

inline std::string unavailableMessage(std::string_view reason) {
    return std::string(reason) + (skipAllowed() ? "" : " (KRV_ALLOW_SKIP=1 skips such tests)");
}

} // namespace krv::test

// In a GoogleTest test or SetUp: skip when allowed, else fail; returns either way.
#define KRV_GTEST_UNAVAILABLE(reason)                                                              \
    do {                                                                                           \
        const std::string krvUnavailable = ::krv::test::unavailableMessage(reason);                \
        if (::krv::test::skipAllowed()) {                                                          \
            GTEST_SKIP() << krvUnavailable;                                                        \
        }                                                                                          \
        FAIL() << krvUnavailable;                                                                  \
    } while (false)

// In a Qt Test function: skip when allowed, else fail; returns either way.
#define KRV_QTEST_UNAVAILABLE(reason)                                                              \
    do {                                                                                           \
        const std::string krvUnavailable = ::krv::test::unavailableMessage(reason);                \
        if (::krv::test::skipAllowed()) {                                                          \
            QSKIP(krvUnavailable.c_str());                                                         \
        }                                                                                          \
        QFAIL(krvUnavailable.c_str());                                                             \
    } while (false)
