#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "dbtest/ConnectionOpener.h"

namespace kvr {
namespace {

// A driver that never comes back must not hold the window: the caller gets
// its failure at the timeout, and the late open finishes harmlessly.
TEST(OpenWithin, BoundsAnOpenThatHangs) {
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = OpenWithin(1, [] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return ConnectionOutcome{true, {}};
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.detail, "The server did not answer within 1 second.");
    EXPECT_LT(seconds, 2.5);
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
