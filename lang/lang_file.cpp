#include "lang/lang_file.h"

#include <algorithm>
#include <array>

namespace krv {
namespace {

// A line holds at most this many characters, CR LF included; longer ones arrive in pieces.
constexpr std::size_t kMaxLineUnits = 2047;
constexpr std::streamoff kByteOrderMarkBytes = 2;

// Reads UTF-16LE lines the way the format's readers do: up to and including the next LF,
// at most kMaxLineUnits units per read. A dangling last byte is no character and is dropped.
class Utf16LineReader {
public:
    explicit Utf16LineReader(std::istream& in) : in_(in) {}

    // The next line, valid until the next call; empty at the end of the file.
    std::u16string_view next() {
        line_.clear();
        for (;;) {
            if (pos_ == units_.size() && !refill()) {
                return line_;
            }
            const std::size_t room = kMaxLineUnits - line_.size();
            const std::size_t limit = std::min(units_.size(), pos_ + room);
            const std::u16string_view block = units_.substr(pos_, limit - pos_);
            const std::size_t lf = block.find(u'\n');
            const bool complete = lf != std::u16string_view::npos || block.size() == room;
            const std::u16string_view piece =
                block.substr(0, lf == std::u16string_view::npos ? block.size() : lf + 1);
            pos_ += piece.size();
            if (complete && line_.empty()) {
                return piece; // the common case: the whole line lies in the block
            }
            line_.append(piece);
            if (complete) {
                return line_;
            }
        }
    }

private:
    // Plain pointers: this loop is the hot part of every look-up, also in unoptimised builds.
    bool refill() {
        bytes_[0] = carry_;
        const std::size_t carried = hasCarry_ ? 1 : 0;
        in_.read(bytes_.data() + carried, static_cast<std::streamsize>(bytes_.size() - carried));
        const std::size_t count = carried + static_cast<std::size_t>(in_.gcount());
        const auto* byte = reinterpret_cast<const unsigned char*>(bytes_.data());
        char16_t* unit = unitBuffer_.data();
        const std::size_t unitCount = count / 2;
        for (std::size_t i = 0; i < unitCount; ++i, byte += 2) {
            unit[i] = static_cast<char16_t>(byte[0] | byte[1] << 8);
        }
        hasCarry_ = count % 2 != 0;
        carry_ = hasCarry_ ? bytes_[count - 1] : '\0';
        units_ = std::u16string_view(unitBuffer_.data(), unitCount);
        pos_ = 0;
        return unitCount != 0;
    }

    std::istream& in_;
    std::array<char, 8192> bytes_;
    char carry_ = 0;
    bool hasCarry_ = false;
    std::array<char16_t, 4096> unitBuffer_;
    std::u16string_view units_;
    std::size_t pos_ = 0;
    std::u16string line_;
};

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

} // namespace

CLangFile::~CLangFile() {
    close();
}

bool CLangFile::open(const std::filesystem::path& path) {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) {
        stream_.close();
        path_.clear();
    }
    // Directories and FIFOs would open but then answer nonsense or block every look-up.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    stream_.open(path, std::ios::in | std::ios::binary);
    if (!stream_.is_open()) {
        return false;
    }
    path_ = path;
    return true;
}

void CLangFile::close() {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) {
        stream_.close();
        path_.clear();
    }
}

bool CLangFile::isOpen() const {
    std::lock_guard lock(mutex_);
    return stream_.is_open();
}

std::filesystem::path CLangFile::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

std::u16string CLangFile::lookup(std::u16string_view key) {
    std::lock_guard lock(mutex_);
    if (!stream_.is_open()) {
        return {};
    }
    if (auto text = scan(key)) {
        return std::move(*text);
    }
    std::u16string unchanged(key);
    replaceEscapes(unchanged);
    return unchanged;
}

std::optional<std::u16string> CLangFile::find(std::u16string_view key) {
    std::lock_guard lock(mutex_);
    if (!stream_.is_open()) {
        return std::nullopt;
    }
    return scan(key);
}

std::optional<std::u16string> CLangFile::scan(std::u16string_view key) {
    stream_.clear();
    stream_.seekg(kByteOrderMarkBytes);
    return findInLanguageLines(stream_, key);
}

std::optional<std::u16string> findInLanguageLines(std::istream& lines, std::u16string_view key) {
    Utf16LineReader reader(lines);
    std::u16string escapedKey;
    for (std::u16string_view line = reader.next(); !line.empty(); line = reader.next()) {
        if (line.ends_with(u"\r\n")) {
            line.remove_suffix(2);
        }
        const std::size_t firstTab = line.find(u'\t');
        if (firstTab == std::u16string_view::npos) {
            continue;
        }
        std::u16string_view lineKey = line.substr(0, firstTab);
        if (lineKey.find(u'\\') != std::u16string_view::npos) {
            escapedKey.assign(lineKey);
            replaceEscapes(escapedKey);
            lineKey = escapedKey;
        }
        if (lineKey != key) {
            continue;
        }
        const std::size_t secondTab = line.find(u'\t', firstTab + 1);
        if (secondTab == std::u16string_view::npos) {
            continue;
        }
        std::u16string text(line.substr(secondTab + 1));
        replaceEscapes(text);
        return text;
    }
    return std::nullopt;
}

} // namespace krv
