#pragma once
// One language file: UTF-16LE lines of key TAB note TAB text, scanned from the top on every
// look-up (the files are small and are read as other people write them, quirks included).

#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace krv {

class CLangFile {
public:
    CLangFile() = default;
    CLangFile(const CLangFile&) = delete;
    CLangFile& operator=(const CLangFile&) = delete;
    virtual ~CLangFile();

    // Opens a regular file for raw reading; false (and closed) when it cannot. Opening an
    // open object closes its previous file first.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const;
    std::filesystem::path path() const;

    // The text of the first usable line for the key; the key itself (escapes applied) when
    // the open file has no such line; empty when no file is open.
    std::u16string lookup(std::u16string_view key);
    // The text of the first usable line for the key, or nothing (also when closed).
    std::optional<std::u16string> find(std::u16string_view key);

private:
    std::optional<std::u16string> scan(std::u16string_view key);

    // Look-ups move the stream position; the polling thread translates error messages too.
    mutable std::mutex mutex_;
    std::ifstream stream_;
    std::filesystem::path path_;
};

// The scan behind lookup: the first usable line for the key in UTF-16LE lines read from the
// stream's current position (after the byte-order mark).
std::optional<std::u16string> findInLanguageLines(std::istream& lines, std::u16string_view key);

} // namespace krv
