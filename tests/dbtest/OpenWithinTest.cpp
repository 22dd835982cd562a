#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "dbtest/ConnectionOpener.h"

namespace kvr {
namespace {

// A driver that never comes back must not hold the window: the caller gets
// its failure at the timeout, not before it, while the open still hangs; the
// late open then finishes harmlessly.
TEST(OpenWithin, BoundsAnOpenThatHangs) {
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::promise<void>>();
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = OpenWithin(1, [hang = release->get_future().share(), finished] {
        hang.wait();
        finished->set_value();
        return ConnectionOutcome{true, {}};
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.detail, "The server did not answer within 1 second.");
    EXPECT_GE(seconds, 1.0);

    auto done = finished->get_future();
    release->set_value();
    done.wait();
}

}  // namespace
}  // namespace kvr
