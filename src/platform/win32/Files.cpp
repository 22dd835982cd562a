// Whole files on the Windows API. A rewrite writes a temporary file in the
// same folder and puts it in place with ReplaceFileW, which gives it the old
// file's security descriptor, attributes and creation time, so a replaced
// file keeps its owner and rights as an edit in place would.
#include <windows.h>
// The system names its own call ReplaceFileA through this macro; ours is
// kvr::platform::ReplaceFile.
#undef ReplaceFile

#include <string>

#include "platform/Files.h"
#include "platform/Text.h"

namespace kvr::platform {

namespace {

// Paths are in the system's ANSI code page, whatever a test pins for text.
std::wstring WidePath(const std::string& path) {
    int n =
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), out.data(), n);
    }
    return out;
}

std::wstring FolderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    return path.substr(0, slash == 0 || (slash == 2 && path[1] == L':') ? slash + 1 : slash);
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    bool Close() {
        bool ok = true;
        if (Valid()) {
            ok = ::CloseHandle(h_) != FALSE;
            h_ = INVALID_HANDLE_VALUE;
        }
        return ok;
    }

  private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    Handle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ReadStatus::Missing
                   : ReadStatus::Unreadable;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) {
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    }
    char chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.Get(), chunk, sizeof chunk, &n, nullptr)) {
            bytes.clear();
            return ReadStatus::Unreadable;
        }
        if (n == 0) {
            break;
        }
        bytes.append(chunk, n);
    }
    return ReadStatus::Ok;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
    std::wstring target = WidePath(path);
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;  // a read-only file is not ours to replace
    }
    wchar_t tmp[MAX_PATH + 1];
    if (::GetTempFileNameW(FolderOf(target).c_str(), L"kvr", 0, tmp) == 0) {
        return false;
    }
    {
        Handle file(::CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        bool ok = file.Valid() && WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
        ok = file.Close() && ok;
        if (!ok) {
            ::DeleteFileW(tmp);
            return false;
        }
    }
    bool placed = false;
    if (exists) {
        placed = ::ReplaceFileW(target.c_str(), tmp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                nullptr, nullptr) != FALSE;
    } else {
        placed = ::MoveFileExW(tmp, target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!placed) {
        ::DeleteFileW(tmp);
    }
    return placed;
}

// Rights are the file system's to judge when the write comes; here only
// whether there is a folder to write in.
bool IsWritableLocation(const std::string& path) {
    std::wstring folder = FolderOf(WidePath(path));
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        attributes = ::GetFileAttributesW(FolderOf(folder).c_str());
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolderOf(const std::string& path) {
    ::CreateDirectoryW(FolderOf(WidePath(path)).c_str(), nullptr);
}

std::string CurrentDirectory() {
    DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    std::string dir(n, '\0');
    if (n > 0) {
        dir.resize(::GetCurrentDirectoryA(n, dir.data()));
    }
    // A root ("C:\") already ends in one; a folder name may end in a
    // double-byte character whose second byte is 0x5C.
    if (!EndsWithSingleByte(dir, '\\')) {
        dir += '\\';
    }
    return dir;
}

char PathSeparator() {
    return '\\';
}

}  // namespace kvr::platform
