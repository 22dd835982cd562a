// The folder watch on FindFirstChangeNotification: one wait for the folder's
// change handle and a stop event.
#include "platform/FolderWatch.h"

#include <windows.h>

#include <thread>
#include <utility>

#include "platform/Errors.h"

namespace kvr::platform {

struct FolderWatch::State {
    HANDLE change = INVALID_HANDLE_VALUE;
    HANDLE stop = nullptr;
    std::thread thread;

    ~State() {
        if (thread.joinable()) {
            ::SetEvent(stop);
            thread.join();
        }
        if (change != INVALID_HANDLE_VALUE) {
            ::FindCloseChangeNotification(change);
        }
        if (stop != nullptr) {
            ::CloseHandle(stop);
        }
    }
};

FolderWatch::FolderWatch(const std::string& folder, std::function<void()> changed)
    : state_(std::make_unique<State>()) {
    state_->stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state_->change = ::FindFirstChangeNotificationA(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    if (state_->stop == nullptr || state_->change == INVALID_HANDLE_VALUE) {
        throw FileError("Cannot watch folder " + folder);
    }
    state_->thread = std::thread([state = state_.get(), changed = std::move(changed)] {
        const HANDLE handles[] = {state->stop, state->change};
        while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            changed();
            if (!::FindNextChangeNotification(state->change)) {
                return;
            }
        }
    });
}

FolderWatch::~FolderWatch() = default;

}  // namespace kvr::platform
