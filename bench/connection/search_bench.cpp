// The port search with ports nobody answers on: the time from the search's start to the
// no-connection choice with 1, 3 and 8 silent ports (pseudo-terminals whose other end stays
// quiet). The ports are asked at once, so the goal is about one port's tries (about 3 s)
// however many stay silent; one after the other it was 3 s a port.

#include "bench/support/paced_controller.h"
#include "bench/support/quiet_window.h"
#include "bench/support/silent_ports.h"
#include "connection/lpg_connection.h"
#include "connection/thread_manager.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

int main() {
    using namespace krv;
    const bench::CTemporarySettingsFolder settings;
    bool withinGoal = true;
    for (const int count : {1, 3, 8}) {
        std::vector<int> masters;
        setenv("KRV_PORTS", bench::silentPorts(count, masters).c_str(), 1);
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
