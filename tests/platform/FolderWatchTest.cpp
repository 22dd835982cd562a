#include "platform/FolderWatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>

#include "fixtures/TempDir.h"
#include "platform/Errors.h"

namespace kvr::platform {
namespace {

// The system tells of a file written into the folder; a folder that is not
// there is refused rather than watched in vain.
TEST(FolderWatch, TellsOfAFileWrittenInTheFolder) {
    test::TempDir dir;
    std::mutex mutex;
    std::condition_variable told;
    int changes = 0;
    {
        FolderWatch watch(dir.Path(), [&] {
            std::lock_guard lock(mutex);
            ++changes;
            told.notify_all();
        });
        std::ofstream(dir.Path() + "KVRCFG") << "[a]\r\n";
        std::unique_lock lock(mutex);
        // The bound only ends a test that would otherwise hang.
        EXPECT_TRUE(told.wait_for(lock, std::chrono::minutes(1), [&] { return changes > 0; }));
    }
    EXPECT_THROW(FolderWatch(dir.Path() + "missing", [] {}), FileError);
}

}  // namespace
}  // namespace kvr::platform
