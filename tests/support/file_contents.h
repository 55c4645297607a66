#pragma once
// A whole file as text, for tests that check what the tool wrote; "" when it cannot be read.

#include <fstream>
#include <sstream>
#include <string>

namespace krv::test {

inline std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace krv::test
