#include "platform/serial_ports.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace krv {
namespace {

class PortTable : public ::testing::Test {
protected:
    void SetUp() override {
        const char* saved = std::getenv("KRV_PORTS");
        saved_ = saved != nullptr ? std::optional<std::string>(saved) : std::nullopt;
    }
    void TearDown() override {
        if (saved_) {
            ::setenv("KRV_PORTS", saved_->c_str(), 1);
        } else {
            ::unsetenv("KRV_PORTS");
        }
    }
    std::optional<std::string> saved_;
};

TEST_F(PortTable, KrvPortsNamesThePortsInOrderFromOne) {
    ::setenv("KRV_PORTS", "/dev/null:/tmp/b::/dev/zero", 1);
    EXPECT_EQ(serialPortCount(), 4u);
    EXPECT_EQ(serialPortPath(1), "/dev/null");
    EXPECT_EQ(serialPortPath(2), "/tmp/b");
    EXPECT_EQ(serialPortPath(3), "");
    EXPECT_EQ(serialPortPath(4), "/dev/zero");
    EXPECT_EQ(serialPortPath(0), "");
    EXPECT_EQ(serialPortPath(5), "");
    EXPECT_EQ(serialPortPath(-1), "");

    ::setenv("KRV_PORTS", "", 1);
    EXPECT_EQ(serialPortCount(), 0u);
}

TEST_F(PortTable, PresentOnlyForCharacterDevices) {
    const std::string file = ::testing::TempDir() + "krv_not_a_device";
    std::ofstream(file) << "x";
    ::setenv("KRV_PORTS", ("/dev/null:" + file + ":/nonexistent/port:").c_str(), 1);
    EXPECT_TRUE(serialPortPresent(1));
    EXPECT_FALSE(serialPortPresent(2));
    EXPECT_FALSE(serialPortPresent(3));
    EXPECT_FALSE(serialPortPresent(4));
    EXPECT_FALSE(serialPortPresent(5));
    ::unlink(file.c_str());
}

TEST_F(PortTable, WithoutKrvPortsListsOnlyDevicePaths) {
    ::unsetenv("KRV_PORTS");
    for (const std::string& path : serialPortTable()) {
        EXPECT_EQ(path.rfind("/dev/", 0), 0u) << path;
    }
}

} // namespace
} // namespace krv
