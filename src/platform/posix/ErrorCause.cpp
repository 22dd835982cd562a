#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ErrorCause.h"

namespace kvr::platform {

namespace {

// The folder part of a path, its separator included: "." for a bare name.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return path.substr(0, slash + 1);
}

std::string OwnerOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    if (const passwd* user = ::getpwuid(st.st_uid)) {
        return user->pw_name;
    }
    return std::to_string(st.st_uid);
}

FileTrouble Denied(const std::string& path) {
    const FileCause cause = CauseOfSystemError(errno);
    if (cause == FileCause::PermissionDenied) {
        return {cause, path, OwnerOf(path)};
    }
    return {cause, path, {}};
}

}  // namespace

FileCause CauseOfSystemError(long code) {
    switch (code) {
        case EACCES:
        case EPERM:
            return FileCause::PermissionDenied;
        case EROFS:
            return FileCause::ReadOnly;
        case ENOENT:
        case ENOTDIR:
            return FileCause::NoFolder;
        case EISDIR:
        case ENXIO:
            return FileCause::NotRegular;
        case ENOSPC:
        case EDQUOT:
            return FileCause::DiskFull;
        case EAGAIN:
        case EBUSY:
        case ETXTBSY:
            return FileCause::Locked;
        default:
            return FileCause::Unknown;
    }
}

FileTrouble WhyFileFails(const std::string& path, bool writing) {
    const std::string folder = FolderOf(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            return {FileCause::NotRegular, path, {}};
        }
        if (::access(path.c_str(), R_OK) != 0) {
            return Denied(path);
        }
        if (writing && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return {FileCause::ReadOnly, path, {}};
        }
    } else if (errno == ENOENT || errno == ENOTDIR) {
        struct stat folderStat {};
        if (::stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode)) {
            return {FileCause::NoFolder, folder, {}};
        }
    } else {
        return Denied(folder);
    }
    if (writing) {
        // A rewrite makes a new file beside the old one.
        if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            return Denied(folder);
        }
        struct statvfs disk {};
        if (::statvfs(folder.c_str(), &disk) == 0 && disk.f_bavail == 0) {
            return {FileCause::DiskFull, folder, {}};
        }
    }
    return {FileCause::Unknown, path, {}};
}

}  // namespace kvr::platform
