#pragma once
// The polling thread's optional diagnostics file. Nothing writes to it; the thread opens it
// under the name it is given and closes it when it stops.

#include <cstdio>
#include <string>
#include <string_view>

namespace krv {

class CDiagFile {
public:
    // The name the polling thread is always given. It stood for a directory where the tool
    // began; here it would be an ordinary file in the working directory, so it is never opened.
    static constexpr std::u16string_view kNoFileName = u"\\";

    CDiagFile() = default;
    CDiagFile(const CDiagFile&) = delete;
    CDiagFile& operator=(const CDiagFile&) = delete;
    virtual ~CDiagFile();

    // Opens for writing (created or emptied) or reading. False, with no name kept, when it
    // cannot be opened or the name is kNoFileName.
    bool open(std::u16string_view name, bool writeMode);
    void close();

    bool isOpen() const { return file_ != nullptr; }
    bool writeMode() const { return writeMode_; }
    const std::u16string& name() const { return name_; }

private:
    bool writeMode_ = false;
    std::FILE* file_ = nullptr;
    std::u16string name_;
};

} // namespace krv
