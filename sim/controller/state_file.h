#pragma once
// The controller's state as a JSON document, for scripts that check what a tool did to it.

#include "sim/controller/controller.h"

#include <string>

namespace krv::sim {

std::string stateJson(const ControllerState& state);
// Replaces the file atomically (temporary file, then rename); failures are ignored, the
// controller goes on answering.
void writeStateFile(const std::string& path, const ControllerState& state);

} // namespace krv::sim
