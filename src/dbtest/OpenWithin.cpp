// The watchdog around one open. Drivers honour their login timeout for the
// login itself but not always for what comes before it (name lookups, a
// provider that hangs), so the caller never waits longer than the timeout
// plus half a second. A worker that outlives its caller shares only a
// reference-counted slot for its result.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "dbtest/ConnectionOpener.h"

namespace kvr {

namespace {

struct Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    ConnectionOutcome outcome;
};

}  // namespace

ConnectionOutcome OpenWithin(int timeoutSeconds, std::function<ConnectionOutcome()> open) {
    auto attempt = std::make_shared<Attempt>();
    try {
        std::thread([attempt, open = std::move(open)] {
            // A throw would end the program here: it becomes a failed test.
            ConnectionOutcome outcome;
            try {
                outcome = open();
            } catch (const std::exception& e) {
                outcome = {false, std::string("The connection test failed: ") + e.what()};
            } catch (...) {
                outcome = {false, "The connection test failed for an unknown reason."};
            }
            std::lock_guard lock(attempt->mutex);
            attempt->outcome = std::move(outcome);
            attempt->done = true;
            attempt->finished.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        return {false, std::string("The connection test could not start: ") + e.what()};
    }

    const auto deadline = std::chrono::seconds(timeoutSeconds) + std::chrono::milliseconds(500);
    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, deadline, [&] { return attempt->done; })) {
        return {false,
                "The server did not answer within " + std::to_string(timeoutSeconds) +
                    (timeoutSeconds == 1 ? " second." : " seconds."),
                FailureReason::Timeout};
    }
    return attempt->outcome;
}

}  // namespace kvr
