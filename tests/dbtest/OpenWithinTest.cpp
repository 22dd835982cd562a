#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>

#include "dbtest/ConnectionOpener.h"

namespace kvr {
namespace {

// An open that hangs until the process ends. Nothing opens its gate and the
// gate is never destroyed: an open that finished while the process ends
// would race its exit.
ConnectionOutcome HangForever() {
    static auto* const gate = new std::promise<void>;
    static const std::shared_future<void> hang = gate->get_future().share();
    hang.wait();
    return {true, {}};
}

// A driver that never comes back must not hold the window: the caller gets
// its failure at the timeout, not before it, while the open still hangs.
TEST(OpenWithin, BoundsAnOpenThatHangs) {
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = OpenWithin(1, HangForever);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.detail, "The server did not answer within 1 second.");
    EXPECT_GE(seconds, 1.0);
}

// An opener that throws fails the test with its text; it never ends the program.
TEST(OpenWithin, ReportsAThrowAsAFailure) {
    const auto outcome =
        OpenWithin(5, []() -> ConnectionOutcome { throw std::runtime_error("driver broke"); });
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_NE(outcome.detail.find("driver broke"), std::string::npos) << outcome.detail;
    EXPECT_FALSE(OpenWithin(5, []() -> ConnectionOutcome { throw 42; }).succeeded);
}

}  // namespace
}  // namespace kvr
