// The Windows back end where Wine shows what Windows does: the registry value, files replaced
// whole, paths, the code page, exclusive reading, and a COM port when the lane maps one.

#include "platform/atomic_file.h"
#include "platform/code_page_1250.h"
#include "platform/exclusive_file.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/regular_file.h"
#include "platform/serial_line.h"
#include "platform/serial_ports.h"
#include "platform/settings_file.h"
#include "platform/windows/system.h"
#include "platform/writable_file.h"
#include "tests/support/temp_folder.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace krv {
namespace {

using namespace std::chrono_literals;

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A key of its own under HKEY_CURRENT_USER, removed at the end.
class RegistryKey : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, windows::widen(key).c_str()); }
    const std::string key = "Software\\KrvTest" + std::to_string(currentProcessId());
};

TEST_F(RegistryKey, LastPortIsAStringValueWithItsTerminatorCounted) {
    EXPECT_EQ(CSettingsFile::defaultPath(), "Software\\Morvelcast");
    const CSettingsFile settings(key);
    EXPECT_FALSE(settings.read("Last RS nr")) << "no key yet";
    ASSERT_TRUE(settings.write("Last RS nr", "12"));
    EXPECT_EQ(settings.read("Last RS nr"), "12");

    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, windows::widen(key).c_str(), 0, KEY_READ, &opened),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD bytes = 0;
    RegQueryValueExW(opened, L"Last RS nr", nullptr, &type, nullptr, &bytes);
    RegCloseKey(opened);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 3u * sizeof(wchar_t)) << "'1', '2' and the NUL";

    ASSERT_TRUE(settings.write("Last RS nr", "7"));
    EXPECT_EQ(settings.read("Last RS nr"), "7") << "replaced, no longer text left over";
}

TEST_F(RegistryKey, ValueOfAnyTypeOrLengthReadsAsText) {
    HKEY made = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, windows::widen(key).c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &made, nullptr),
              ERROR_SUCCESS);
    // Stored by hand without a terminator and as binary: the type is not looked at.
    const wchar_t digits[] = {L'4', L'2'};
    RegSetValueExW(made, L"unterminated", 0, REG_BINARY, reinterpret_cast<const BYTE*>(digits),
                   sizeof digits);
    const std::wstring longText(400, L'9');
    RegSetValueExW(made, L"long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.c_str()),
                   static_cast<DWORD>((longText.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(made, L"empty", 0, REG_SZ, nullptr, 0);
    RegCloseKey(made);

    const CSettingsFile settings(key);
    EXPECT_EQ(settings.read("unterminated"), "42");
    EXPECT_FALSE(settings.read("long")) << "longer than the buffer the value is read into";
    EXPECT_FALSE(settings.read("empty"));
    EXPECT_FALSE(settings.write("two\nlines", "1"));
}

TEST(WindowsFiles, ReplacedWholeAndNeverOverAFolder) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "deep" / "er" / "settings.ini").string();
    errno = 0;
    EXPECT_FALSE(replaceFileAtomically(path, "first\n"));
    EXPECT_EQ(errno, ENOENT) << "a missing folder is not made";
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "deep"));
    ASSERT_TRUE(makeDirectories(directoryOf(path)));
    ASSERT_TRUE(replaceFileAtomically(path, "first\n")) << errno;
    ASSERT_TRUE(replaceFileAtomically(path, "second\r\n")) << errno;
    EXPECT_EQ(readAll(path), "second\r\n") << "bytes as given, no text-mode newlines";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directoryOf(path)),
                            std::filesystem::directory_iterator{}),
              1)
        << "no temporary file left behind";

    errno = 0;
    EXPECT_FALSE(replaceFileAtomically(folder.path().string(), "x"));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(directoryOf("C:\\Users\\fitter\\a.csv"), "C:\\Users\\fitter");
    EXPECT_EQ(directoryOf("C:/Users/fitter/a.csv"), "C:/Users/fitter");

    const std::string second = (folder.path() / "deep" / "other.ini").string();
    ASSERT_TRUE(addNameUnlessTaken(path, second));
    errno = 0;
    EXPECT_FALSE(addNameUnlessTaken(path, second));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(removeFile(second));
    EXPECT_FALSE(std::filesystem::exists(second));
}

