#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace kvr::platform {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::Unreadable;
    }
    bytes.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            bytes.clear();
            return ReadStatus::Unreadable;
        }
        if (n == 0) {
            break;
        }
        bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return ReadStatus::Ok;
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
    // A leftover temporary file from a crash is harmless: mkstemp never reuses it.
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    std::string tmp(name.data());

    mode_t mode = 0666;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }

    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) {
        // Make the rename itself durable; a failure here does not undo it.
        int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    ::unlink(tmp.c_str());
    return false;
}

namespace {

bool IsWritableFolder(const std::string& folder) {
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

bool IsWritableLocation(const std::string& path) {
    std::string folder = FolderOf(path);
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return IsWritableFolder(folder);
    }
    return errno == ENOENT && IsWritableFolder(FolderOf(folder));
}

void MakeFolderOf(const std::string& path) {
    std::string folder = FolderOf(path);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 && errno == ENOENT) {
        ::mkdir(folder.c_str(), 0755);
    }
}

std::string CurrentDirectory() {
    std::string dir;
    if (char* cwd = ::getcwd(nullptr, 0)) {
        dir = cwd;
        std::free(cwd);
    }
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

char PathSeparator() {
    return '/';
}

}  // namespace kvr::platform
