#include "device/map_file/map_backups.h"

#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

namespace krv {
namespace {

std::string timestampName() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    const std::tm local = localCalendarTime(seconds);
    char stamp[40];
    const size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    std::snprintf(stamp + length, sizeof stamp - length, ".%03d", static_cast<int>(millis));
    return stamp;
}

// Age goes by the modification time, not the name: with the clock set back, new backups get
// names older than the rest, and pruning by name would delete each one as soon as written.
// The backup just written is never a candidate, whatever its time says.
void removeOldBackups(const std::string& folder, const std::string& justWritten) {
    struct Backup {
        std::filesystem::file_time_type modified;
        std::string name;
        auto operator<=>(const Backup&) const = default;
    };
    const std::string kept = std::filesystem::path(justWritten).filename().string();
    std::error_code error;
    std::vector<Backup> others;
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string name = entry.path().filename().string();
        if (!isMapBackupName(name) || !entry.is_regular_file(error)) {
            continue;
        }
        ++count;
        const auto modified = entry.last_write_time(error);
        if (name != kept && !error) {
            others.push_back({modified, std::move(name)});
        }
    }
    if (count <= kBackupsKept) {
        return;
    }
    std::sort(others.begin(), others.end());
    const size_t surplus = std::min(count - kBackupsKept, others.size());
    for (size_t i = 0; i < surplus; ++i) {
        std::filesystem::remove(folder + "/" + others[i].name, error);
    }
}

MapBackupWrite failure(const std::string& folder, int error) {
    MapBackupWrite write;
    write.error = translate(texts::kBackupFailed) + u"\n" + toU16(folder) + u": " +
                  toU16(std::strerror(error));
    return write;
}

} // namespace

bool isMapBackupName(const std::string& name) {
    return name.size() > 24 && name[4] == '-' && name[10] == '_' && name[19] == '.' &&
           name.ends_with(".csv") && std::isdigit(static_cast<unsigned char>(name[0]));
}

std::string mapBackupFolder() {
    const std::string base = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "/Morvelcast/backups";
}

MapBackupWrite writeMapBackup(const std::string& folder, std::string_view operation,
                              const MapSnapshot& snapshot, const MapFileInfo& info) {
    if (folder.empty()) {
        return failure(folder, ENOENT);
    }
    if (!makeDirectories(folder)) {
        return failure(folder, errno);
    }
    // Written under a temporary name, then linked to its own name, which fails rather than
    // replace a backup written in the same millisecond.
    const std::string stem = folder + "/" + timestampName() + "_" + std::string(operation);
    const std::string temporary =
        folder + "/.writing-" + std::to_string(currentProcessId()) + ".csv";
    if (!replaceFileAtomically(temporary, formatMapFile(snapshot, info), 0600)) {
        return failure(folder, errno);
    }
    MapBackupWrite write;
    for (int attempt = 1; !write.ok; ++attempt) {
        write.path = stem + (attempt == 1 ? "" : "-" + std::to_string(attempt)) + ".csv";
        if (addNameUnlessTaken(temporary, write.path)) {
            write.ok = true;
        } else if (errno != EEXIST) {
            const int error = errno;
            removeFile(temporary);
            return failure(folder, error);
        }
    }
    removeFile(temporary);
    removeOldBackups(folder, write.path);
    return write;
}

MapBackupWrite writeMapBackup(std::string_view operation, const MapSnapshot& snapshot,
                              const MapFileInfo& info) {
    return writeMapBackup(mapBackupFolder(), operation, snapshot, info);
}

} // namespace krv
