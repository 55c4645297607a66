// The port search with ports nobody answers on: the time from the search's start to the
// no-connection choice with 1, 3 and 8 silent ports (pseudo-terminals whose other end stays
// quiet). The ports are asked at once, so the goal is about one port's tries (about 3 s)
// however many stay silent; one after the other it was 3 s a port.

#include "bench/support/paced_controller.h"
#include "bench/support/quiet_window.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The table of count silent ports; their other ends stay open in keptOpen.
std::string silentPorts(int count, std::vector<int>& keptOpen) {
    std::string table;
    for (int n = 0; n < count; ++n) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            std::perror("posix_openpt");
            std::exit(1);
        }
        keptOpen.push_back(master);
        table += (table.empty() ? "" : ":") + std::string(ptsname(master));
    }
    return table;
}

} // namespace

int main() {
    using namespace krv;
    const bench::CTemporarySettingsFolder settings;
    bool withinGoal = true;
    for (const int count : {1, 3, 8}) {
        std::vector<int> masters;
        setenv("KRV_PORTS", silentPorts(count, masters).c_str(), 1);
        CLPGThreadManager threads;
        CLPGConnection connection(threads);
        bench::CQuietWindow window;
        const auto started = std::chrono::steady_clock::now();
        connection.connect(window);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("%d silent port%s -> no-connection choice: %5.2f s (goal about 3 s)\n", count,
                    count == 1 ? " " : "s", seconds);
        withinGoal = withinGoal && seconds < 4.0;
        for (int master : masters) {
            close(master);
        }
    }
    return withinGoal ? 0 : 1;
}
