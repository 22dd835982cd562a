// Time of one OpenConnectionOnce on loopback.
#include <benchmark/benchmark.h>

#include <string>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "fixtures/TdsResponder.h"

namespace {

void BM_OpenClosedPort(benchmark::State& state) {
    kvr::test::ClosedPort closed;
    const std::string text =
        kvr::BuildConnectionString("127.0.0.1," + std::to_string(closed.port()), "sa", "pw", "db");
    for (auto _ : state) {
        auto outcome = kvr::OpenConnectionOnce(text);
        if (outcome.succeeded) {
            state.SkipWithError("a closed port accepted a login");
            break;
        }
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_OpenClosedPort)->Unit(benchmark::kMillisecond);

void BM_OpenAgainstResponder(benchmark::State& state) {
    kvr::test::TdsResponder server({"sa", "pw", "db"});
    const std::string text =
        kvr::BuildConnectionString("127.0.0.1," + std::to_string(server.port()), "sa", "pw", "db");
    for (auto _ : state) {
        auto outcome = kvr::OpenConnectionOnce(text);
        if (!outcome.succeeded) {
            state.SkipWithError(outcome.detail.c_str());
            break;
        }
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_OpenAgainstResponder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
