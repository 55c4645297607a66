#pragma once

#include "sim/wire/command_handler.h"

namespace krv::sim {

// Answers every request with its own frame type and payload (one zero byte for an empty one,
// since a reply needs at least one payload byte), so the host sees its data come back intact.
class CAckHandler : public ICommandHandler {
public:
    std::optional<Frame> handle(const Frame& request) override {
        Frame reply = request;
        if (reply.payload.empty()) {
            reply.payload.push_back(0);
        }
        return reply;
    }
};

} // namespace krv::sim
