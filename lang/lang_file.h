#pragma once
// One language file: UTF-16LE lines of key TAB note TAB text, read once at open into a table
// that answers as a scan from the top would (the files are read as other people write them,
// quirks included).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace krv {

// The usable lines of a language file's bytes (byte-order mark included), first line per key.
class LanguageLines {
public:
    LanguageLines() = default;
    explicit LanguageLines(std::string_view fileBytes);

    // The text of the first usable line for the key, or nothing.
    std::optional<std::u16string> find(std::u16string_view key) const;

private:
    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view key) const {
            return std::hash<std::u16string_view>{}(key);
        }
    };
    std::unordered_map<std::u16string, std::u16string, KeyHash, std::equal_to<>> texts_;
};

class CLangFile {
public:
    // A bigger file is no language file of this tool; it is refused as if it were absent.
    static constexpr std::uintmax_t kMaxFileBytes = 4 * 1024 * 1024;

    CLangFile() = default;
    CLangFile(const CLangFile&) = delete;
    CLangFile& operator=(const CLangFile&) = delete;
    virtual ~CLangFile();

    // Reads a regular file of at most kMaxFileBytes; false (and closed) when it cannot.
    // Opening an open object closes its previous file first.
    bool open(const std::filesystem::path& path);
    void close();
    bool isOpen() const;
    std::filesystem::path path() const;

    // The text of the first usable line for the key; the key itself (escapes applied) when
    // the open file has no such line; empty when no file is open.
    std::u16string lookup(std::u16string_view key) const;
    // The text of the first usable line for the key, or nothing (also when closed).
    std::optional<std::u16string> find(std::u16string_view key) const;

private:
    // Open and close may meet look-ups: the polling thread translates error messages too.
    mutable std::mutex mutex_;
    std::optional<LanguageLines> lines_;
    std::filesystem::path path_;
};

} // namespace krv
