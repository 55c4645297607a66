// One framed exchange through a real port with the simulated controller on a pseudo-terminal:
// the host's own cost (no pacing) and the cost on a 38400-baud wire, where the readings poll of
// 50 ms plus the exchange sets how often a sample arrives.

#include "link/frame_exchange.h"
#include "link/serial_port.h"
#include "sim/wire/ack_handler.h"
#include "sim/wire/simulator.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

void exchange(benchmark::State& state) {
    const auto payload = static_cast<uint8_t>(state.range(0));
    const auto baud = static_cast<unsigned>(state.range(1));
    krv::sim::CAckHandler handler;
    krv::sim::CSimulator simulator(handler);
    simulator.setBaud(baud);
    simulator.start();
    ::setenv("KRV_PORTS", simulator.slavePath().c_str(), 1);
    krv::CSerialPort port;
    port.open(1);
    port.setState();
    port.setTimeout();
    krv::CMSGMutex mutex;
    krv::CFrameExchange link(port, mutex);

    std::array<uint8_t, krv::kExchangeBufferSize> buffer{};
    int failures = 0;
    for (auto _ : state) {
        buffer.fill(0x5A);
        uint8_t length = payload;
        uint8_t type = 0x02;
        failures += link.transact(buffer.data(), length, type) ? 0 : 1;
    }
    state.counters["failures"] = failures;
    state.SetBytesProcessed(state.iterations() * 2 * (payload + 8));
}

} // namespace

// Payloads of the readings request (1 byte), readSettings (6) and a whole map row block (240).
BENCHMARK(exchange)
    ->ArgsProduct({{1, 6, 240}, {0, 38400}})
    ->ArgNames({"payload", "baud"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
