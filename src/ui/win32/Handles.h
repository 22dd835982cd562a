#pragma once
// Owners of the system's handles the window makes: each is released however
// the owner ends, an exception from the constructor included.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace kvr {

struct GdiObjectRelease {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct MenuRelease {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
struct HandleRelease {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectRelease>;
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuRelease>;
using KernelHandle = std::unique_ptr<void, HandleRelease>;

// Destroys a window that still exists when the owner ends. The owner's
// pointer is cleared first: the window's procedure then hands every message
// of the destruction to the system and none to a half-destroyed object.
class WindowOwner {
  public:
    explicit WindowOwner(HWND& window) : window_(window) {}
    ~WindowOwner() {
        if (HWND window = window_) {
            window_ = nullptr;
            ::DestroyWindow(window);
        }
    }
    WindowOwner(const WindowOwner&) = delete;
    WindowOwner& operator=(const WindowOwner&) = delete;

  private:
    HWND& window_;
};

}  // namespace kvr
