#include "connection/diag_file.h"

#include "platform/text.h"

namespace krv {

CDiagFile::~CDiagFile() {
    close();
}

bool CDiagFile::open(std::u16string_view name, bool writeMode) {
    close();
    writeMode_ = writeMode;
    if (name.empty() || name == kNoFileName) {
        return false;
    }
    file_ = std::fopen(toUtf8(name).c_str(), writeMode ? "w" : "r");
    if (file_ == nullptr) {
        return false;
    }
    name_ = name;
    return true;
}

void CDiagFile::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
        name_.clear();
    }
}

} // namespace krv
