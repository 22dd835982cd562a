#include <windows.h>

#include <string>

#include "platform/Console.h"

namespace kvr::platform {

std::optional<std::string> ReadSecretFromTerminal(std::string_view prompt) {
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (in == INVALID_HANDLE_VALUE || !::GetConsoleMode(in, &mode)) {
        return std::nullopt;  // no console
    }
    HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    ::WriteConsoleA(err, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
    ::SetConsoleMode(in, (mode | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring line;
    bool ended = false;
    wchar_t chunk[256];
    DWORD n = 0;
    while (!ended && ::ReadConsoleW(in, chunk, 256, &n, nullptr) && n > 0) {
        line.append(chunk, n);
        ended = line.find(L'\n') != std::wstring::npos || line.find(L'\r') != std::wstring::npos;
    }
    ::SetConsoleMode(in, mode);
    ::WriteConsoleA(err, "\r\n", 2, &written, nullptr);
    if (!ended) {
        return std::nullopt;
    }
    line.erase(line.find_first_of(L"\r\n"));
    // The terminal's bytes are the system's ANSI code page.
    std::string out;
    int size = ::WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr,
                                     0, nullptr, nullptr);
    if (size > 0) {
        out.resize(static_cast<size_t>(size));
        ::WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), out.data(),
                              size, nullptr, nullptr);
    }
    return out;
}

}  // namespace kvr::platform
