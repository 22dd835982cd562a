// Kavrolis on Windows: the editor of the machine's database connection
// aliases. Start-up: COM for the thread (the connection test's ADO object
// needs it), the common controls, the application's title from the
// executable's name; then the main window runs until it is closed. Its first
// activation lists the aliases of KVRCFG in the current directory.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <string>

#include "app/MachineServices.h"
#include "editor/AppTitle.h"
#include "editor/MainForm.h"
#include "platform/Text.h"
#include "ui/win32/Frmmain.h"
#include "ui/win32/Wide.h"

namespace {

std::wstring Title() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return kvr::Wide(kvr::platform::AnsiToUnicode(kvr::ApplicationTitle(path)));
}

void ShowFatal(const std::wstring& title, const std::u16string& text) {
    ::MessageBoxW(nullptr, kvr::Wide(text).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::wstring title = L"Kavrolis";
    int code = 0;
    try {
        title = Title();
        // An ordinary user cannot publish the work directory; the first
        // activation says so once and the window works on.
        kvr::TfmMain fmMain(title, kvr::MachineServices());
        ::ShowWindow(fmMain.Handle(), show);
        ::UpdateWindow(fmMain.Handle());
        MSG msg;
        while (fmMain.Handle() != nullptr && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!fmMain.PreTranslate(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    } catch (const std::exception& failure) {
        ShowFatal(title, kvr::FailureText(failure));
        code = 1;
    } catch (...) {
        ShowFatal(title, u"");
        code = 1;
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return code;
}
