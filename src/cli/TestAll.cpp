#include "cli/TestAll.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <system_error>
#include <thread>

#include "cli/Explanation.h"
#include "cli/Text.h"
#include "dbtest/ConnectionOpener.h"
#include "dbtest/ConnectionString.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "texts/Texts.h"

namespace kvr::cli {

namespace {

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

struct Job {
    std::string alias;
    std::string connectionString;  // empty when the fields did not decode
    std::string problem;           // why there is no connection string
    ConnectionOutcome outcome;
    long long milliseconds = 0;
};

long long Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void Run(Job& job, int timeoutSeconds) {
    const auto start = Clock::now();
    if (job.connectionString.empty()) {
        job.outcome = {false, job.problem};
    } else {
        const std::string connectionString = job.connectionString;
        job.outcome = OpenWithin(timeoutSeconds, [connectionString] {
            try {
                return OpenConnectionOnce(connectionString);
            } catch (const std::exception& e) {
                return ConnectionOutcome{false, e.what()};
            }
        });
    }
    job.milliseconds = Since(start);
}

}  // namespace

int TestAll(AliasStore& store, const TestAllOptions& options, Io& io) {
    std::vector<Job> jobs;
    std::set<std::u16string> seen;
    for (const std::string& name : store.Names()) {
        // A repeated header reads the first section's fields: one test.
        if (!seen.insert(platform::FoldCase(name)).second) {
            continue;
        }
        Job job;
        job.alias = name;
        try {
            const Fields values = store.ReadValues(name);
            job.connectionString = BuildConnectionString(Utf8(values[1]), Utf8(values[2]),
                                                         Utf8(values[3]), Utf8(values[0]));
            // The last of repeated keys wins, so this overrides the default.
            job.connectionString += ";Connect Timeout=" + std::to_string(options.timeoutSeconds);
        } catch (const ConvertError& e) {
            job.problem = texts::Say(KVR_TEXT("kvrcfg", "A field does not decode: %1"), {e.what()});
        }
        jobs.push_back(std::move(job));
    }

    // Workers take the next alias until none is left; the results stay in
    // file order.
    const auto start = Clock::now();
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            Run(jobs[i], options.timeoutSeconds);
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(options.jobs), jobs.size());
    for (std::size_t i = 1; i < count; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer at once; this thread works too
        }
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    const long long total = Since(start);

    std::size_t failed = 0;
    Json json = Json::array();
    for (const Job& job : jobs) {
        const bool ok = job.outcome.succeeded;
        failed += ok ? 0 : 1;
        const std::string explanation = ok ? "" : Explanation(job.outcome.reason);
        if (options.json) {
            Json entry;
            entry["name"] = TextToJson(job.alias);
            entry["connected"] = ok;
            entry["milliseconds"] = job.milliseconds;
            entry["reason"] = ok ? nullptr : Json(ReasonName(job.outcome.reason));
            entry["explanation"] = explanation;
            entry["detail"] = TextToJson(job.outcome.detail);
            json.push_back(std::move(entry));
            continue;
        }
        std::string line = Utf8(job.alias) + "\t" +
                           (ok ? texts::Say(KVR_TEXT("kvrcfg", "success"))
                               : texts::Say(KVR_TEXT("kvrcfg", "failure"))) +
                           "\t" + std::to_string(job.milliseconds) + " ms";
        if (!ok) {
            // The driver's own text, often several lines, is in --json.
            line += "\t" + std::string(ReasonName(job.outcome.reason)) + ": " + explanation;
        }
        io.out << Message(line) << '\n';
    }
    if (options.json) {
        io.out << json.dump(2) << '\n';
    } else {
        io.out << Message(texts::Say(
                      KVR_TEXT("kvrcfg",
                               "%1 tested, %2 connected, %3 failed in %4 ms, %5 at a time"),
                      {std::to_string(jobs.size()), std::to_string(jobs.size() - failed),
                       std::to_string(failed), std::to_string(total),
                       std::to_string(std::max<std::size_t>(count, 1))}))
               << '\n';
    }
    return failed == 0 ? kDone : kNegative;
}

}  // namespace kvr::cli
