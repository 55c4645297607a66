#pragma once
// Which folder may include which: the layers from the bottom up, the Qt-free core, the
// command-line program that nothing includes, and the folders that may include anything.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace krv::layering {

// Why `fromFile` (a path from the source root) may not include `included` (a quoted include
// path); empty when it may.
std::string includeProblem(std::string_view fromFile, std::string_view included);

// "file:line: problem" for every quoted include of the C++ files of the layered folders
// under the source root.
std::vector<std::string> layeringViolations(const std::filesystem::path& sourceRoot);

} // namespace krv::layering
