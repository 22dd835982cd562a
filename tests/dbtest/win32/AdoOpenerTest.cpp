// The connection test through the system's ADO. Nothing here answers as SQL
// Server (under Wine there is not even the provider), so what can be shown is
// the failure path: a failure, with the reason in words, in bounded time.
#include <gtest/gtest.h>

#include <chrono>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"

namespace kvr {
namespace {

TEST(AdoOpener, AFailedOpenReportsWhyAndReturns) {
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = OpenConnectionOnce(
        BuildConnectionString("127.0.0.1,1", "sa", "secret", "Sales") + ";Connect Timeout=2");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.detail.empty());
    EXPECT_LT(seconds, 2.0 + 1.0) << outcome.detail;
    RecordProperty("detail", outcome.detail);
}

}  // namespace
}  // namespace kvr
