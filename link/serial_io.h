#pragma once
// What the frame exchange needs of a port. CSerialPort is the real one; the fuzzer feeds
// bytes through a memory-backed one.

#include <cstddef>
#include <cstdint>

namespace krv {

class ISerialIo {
public:
    virtual ~ISerialIo() = default;
    // Count received (a time-out gives fewer bytes, not a failure); OS failures throw.
    virtual size_t read(uint8_t* buffer, size_t count) = 0;
    virtual size_t write(const uint8_t* buffer, size_t count) = 0;
    virtual void purgeIn() = 0;
    // Pending line-error flags, cleared by asking; non-zero also when the query failed.
    virtual uint32_t clearCommError() = 0;
};

} // namespace krv
