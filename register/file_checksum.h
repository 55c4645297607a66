#pragma once
// The checksum a firmware update is registered with, so the file can be told again later.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace krv::reg {

// CRC-32 (as zip and PNG compute it).
uint32_t crc32Of(std::string_view bytes);
// Of a file's contents; nothing when it cannot be read.
std::optional<uint32_t> fileCrc32(const std::string& path);

} // namespace krv::reg
