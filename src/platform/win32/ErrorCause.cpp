#include <windows.h>

#include <aclapi.h>

#include "platform/ErrorCause.h"

namespace kvr::platform {

namespace {

// The folder part of a path, its separator included: "." for a bare name.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        return ".";
    }
    return path.substr(0, slash + 1);
}

// "DOMAIN\user", or nothing when it cannot be told.
std::string OwnerOf(const std::string& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    char name[256];
    char domain[256];
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    std::string text;
    if (::LookupAccountSidA(nullptr, owner, name, &nameSize, domain, &domainSize, &use)) {
        text = domainSize > 0 ? std::string(domain) + "\\" + name : std::string(name);
    }
    ::LocalFree(descriptor);
    return text;
}

FileTrouble FromCode(DWORD code, const std::string& path) {
    const FileCause cause = CauseOfSystemError(static_cast<long>(code));
    return {cause, path, cause == FileCause::PermissionDenied ? OwnerOf(path) : std::string()};
}

}  // namespace

FileCause CauseOfSystemError(long code) {
    switch (static_cast<DWORD>(code)) {
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return FileCause::PermissionDenied;
        case ERROR_WRITE_PROTECT:
            return FileCause::ReadOnly;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return FileCause::NoFolder;
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            return FileCause::NotRegular;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return FileCause::DiskFull;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileCause::Locked;
        default:
            return FileCause::Unknown;
    }
}

FileTrouble WhyFileFails(const std::string& path, bool writing) {
    const std::string folder = FolderOf(path);
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            const bool aboutFolder =
                error == ERROR_ACCESS_DENIED ||
                CauseOfSystemError(static_cast<long>(error)) == FileCause::NoFolder;
            return FromCode(error, aboutFolder ? folder : path);
        }
        if (writing) {
            ULARGE_INTEGER free{};
            if (::GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) &&
                free.QuadPart == 0) {
                return {FileCause::DiskFull, folder, {}};
            }
        }
        return {FileCause::Unknown, path, {}};
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return {FileCause::NotRegular, path, {}};
    }
    if (writing && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return {FileCause::ReadOnly, path, {}};
    }
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | (writing ? GENERIC_WRITE : 0),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FromCode(::GetLastError(), path);
    }
    ::CloseHandle(file);
    if (writing) {
        ULARGE_INTEGER free{};
        if (::GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr) && free.QuadPart == 0) {
            return {FileCause::DiskFull, folder, {}};
        }
    }
    return {FileCause::Unknown, path, {}};
}

}  // namespace kvr::platform
