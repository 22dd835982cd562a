// The connection test through the system's ADO. Nothing here answers as SQL
// Server (under Wine there is not even the provider), so what can be shown is
// the failure path: a failure, with the reason in words. How long an open may
// take is OpenWithin's to bound (OpenWithinTest).
#include <gtest/gtest.h>

#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"

namespace kvr {
namespace {

TEST(AdoOpener, AFailedOpenReportsWhyAndReturns) {
    const auto outcome = OpenConnectionOnce(
        BuildConnectionString("127.0.0.1,1", "sa", "secret", "Sales") + ";Connect Timeout=2");
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.detail.empty());
    RecordProperty("detail", outcome.detail);
}

}  // namespace
}  // namespace kvr
