#include "tests/layering/include_rules.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>

namespace krv::layering {
namespace {

struct Folder {
    std::string_view name;
    int level;   // a folder includes its own level and those below
    bool qtFree; // the core, built and tested without Qt
};

// map_blocks, the readings log and connection share a level, as do firmware, calibration and
// the register of cars, and chart and map; cli sits above the core and below the window's
// folders.
constexpr std::array kFolders{
    Folder{"platform", 0, true},   Folder{"lang", 1, true},       Folder{"link", 2, true},
    Folder{"device", 3, true},     Folder{"map_blocks", 4, true}, Folder{"readings_log", 4, true},
    Folder{"connection", 4, true}, Folder{"firmware", 5, true},   Folder{"calibration", 5, true},
    Folder{"register", 5, true},   Folder{"cli", 6, true},        Folder{"chart", 7, false},
    Folder{"map", 7, false},       Folder{"app", 8, false},
};
constexpr std::array<std::string_view, 3> kFreeFolders{"sim", "tests", "bench"};
// Subfolders of the platform that are Qt: its widgets and window services.
constexpr std::array<std::string_view, 2> kQtPlatformFolders{"platform/qt/", "platform/grid/"};
constexpr std::string_view kNobodyIncludes = "cli";

std::string_view topFolder(std::string_view path) {
    return path.substr(0, path.find('/'));
}

std::optional<Folder> folderOf(std::string_view path) {
    const std::string_view top = topFolder(path);
    const auto found = std::ranges::find(kFolders, top, &Folder::name);
    if (found == kFolders.end()) {
        return std::nullopt;
    }
    return *found;
}

bool isQtPlatform(std::string_view path) {
    return std::ranges::any_of(
        kQtPlatformFolders, [path](std::string_view folder) { return path.starts_with(folder); });
}

bool isFree(std::string_view path) {
    return std::ranges::find(kFreeFolders, topFolder(path)) != kFreeFolders.end();
}

// The path of a quoted #include on this line, or nothing.
std::optional<std::string_view> quotedInclude(std::string_view line) {
    const auto skipBlanks = [&line] {
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    };
    skipBlanks();
    if (!line.starts_with('#')) {
        return std::nullopt;
    }
    line.remove_prefix(1);
    skipBlanks();
    if (!line.starts_with("include")) {
        return std::nullopt;
    }
    line.remove_prefix(std::string_view("include").size());
    skipBlanks();
    if (!line.starts_with('"')) {
        return std::nullopt;
    }
    line.remove_prefix(1);
    const std::size_t end = line.find('"');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return line.substr(0, end);
}

bool isSourceFile(const std::filesystem::path& path) {
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".hpp" || extension == ".cpp" || extension == ".cc";
}

} // namespace

std::string includeProblem(std::string_view fromFile, std::string_view included) {
    if (isFree(fromFile)) {
        return {};
    }
    const std::optional<Folder> from = folderOf(fromFile);
    if (!from) {
        return {};
    }
    if (included.starts_with("../") || included.find("/../") != std::string_view::npos) {
        return "reaches another folder by a relative path; name the folder instead";
    }
    const std::optional<Folder> to = folderOf(included);
    if (!to) {
        return {};
    }
    const std::string folder(to->name);
    if (to->name == kNobodyIncludes && from->name != kNobodyIncludes) {
        return folder + "/ is a program of its own: only sim, tests and bench include it";
    }
    if (to->level > from->level) {
        return std::string(from->name) + "/ may not include " + folder + "/, a folder above it";
    }
    const bool fromQtFree = from->qtFree && !isQtPlatform(fromFile);
    if (fromQtFree && isQtPlatform(included)) {
        return std::string(from->name) + "/ is Qt-free and may not include the Qt platform";
    }
    return {};
}

std::vector<std::string> layeringViolations(const std::filesystem::path& sourceRoot) {
    std::vector<std::string> violations;
    for (const Folder& folder : kFolders) {
        const auto top = sourceRoot / folder.name;
        if (!std::filesystem::is_directory(top)) {
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
            if (!entry.is_regular_file() || !isSourceFile(entry.path())) {
                continue;
            }
            const std::string file = entry.path().lexically_relative(sourceRoot).generic_string();
            std::ifstream in(entry.path());
            int lineNumber = 0;
            for (std::string line; std::getline(in, line);) {
                ++lineNumber;
                const auto included = quotedInclude(line);
                if (!included) {
                    continue;
                }
                const std::string problem = includeProblem(file, *included);
                if (!problem.empty()) {
                    violations.push_back(file + ":" + std::to_string(lineNumber) + ": \"" +
                                         std::string(*included) + "\": " + problem);
                }
            }
        }
    }
    std::ranges::sort(violations);
    return violations;
}

} // namespace krv::layering
