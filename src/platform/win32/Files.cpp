// The file calls on Windows. Paths are ANSI bytes in the system's code page
// and go to the wide calls converted with it.
//
// Locks are LockFileEx locks on one byte far past any file's end: Windows
// locks are mandatory, and a lock on the bytes themselves would make readers
// fail while a rewrite runs; a lock out there stops only other lockers, and
// Windows drops it when the handle closes or the process dies. A folder takes
// no byte locks: creating a missing file relies on the move that never
// replaces a file someone else created meanwhile.
//
// The new file is moved over the old one with ReplaceFileW, which gives it
// the old file's security descriptor, attributes and creation time, so a
// rewrite keeps the file's owner and rights as an edit in place would.
#include <windows.h>
#undef ReplaceFile  // the system's ReplaceFileA; ours is declared in Files.h

#include <algorithm>
#include <string>
#include <thread>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace kvr::platform {

namespace {

// Far past the end of any file the program keeps.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

std::wstring Wide(const std::string& path) {
    int n =
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), out.data(), n);
    }
    return out;
}

std::string Narrow(const wchar_t* text) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    if (n > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    }
    out.pop_back();  // the NUL
    return out;
}

HANDLE H(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

FileHandle F(HANDLE handle) {
    return reinterpret_cast<FileHandle>(handle);
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Win32FileSystem final : public FileSystem {
  public:
    OpenResult OpenRead(const std::string& path, FileHandle& file) override {
        std::wstring wide = Wide(path);
        DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return IsMissing(::GetLastError()) ? OpenResult::Missing : OpenResult::Failed;
        }
        if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
            return OpenResult::NotRegular;
        }
        HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return IsMissing(::GetLastError()) ? OpenResult::Missing : OpenResult::Failed;
        }
        if (::GetFileType(h) != FILE_TYPE_DISK) {
            ::CloseHandle(h);
            return OpenResult::NotRegular;
        }
        file = F(h);
        return OpenResult::Ok;
    }

    bool OpenFolder(const std::string& folder, FileHandle& handle) override {
        HANDLE h = ::CreateFileW(Wide(folder).c_str(), GENERIC_READ, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        handle = F(h);
        return true;
    }

    std::int64_t Size(FileHandle file) override {
        LARGE_INTEGER size{};
        return ::GetFileSizeEx(H(file), &size) ? size.QuadPart : -1;
    }

    bool ReadAll(FileHandle file, std::string& bytes) override {
        bytes.clear();
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(H(file), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxFileSize) {
            bytes.reserve(static_cast<size_t>(size.QuadPart));
        }
        LARGE_INTEGER start{};
        if (!::SetFilePointerEx(H(file), start, nullptr, FILE_BEGIN)) {
            return false;
        }
        char chunk[65536];
        for (;;) {
            DWORD n = 0;
            if (!::ReadFile(H(file), chunk, sizeof chunk, &n, nullptr)) {
                return false;
            }
            if (n == 0) {
                return true;
            }
            if (bytes.size() + n > static_cast<size_t>(kMaxFileSize)) {
                return false;
            }
            bytes.append(chunk, n);
        }
    }

    bool TryLock(FileHandle file) override {
        BY_HANDLE_FILE_INFORMATION info{};
        if (::GetFileInformationByHandle(H(file), &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return true;
        }
        OVERLAPPED at{};
        at.Offset = 0;
        at.OffsetHigh = kLockOffsetHigh;
        return ::LockFileEx(H(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                            &at) != FALSE;
    }

    bool StillNamed(FileHandle file, const std::string& path) override {
        BY_HANDLE_FILE_INFORMATION open{};
        if (!::GetFileInformationByHandle(H(file), &open)) {
            return false;
        }
        HANDLE named = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (named == INVALID_HANDLE_VALUE) {
            return false;
        }
        BY_HANDLE_FILE_INFORMATION now{};
        bool same = ::GetFileInformationByHandle(named, &now) &&
                    now.dwVolumeSerialNumber == open.dwVolumeSerialNumber &&
                    now.nFileIndexHigh == open.nFileIndexHigh &&
                    now.nFileIndexLow == open.nFileIndexLow;
        ::CloseHandle(named);
        return same;
    }

    bool ReadOnly(FileHandle file) override {
        BY_HANDLE_FILE_INFORMATION info{};
        return ::GetFileInformationByHandle(H(file), &info) &&
               (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    }

    bool CreateNew(const std::string& path, FileHandle& file) override {
        HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        file = F(h);
        return true;
    }

    bool Write(FileHandle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(H(file), bytes.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool Flush(FileHandle file) override { return ::FlushFileBuffers(H(file)) != FALSE; }

    // ReplaceFileW gives the new file the old one's security descriptor and
    // attributes when it moves it into place.
    KeepResult KeepOwnership(FileHandle, FileHandle) override { return KeepResult::Ok; }

    void Close(FileHandle file) override { ::CloseHandle(H(file)); }

    bool Replace(const std::string& from, const std::string& to) override {
        return ::ReplaceFileW(Wide(to).c_str(), Wide(from).c_str(), nullptr,
                              REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE;
    }

    PlaceResult PlaceNew(const std::string& from, const std::string& to) override {
        if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return PlaceResult::Ok;
        }
        DWORD error = ::GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? PlaceResult::Exists
                                                                           : PlaceResult::Failed;
    }

    void Remove(const std::string& path) override { ::DeleteFileW(Wide(path).c_str()); }

    // MOVEFILE_WRITE_THROUGH and ReplaceFileW already wait for the disk.
    void FlushFolder(const std::string&) override {}

    std::vector<std::string> FolderEntries(const std::string& folder) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        HANDLE find = ::FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            names.push_back(Narrow(found.cFileName));
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
        return names;
    }

    // The program's files are no symbolic links on Windows; a link that is
    // one is replaced like a file.
    std::optional<std::string> FinalPath(const std::string& path) override { return path; }

    std::int64_t ProcessId() override { return ::GetCurrentProcessId(); }

    bool ProcessRuns(std::int64_t pid) override {
        if (pid <= 0) {
            return true;
        }
        HANDLE process =
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
        if (process == nullptr) {
            // No such process, or one we may not look at: only the first is gone.
            return ::GetLastError() == ERROR_ACCESS_DENIED;
        }
        DWORD code = 0;
        bool runs = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
        ::CloseHandle(process);
        return runs;
    }

    void Pause(std::chrono::milliseconds time) override { std::this_thread::sleep_for(time); }
};

std::wstring FolderOf(const std::wstring& path) {
    auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return L".";
    }
    return path.substr(0, slash == 0 || (slash == 2 && path[1] == L':') ? slash + 1 : slash);
}

}  // namespace

FileSystem& MachineFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

// Rights are the file system's to judge when the write comes; here only
// whether there is a folder to write in.
bool IsWritableLocation(const std::string& path) {
    std::wstring folder = FolderOf(Wide(path));
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        attributes = ::GetFileAttributesW(FolderOf(folder).c_str());
    }
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolderOf(const std::string& path) {
    ::CreateDirectoryW(FolderOf(Wide(path)).c_str(), nullptr);
}

std::string CurrentDirectory() {
    DWORD n = ::GetCurrentDirectoryA(0, nullptr);
    std::string dir(n, '\0');
    if (n > 0) {
        dir.resize(::GetCurrentDirectoryA(n, dir.data()));
    }
    if (dir.empty()) {
        throw FileError("Cannot determine the current directory: Windows error " +
                        std::to_string(::GetLastError()));
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
