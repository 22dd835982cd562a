#include "ui/win32/InputBlocker.h"

#include <windows.h>

#include <exception>
#include <thread>

#include "platform/Errors.h"
#include "ui/win32/Handles.h"

namespace kvr {
namespace {

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           message == WM_NCMOUSEHOVER || message == WM_NCMOUSELEAVE || message == WM_MOUSEHOVER ||
           message == WM_MOUSELEAVE;
}

void DropInput() {
    MSG msg;
    const UINT ranges[][2] = {{WM_KEYFIRST, WM_KEYLAST},
                              {WM_MOUSEFIRST, WM_MOUSELAST},
                              {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK}};
    for (const auto& range : ranges) {
        while (::PeekMessageW(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
        }
    }
}

}  // namespace

void RunWithoutInputOn(const std::function<void()>& work) {
    KernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        throw Error("Cannot create an event");
    }
    HANDLE doneEvent = done.get();
    std::exception_ptr failure;
    std::thread worker([&work, &failure, doneEvent] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ::SetEvent(doneEvent);
    });
    // Repaints and every other message go on; the user's input is dropped.
    bool quit = false;
    int quitCode = 0;
    while (::MsgWaitForMultipleObjects(1, &doneEvent, FALSE, INFINITE, QS_ALLINPUT) !=
           WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            if (IsInput(msg.message)) {
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    worker.join();
    // Nothing the user did while waiting acts after the fact.
    DropInput();
    if (quit) {
        ::PostQuitMessage(quitCode);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace kvr
