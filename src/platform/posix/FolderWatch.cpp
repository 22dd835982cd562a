// The folder watch on inotify: one poll for the watch's descriptor and a
// stop pipe.
#include "platform/FolderWatch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <thread>
#include <utility>

#include "platform/Errors.h"

namespace kvr::platform {

struct FolderWatch::State {
    int watch = -1;
    std::array<int, 2> stop{-1, -1};
    std::thread thread;

    ~State() {
        if (thread.joinable()) {
            const char byte = 0;
            while (::write(stop[1], &byte, 1) < 0 && errno == EINTR) {
            }
            thread.join();
        }
        for (int fd : {watch, stop[0], stop[1]}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
};

FolderWatch::FolderWatch(const std::string& folder, std::function<void()> changed)
    : state_(std::make_unique<State>()) {
    state_->watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (state_->watch < 0 || ::pipe2(state_->stop.data(), O_CLOEXEC) != 0 ||
        ::inotify_add_watch(state_->watch, folder.c_str(),
                            IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                IN_MOVED_TO | IN_ATTRIB) < 0) {
        throw FileError("Cannot watch folder " + folder);
    }
    state_->thread = std::thread([state = state_.get(), changed = std::move(changed)] {
        std::array<pollfd, 2> fds{{{state->stop[0], POLLIN, 0}, {state->watch, POLLIN, 0}}};
        for (;;) {
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if (fds[0].revents != 0) {
                return;
            }
            // Drained before the call: a change during it comes as one more.
            alignas(inotify_event) char events[4096];
            bool any = false;
            while (::read(state->watch, events, sizeof events) > 0) {
                any = true;
            }
            if (any) {
                changed();
            }
        }
    });
}

FolderWatch::~FolderWatch() = default;

}  // namespace kvr::platform
