#pragma once
// The standard streams of a console program.

namespace krv {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;

// A closed standard stream would be taken by the next file opened, the serial port among them,
// and what was meant for it would go there. Each is held by the null device opened for reading,
// on which a write fails as it would on the closed stream. (Windows numbers ports apart.)
void holdClosedStandardStreams();

bool standardErrorIsTerminal();

} // namespace krv
