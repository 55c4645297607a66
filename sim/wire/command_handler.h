#pragma once
// The controller's side of one exchange, as the simulator's wire layer hands it over:
// a request whose checksum was right, already unscrambled.

#include <cstdint>
#include <optional>
#include <vector>

namespace krv::sim {

struct Frame {
    uint8_t type = 0;
    std::vector<uint8_t> payload; // plain bytes, at most 253
};

class ICommandHandler {
public:
    virtual ~ICommandHandler() = default;
    // The reply to send (the wire layer adds a fresh key, scrambles and checksums it),
    // or nothing to stay silent.
    virtual std::optional<Frame> handle(const Frame& request) = 0;
};

} // namespace krv::sim
