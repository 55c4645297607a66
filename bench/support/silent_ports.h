#pragma once
// Pseudo-terminals whose other end nobody answers: ports a controller is not on.

#include <string>
#include <vector>

namespace krv::bench {

// The port table of count silent ports; their other ends stay open in keptOpen. Exits the
// benchmark when no pseudo-terminal can be had.
std::string silentPorts(int count, std::vector<int>& keptOpen);

} // namespace krv::bench
