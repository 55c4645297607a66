#include "connection/process_state.h"

namespace krv {

std::atomic<CLPGConnection*> processDevice{nullptr};
std::atomic<int> failureCount{0};
std::atomic<bool> foreignControllerReported{false};

} // namespace krv
