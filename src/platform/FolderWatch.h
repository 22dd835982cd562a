#pragma once
// Change notification for one folder from the operating system: no polling.
// changed runs on the watch's own thread whenever a file in the folder is
// written, added, removed or renamed; several changes close together may
// come as one call. Destroying the watch stops it and waits for the thread.
#include <functional>
#include <memory>
#include <string>

namespace kvr::platform {

class FolderWatch {
  public:
    // folder: ANSI bytes, as the program's other paths. Throws FileError when
    // the system refuses to watch it.
    FolderWatch(const std::string& folder, std::function<void()> changed);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kvr::platform
