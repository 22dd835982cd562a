// The file calls on POSIX systems. A file's lock is an open file description
// write lock (F_OFD_SETLK, F_WRLCK): it needs a descriptor open for writing,
// so a user who may only read the file cannot hold it; it belongs to the open
// file, so a second open in the same process waits like another process would;
// and the kernel drops it when the process dies. A folder, which cannot be
// opened for writing, takes a flock(2) lock.
#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/Errors.h"

namespace kvr::platform {

namespace {

int Fd(FileHandle handle) {
    return static_cast<int>(handle);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the user belongs to the group, as primary or supplementary group.
bool UserInGroup(uid_t uid, gid_t gid) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* user = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &user) != 0 || user == nullptr) {
        return false;
    }
    if (user->pw_gid == gid) {
        return true;
    }
    std::vector<gid_t> groups(64);
    for (;;) {
        int count = static_cast<int>(groups.size());
        if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) >= 0) {
            groups.resize(static_cast<size_t>(count));
            return std::find(groups.begin(), groups.end(), gid) != groups.end();
        }
        if (static_cast<size_t>(count) <= groups.size()) {
            return false;
        }
        groups.resize(static_cast<size_t>(count));
    }
}

// A file its group may write is shared with that group: when its owner keeps
// access through the group (or is root, who always keeps it), a member who
// rewrites it may own the new file, with the group and the mode unchanged.
// Nobody loses a right, and a folder of the group (such as /etc/kavrolis)
// stays writable for all its members instead of only the last writer.
bool SharedThroughGroup(const struct stat& old) {
    return (old.st_mode & S_IWGRP) != 0 && (old.st_uid == 0 || UserInGroup(old.st_uid, old.st_gid));
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether a link may be followed: always in a folder that only its owner may
// write; in one that others may write (a group's, or a sticky one like /tmp)
// only when the link belongs to the folder's owner or to us, since anyone
// else who may write there could point it at any file we may write.
bool MayFollow(const std::string& link, const struct stat& st) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) {
        return false;
    }
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || st.st_uid == folder.st_uid ||
           st.st_uid == ::geteuid();
}

FileSystem::OpenResult OpenRegular(const std::string& path, int access, FileHandle& file) {
    using OpenResult = FileSystem::OpenResult;
    // Looking first keeps us from opening a device at all; O_NONBLOCK keeps
    // a FIFO put there in between from stopping us.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT ? OpenResult::Missing : OpenResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        return OpenResult::NotRegular;
    }
    int fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? OpenResult::Missing : OpenResult::Failed;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenResult::NotRegular;
    }
    file = fd;
    return OpenResult::Ok;
}

class PosixFileSystem final : public FileSystem {
  public:
    OpenResult OpenRead(const std::string& path, FileHandle& file) override {
        return OpenRegular(path, O_RDONLY, file);
    }

    OpenResult OpenEdit(const std::string& path, FileHandle& file) override {
        return OpenRegular(path, O_RDWR, file);
    }

