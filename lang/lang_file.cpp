#include "lang/lang_file.h"

#include <algorithm>
#include <fstream>

namespace krv {
namespace {

// A line holds at most this many characters, CR LF included; longer ones arrive in pieces.
constexpr std::size_t kMaxLineUnits = 2047;
// Skipped unread, whatever they hold.
constexpr std::size_t kByteOrderMarkBytes = 2;

// The UTF-16LE units after the byte-order mark; a dangling last byte is no character.
std::u16string utf16Units(std::string_view bytes) {
    bytes.remove_prefix(std::min(bytes.size(), kByteOrderMarkBytes));
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
}

// Backslash + t, r, n stand for TAB, CR, LF; any other backslash stands for itself.
void replaceEscapes(std::u16string& text) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        char16_t unit = text[in];
        if (unit == u'\\' && in + 1 < text.size()) {
            const char16_t next = text[in + 1];
            const char16_t control = next == u't'   ? u'\t'
                                     : next == u'r' ? u'\r'
                                     : next == u'n' ? u'\n'
                                                    : 0;
            if (control != 0) {
                unit = control;
                ++in;
            }
        }
        text[out++] = unit;
    }
    text.resize(out);
}

// The file's bytes, or nothing when it is no regular file, cannot be read or is too big.
std::optional<std::string> readLanguageFile(const std::filesystem::path& path) {
    // Directories and FIFOs would open but then answer nonsense or block.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > CLangFile::kMaxFileBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    // One byte more than the size said: a file that grows while read is no file to trust.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > size) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

LanguageLines::LanguageLines(std::string_view fileBytes) {
    const std::u16string units = utf16Units(fileBytes);
    const std::u16string_view all(units);
    std::u16string key;
    // Each read takes up to and including the next LF, at most kMaxLineUnits units.
    for (std::size_t pos = 0; pos < all.size();) {
        const std::u16string_view block = all.substr(pos, kMaxLineUnits);
        const std::size_t lf = block.find(u'\n');
        std::u16string_view line =
            block.substr(0, lf == std::u16string_view::npos ? block.size() : lf + 1);
        pos += line.size();
        if (line.ends_with(u"\r\n")) {
            line.remove_suffix(2);
        }
        const std::size_t firstTab = line.find(u'\t');
        if (firstTab == std::u16string_view::npos) {
            continue;
        }
        const std::size_t secondTab = line.find(u'\t', firstTab + 1);
        if (secondTab == std::u16string_view::npos) {
            continue; // a later line with the same key may still answer
        }
        key.assign(line.substr(0, firstTab));
        replaceEscapes(key);
        if (texts_.contains(key)) {
            continue; // the first usable line decides
        }
        std::u16string text(line.substr(secondTab + 1));
        replaceEscapes(text);
        texts_.emplace(key, std::move(text));
    }
}

std::optional<std::u16string> LanguageLines::find(std::u16string_view key) const {
    const auto found = texts_.find(key);
    if (found == texts_.end()) {
        return std::nullopt;
    }
    return found->second;
}

CLangFile::~CLangFile() {
    close();
}

bool CLangFile::open(const std::filesystem::path& path) {
    std::optional<std::string> bytes = readLanguageFile(path);
    std::lock_guard lock(mutex_);
    lines_.reset();
    path_.clear();
    if (!bytes) {
        return false;
    }
    lines_.emplace(*bytes);
    path_ = path;
    return true;
}

void CLangFile::close() {
    std::lock_guard lock(mutex_);
    lines_.reset();
    path_.clear();
}

bool CLangFile::isOpen() const {
    std::lock_guard lock(mutex_);
    return lines_.has_value();
}

std::filesystem::path CLangFile::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::u16string CLangFile::lookup(std::u16string_view key) const {
    std::lock_guard lock(mutex_);
    if (!lines_) {
        return {};
    }
    if (auto text = lines_->find(key)) {
        return std::move(*text);
    }
    std::u16string unchanged(key);
    replaceEscapes(unchanged);
    return unchanged;
}

std::optional<std::u16string> CLangFile::find(std::u16string_view key) const {
    std::lock_guard lock(mutex_);
    if (!lines_) {
        return std::nullopt;
    }
    return lines_->find(key);
}

} // namespace krv
