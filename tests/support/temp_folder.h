#pragma once
// A fresh folder under the system's temporary directory, removed with everything in it at the
// end, even where a test took the owner's permissions away.

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace krv::test {

class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        // A name no other folder has yet: create_directory makes it or says it was there.
        for (unsigned attempt = 0; path_.empty(); ++attempt) {
            const auto candidate = std::filesystem::temp_directory_path() /
                                   ("krv-" + std::to_string(std::random_device{}()));
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate;
            } else if (attempt > 100) {
                throw std::runtime_error("cannot create a temporary folder");
            }
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "krv-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const {
        return path_;
    }

private:
    std::filesystem::path path_;
};

} // namespace krv::test
