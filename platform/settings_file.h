#pragma once
// The tool's remembered values: lines "name=value" in
// ${XDG_CONFIG_HOME:-$HOME/.config}/Morvelcast/settings.ini, on Windows the values (REG_SZ) of
// the key HKEY_CURRENT_USER\Software\Morvelcast, which is the "path" there. Failures are silent
// by design: a value that cannot be read is missing, a value that cannot be written keeps the
// old one.

#include <optional>
#include <string>
#include <string_view>

namespace krv {

class CSettingsFile {
public:
    // The tool writes a few short lines; a larger file is not read at all (as if it could not
    // be), so that a runaway file costs no time or memory at each connect.
    static constexpr size_t kMaxFileBytes = 1024 * 1024;

    // The settings file of the current user, or "" when neither XDG_CONFIG_HOME nor HOME
    // tells where it lives.
    static std::string defaultPath();

    explicit CSettingsFile(std::string path = defaultPath());

    const std::string& path() const { return path_; }
    // The text after "name=" on the first line that starts with it; nothing when the file or
    // the line is missing.
    std::optional<std::string> read(std::string_view name) const;
    // Sets the value and keeps every other line. The file is replaced atomically (temporary
    // file, fsync, rename), so a crash leaves the old or the new file, never a torn one. A file
    // that is there but cannot be read is left alone, and false returned.
    bool write(std::string_view name, std::string_view value) const;

private:
    std::string path_;
};

// Decimal text read like atoi: leading blanks, an optional sign, digits up to the first
// non-digit; 0 when there is no digit. Values beyond int saturate instead of overflowing.
int parseLeadingInt(std::string_view text);

} // namespace krv
