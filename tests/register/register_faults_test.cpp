#include "register/car_register.h"
#include "register/register_texts.h"
#include "tests/register/register_states.h"
#include "tests/support/file_contents.h"
#include "tests/support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krv::reg {
namespace {

using test::controllerState;
using test::fileContents;

class RegisterFaults : public ::testing::Test {
protected:
    test::TempFolder folder_;
    std::string path_ = (folder_.path() / "register.sqlite").string();

    int64_t carWithOneVersion() {
        CarRegister reg(path_);
        CarDetails details;
        details.plate = "WX 12345";
        const int64_t car = reg.addCar(details).value();
        reg.recordState(car, controllerState(40), Cause::Connected);
        return car;
    }
    void expectFault(FaultKind kind, const std::function<void()>& operation) {
        try {
            operation();
            ADD_FAILURE() << "no fault";
        } catch (const DatabaseFault& fault) {
            EXPECT_EQ(fault.kind(), kind) << fault.what();
            const std::u16string message = faultMessage(fault, path_);
            EXPECT_NE(message.find(u"register.sqlite"), std::u16string::npos);
        }
    }
};

TEST_F(RegisterFaults, ADamagedOrNewerFileIsRefusedAndLeftAsItWas) {
    const struct {
        const char* what;
        FaultKind kind;
        std::function<void(const std::string& path)> spoil;
    } cases[] = {
        {"not a database", FaultKind::Damaged,
         [](const std::string& path) {
             std::ofstream(path, std::ios::trunc) << std::string(8192, 'x');
         }},
        {"pages overwritten", FaultKind::Damaged,
         [](const std::string& path) {
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(4096);
             file << std::string(8192, '\x5A');
         }},
        {"from a newer version", FaultKind::Newer,
         [](const std::string& path) { Database(path).exec("PRAGMA user_version = 99"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path_);
        std::filesystem::remove(path_ + "-wal");
        std::filesystem::remove(path_ + "-shm");
        carWithOneVersion();
        {
            // Many versions, so the file has pages past the first ones.
            CarRegister reg(path_);
            for (int i = 0; i < 60; ++i) {
                reg.recordState(1, controllerState(static_cast<uint8_t>(i)), Cause::Edit);
            }
        }
        c.spoil(path_);
        const std::string before = fileContents(path_);
        expectFault(c.kind, [&] {
            CarRegister reg(path_);
            reg.recordState(1, controllerState(200), Cause::Connected);
            for (const Car& car : reg.search("")) {
                reg.versions(car.id);
            }
        });
        EXPECT_EQ(fileContents(path_), before);
    }
}

TEST_F(RegisterFaults, ALockedRegisterFailsAfterTheBusyTimeout) {
    const int64_t car = carWithOneVersion();
    Database other(path_);
    other.exec("BEGIN EXCLUSIVE");
    CarRegister reg(path_, {.busyTimeoutMs = 50, .clock = {}});
    expectFault(FaultKind::Locked, [&] { reg.recordState(car, controllerState(41), Cause::Edit); });
    other.exec("COMMIT");
    reg.recordState(car, controllerState(41), Cause::Edit);
    EXPECT_EQ(reg.versions(car).size(), 2u);
}

TEST_F(RegisterFaults, AFullDiskStopsTheRecordingAndKeepsWhatWasThere) {
    const int64_t car = carWithOneVersion();
    CarRegister reg(path_);
    // The database's own size limit fails a write as a full disk does.
    Statement pages = reg.database().prepare("PRAGMA page_count");
    pages.step();
    reg.database().exec("PRAGMA max_page_count = " + std::to_string(pages.integer(0)));
    expectFault(FaultKind::Full, [&] {
        for (int i = 0; i < 200; ++i) {
            reg.recordState(car, controllerState(static_cast<uint8_t>(i)), Cause::Edit);
        }
    });
    EXPECT_EQ(reg.versions(car).front().state, controllerState(40));
}

TEST_F(RegisterFaults, AReadOnlyPlaceIsSaidSo) {
    carWithOneVersion();
    std::filesystem::remove(path_ + "-wal");
    std::filesystem::remove(path_ + "-shm");
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::group_exec |
                                                     std::filesystem::perms::others_read |
                                                     std::filesystem::perms::others_exec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_read |
                                            std::filesystem::perms::group_read |
                                            std::filesystem::perms::others_read);
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const std::string before = fileContents(path_);
    // Permissions do not bind the superuser: the open runs as nobody then.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) {
            _exit(3);
        }
        try {
            CarRegister reg(path_);
            reg.recordState(1, controllerState(41), Cause::Edit);
            _exit(1);
        } catch (const DatabaseFault& fault) {
            _exit(fault.kind() == FaultKind::ReadOnly ? 0 : 2);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written, 2: another fault, 3: no user to be";
    EXPECT_EQ(fileContents(path_), before);
}

} // namespace
} // namespace krv::reg