TEST(WindowsFiles, AWriteLeftUncommittedOrRefusedLeavesEverythingAsItWas) {
    test::TempFolder folder;
    const std::string path = (folder.path() / "drive.msl").string();
    ASSERT_TRUE(replaceFileAtomically(path, "old"));
    {
        AtomicFileWrite file(path);
        ASSERT_TRUE(file.write("half of the new"));
        ASSERT_TRUE(file.sync());
    }
    EXPECT_EQ(readAll(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator{}),
              1)
        << "the temporary file goes with the write";

    AtomicFileWrite device("NUL");
    EXPECT_FALSE(device.ok());
    EXPECT_EQ(device.error(), ENOTSUP) << "a device is never replaced by a file";
    EXPECT_FALSE(device.write("x"));

    // A file another program holds open without sharing cannot be replaced under it.
    {
        windows::Handle holder(CreateFileW(windows::widen(path).c_str(), GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.valid());
        AtomicFileWrite blocked(path);
        ASSERT_TRUE(blocked.write("new"));
        EXPECT_FALSE(blocked.commit());
        EXPECT_NE(blocked.error(), 0);
    }
    EXPECT_EQ(readAll(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator{}),
              1);
}

TEST(WindowsFiles, FileInTheWayOfAFolderIsRefused) {
    test::TempFolder folder;
    const std::string blocker = (folder.path() / "blocker").string();
    ASSERT_TRUE(replaceFileAtomically(blocker, "x"));
    errno = 0;
    EXPECT_FALSE(makeDirectories(blocker));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(makeDirectories(blocker + "/below"));
}

TEST(WindowsFiles, ReadingRefusesDevicesFoldersAndOversizedFiles) {
    test::TempFolder folder;
    const std::string file = (folder.path() / "map.csv").string();
    ASSERT_TRUE(replaceFileAtomically(file, std::string(100, 'x')));
    EXPECT_EQ(readRegularFile(file, 100).bytes.size(), 100u);
    EXPECT_EQ(readRegularFile(file, 99).fault, FileReadFault::tooLarge);
    EXPECT_EQ(readRegularFile(folder.path().string(), 100).fault, FileReadFault::notRegular);
    EXPECT_EQ(readRegularFile("NUL", 100).fault, FileReadFault::notRegular);
    const RegularFileRead missing = readRegularFile(file + ".gone", 100);
    EXPECT_EQ(missing.fault, FileReadFault::cannotOpen);
    EXPECT_EQ(missing.error, ENOENT);
}

TEST(WindowsFiles, OutputFileIsToldWritableBeforeAnythingIsProduced) {
    using State = WritableFile::State;
    test::TempFolder folder;
    const std::string existing = (folder.path() / "log.csv").string();
    const std::string readOnly = (folder.path() / "kept.csv").string();
    ASSERT_TRUE(replaceFileAtomically(existing, "old"));
    ASSERT_TRUE(replaceFileAtomically(readOnly, "old"));
    ASSERT_TRUE(SetFileAttributesW(windows::widen(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    const struct {
        std::string path;
        State state;
        int error;
    } cases[] = {
        {existing, State::existing, 0},
        {(folder.path() / "new.csv").string(), State::created, 0},
        {readOnly, State::no, EACCES},
        {folder.path().string(), State::no, EISDIR},
        {(folder.path() / "typo" / "log.csv").string(), State::no, ENOENT},
        {(folder.path() / "what?.csv").string(), State::no, EINVAL},
    };
    for (const auto& c : cases) {
        const WritableFile file = prepareWritableFile(c.path);
        EXPECT_EQ(file.state, c.state) << c.path;
        EXPECT_EQ(file.error, c.error) << c.path;
    }
    EXPECT_EQ(readAll(existing), "old") << "an existing file is not touched";
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "new.csv"));
    SetFileAttributesW(windows::widen(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsFiles, FirmwareFileBeingWrittenIsNotRead) {
    test::TempFolder folder;
    const std::filesystem::path file = folder.path() / "new.afm";
    ASSERT_TRUE(replaceFileAtomically(file.string(), "image"));
    {
        ExclusiveFile reader(file);
        ASSERT_TRUE(reader.isOpen());
        std::uint8_t bytes[16];
        EXPECT_EQ(reader.read(bytes), 5u);
    }
    windows::Handle writer(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_FALSE(ExclusiveFile(file).isOpen()) << "another program is writing it";
    EXPECT_FALSE(ExclusiveFile(folder.path()).isOpen());
}

TEST(WindowsPaths, BesideTheExecutableAndTheUsersFolders) {
    const std::string beside = executableDirectory();
    ASSERT_FALSE(beside.empty());
    EXPECT_EQ(beside.back(), '/');
    EXPECT_EQ(beside.find('\\'), std::string::npos) << "one kind of separator: " << beside;
    EXPECT_TRUE(std::filesystem::exists(windows::widen(beside + "platform_windows.exe")));

    _putenv_s("XDG_DATA_HOME", "");
    _putenv_s("XDG_CONFIG_HOME", "relative/ignored");
    const std::string local = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    const std::string roaming = xdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    std::string expectedLocal = std::getenv("LOCALAPPDATA");
    std::string expectedRoaming = std::getenv("APPDATA");
    for (std::string* path : {&expectedLocal, &expectedRoaming}) {
        std::replace(path->begin(), path->end(), '\\', '/');
    }
    EXPECT_EQ(local, expectedLocal) << "map backups and the register stay on this computer";
    EXPECT_EQ(roaming, expectedRoaming);
    _putenv_s("XDG_DATA_HOME", "D:\\Data");
    EXPECT_EQ(xdgBaseDirectory("XDG_DATA_HOME", ".local/share"), "D:/Data");
    _putenv_s("XDG_DATA_HOME", "");
    _putenv_s("XDG_CONFIG_HOME", "");
}

TEST(WindowsText, CodePage1250AndLocalTime) {
    const struct {
        const char* bytes;
        std::u16string text;
    } cases[] = {
        {"Zielona G\xF3ra", u"Zielona Góra"},
        {"\xA5\xB9\x8C\x9C\xAF\xBF", u"ĄąŚśŻż"},
        {"\x98", u"\uFFFD"}, // undefined in the code page
        {"\x80", u"€"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromCodePage1250(c.bytes), c.text) << c.bytes;
    }
    const std::string stamp = localTimeIso8601(1765000000);
    EXPECT_TRUE(
        std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
        << stamp;
}

TEST(WindowsPorts, TableIsCom1ToCom256) {
    EXPECT_EQ(serialPortCount(), 256u);
    EXPECT_EQ(serialPortPath(1), "COM1");
    EXPECT_EQ(serialPortPath(256), "COM256");
    EXPECT_EQ(serialPortPath(257), "");
    EXPECT_TRUE(sameFile("COM12", "\\\\.\\com12"));
    EXPECT_FALSE(sameFile("COM1", "COM12"));
    SerialLine line;
    EXPECT_EQ(line.open("COM256"), ENOENT) << "nothing mapped there";
}

// The lane maps this port to the Linux simulator (cli_on_com_port.sh).
std::string mappedPort() {
    const char* port = std::getenv("KRV_TEST_COM_PORT");
    return port != nullptr ? port : "";
}

TEST(WindowsComPort, ReadsTimeOutAndStopOnInterrupt) {
    const std::string port = mappedPort();
    if (port.empty()) {
        GTEST_SKIP() << "KRV_TEST_COM_PORT names no port (cli_on_com_port.sh sets it)";
    }
    ASSERT_TRUE(serialDevicePresent(port));
    SerialLine line;
    ASSERT_EQ(line.open(port), 0);
    ASSERT_EQ(line.applySettings({}), 0);
    EXPECT_EQ(line.applySettings({.baudRate = 12345}), EINVAL);
    line.setTimeouts({.readTotalMultiplierMs = 1, .readTotalConstantMs = 200});
    EXPECT_EQ(line.purgeInput(), 0);
    EXPECT_EQ(line.takeLineErrors(), 0u);

    // The simulator says nothing unasked: a read ends at its time-out with nothing.
    uint8_t buffer[4];
    size_t done = 99;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, done), 0);
    EXPECT_EQ(done, 0u);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 2s);

    // Another thread cuts a long read short, and every read after it until resumeWaits.
    line.setTimeouts({.readTotalMultiplierMs = 1, .readTotalConstantMs = 20000});
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        line.interruptWaits();
    });
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, done), 0);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, done), 0);
    line.pause(5s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    line.resumeWaits();
    EXPECT_EQ(line.close(), 0);
    EXPECT_EQ(line.read(buffer, sizeof buffer, done), EBADF);
}

} // namespace
} // namespace krv
