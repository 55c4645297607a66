#pragma once

namespace krv {

// The whole program: thread manager, application object, language, then the main window run
// modally. Returns the process's exit code: 0, or 2 for a usage error on the command line.
int runKrv(int argc, char* argv[]);

} // namespace krv