    std::int64_t Size(FileHandle file) override {
        struct stat st {};
        return ::fstat(Fd(file), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
    }

    bool OpenFolder(const std::string& folder, FileHandle& handle) override {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        handle = fd;
        return true;
    }

    bool ReadAll(FileHandle file, std::string& bytes) override {
        bytes.clear();
        struct stat st {};
        if (::fstat(Fd(file), &st) == 0 && st.st_size > 0) {
            bytes.resize(static_cast<size_t>(st.st_size));
        }
        if (bytes.size() > static_cast<size_t>(kMaxFileSize)) {
            return false;
        }
        size_t have = 0;
        char more[4096];  // what the file grew by since fstat, if anything
        for (;;) {
            if (have > static_cast<size_t>(kMaxFileSize)) {
                return false;
            }
            const bool inPlace = have < bytes.size();
            char* into = inPlace ? bytes.data() + have : more;
            size_t room = inPlace ? bytes.size() - have : sizeof more;
            ssize_t n = ::pread(Fd(file), into, room, static_cast<off_t>(have));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            if (n == 0) {
                break;
            }
            if (!inPlace) {
                bytes.append(more, static_cast<size_t>(n));
            }
            have += static_cast<size_t>(n);
        }
        bytes.resize(have);
        return true;
    }

    bool TryLock(FileHandle file) override {
        struct stat st {};
        if (::fstat(Fd(file), &st) == 0 && S_ISDIR(st.st_mode)) {
            while (::flock(Fd(file), LOCK_EX | LOCK_NB) != 0) {
                if (errno != EINTR) {
                    return false;
                }
            }
            return true;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;  // start and length 0: the whole file
        while (::fcntl(Fd(file), F_OFD_SETLK, &lock) != 0) {
            if (errno != EINTR) {
                return false;
            }
        }
        return true;
    }

    bool StillNamed(FileHandle file, const std::string& path) override {
        // The name itself, not a link put in its place.
        struct stat open {};
        struct stat named {};
        return ::fstat(Fd(file), &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
               SameFile(open, named);
    }

    bool ReadOnly(FileHandle file) override {
        struct stat st {};
        return ::fstat(Fd(file), &st) == 0 && (st.st_mode & 0222) == 0;
    }

    bool CreateNew(const std::string& path, FileHandle& file) override {
        // Nobody else may open it until it has the old file's owner and mode:
        // a name in the folder is no secret.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        file = fd;
        return true;
    }

    bool GiveNewFileAccess(FileHandle file, const std::string& folder,
                           NewFileAccess access) override {
        // A set-group-ID folder is shared through its group, which new files
        // join: its members may use them as the creator does.
        struct stat st {};
        const bool shared = ::stat(folder.c_str(), &st) == 0 && (st.st_mode & S_ISGID) != 0;
        mode_t mode = shared ? 0660 : 0600;
        if (access == NewFileAccess::Readable) {
            mode |= 0044;
        }
        return ::fchmod(Fd(file), mode) == 0;
    }

    bool MayReplace(FileHandle file, const std::string& folder) override {
        struct stat st {};
        struct stat dir {};
        if (::fstat(Fd(file), &st) != 0 || ::stat(folder.c_str(), &dir) != 0) {
            return true;  // the move itself fails then
        }
        const uid_t self = ::geteuid();
        return (dir.st_mode & S_ISVTX) == 0 || self == 0 || st.st_uid == self || dir.st_uid == self;
    }

    bool Write(FileHandle file, std::string_view bytes) override {
        while (!bytes.empty()) {
            ssize_t n = ::write(Fd(file), bytes.data(), bytes.size());
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

    bool Flush(FileHandle file) override { return ::fsync(Fd(file)) == 0; }

    KeepResult KeepOwnership(FileHandle from, FileHandle to) override {
        struct stat old {};
        struct stat now {};
        if (::fstat(Fd(from), &old) != 0 || ::fstat(Fd(to), &now) != 0) {
            return KeepResult::Failed;
        }
        if ((old.st_uid != now.st_uid || old.st_gid != now.st_gid) &&
            ::fchown(Fd(to), old.st_uid, old.st_gid) != 0) {
            if (errno != EPERM) {
                return KeepResult::Failed;
            }
            if (!SharedThroughGroup(old) ||
                ::fchown(Fd(to), static_cast<uid_t>(-1), old.st_gid) != 0) {
                return KeepResult::ForeignOwner;
            }
        }
        // After the owner: a change of owner clears the set-id bits.
        return ::fchmod(Fd(to), old.st_mode & 07777) == 0 ? KeepResult::Ok : KeepResult::Failed;
    }

    void Close(FileHandle file) override { ::close(Fd(file)); }

    bool Replace(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    PlaceResult PlaceNew(const std::string& from, const std::string& to) override {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
            return PlaceResult::Ok;
        }
        if (errno == EEXIST) {
            return PlaceResult::Exists;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return PlaceResult::Failed;
        }
        // A file system without the flag: a hard link is as exclusive.
        if (::link(from.c_str(), to.c_str()) != 0) {
            return errno == EEXIST ? PlaceResult::Exists : PlaceResult::Failed;
        }
        ::unlink(from.c_str());
        return PlaceResult::Ok;
    }

    void Remove(const std::string& path) override { ::unlink(path.c_str()); }

    void FlushFolder(const std::string& folder) override {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

    std::vector<std::string> FolderEntries(const std::string& folder) override {
        std::vector<std::string> names;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            return names;
        }
        while (const dirent* entry = ::readdir(dir)) {
            names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
        return names;
    }

    std::optional<std::string> FinalPath(const std::string& path) override {
        std::string at = path;
        for (int hops = 0; hops < 40; ++hops) {
            struct stat st {};
            if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
                return at;
            }
            if (!MayFollow(at, st)) {
                return std::nullopt;
            }
            std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
            ssize_t n = ::readlink(at.c_str(), target.data(), target.size());
            if (n < 0 || static_cast<size_t>(n) >= target.size()) {
                return at;
            }
            target.resize(static_cast<size_t>(n));
            if (target.empty() || target.front() == '/') {
                at = target;
            } else {
                auto slash = at.find_last_of('/');
                at =
                    (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + target;
            }
        }
        return at;  // a loop: opening it fails
    }

    std::int64_t ProcessId() override { return ::getpid(); }

    bool ProcessRuns(std::int64_t pid) override {
        return pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    }

    void Pause(std::chrono::milliseconds time) override { std::this_thread::sleep_for(time); }
};

}  // namespace

FileSystem& MachineFileSystem() {
    static PosixFileSystem fs;
    return fs;
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
    } else {
        // A folder removed meanwhile, or one above it that may not be read.
        throw FileError("Cannot determine the current directory: " +
                        std::generic_category().message(errno));
    }
    // Linux names an unreachable folder (outside this process's root) so.
    if (dir.empty() || dir.front() != '/') {
        throw FileError("Cannot determine the current directory: it is not reachable");
    }
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

char PathSeparator() {
    return '/';
}

}  // namespace kvr::platform
