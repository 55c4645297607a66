#pragma once
// The krv-afm command, callable in-process:
//   krv-afm OUT.afm (--image IMAGE.bin | --sample) [--version N] [--target N] [--id TEXT]
//           [--bad-checksum]
//   krv-afm --help

#include <ostream>
#include <span>
#include <string>

namespace krv::sim {

inline constexpr int kAfmToolOk = 0;
inline constexpr int kAfmToolFailed = 1;
inline constexpr int kAfmToolUsage = 2;

// `args` leaves out the program name. Messages go to `err`; the result is an exit code.
int runAfmTool(std::span<const std::string> args, std::ostream& err);

} // namespace krv::sim
