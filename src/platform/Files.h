#pragma once
// Files as the program keeps them: whole-file reads that never block, and
// rewrites that are locked, atomic and keep what the file is.
//
// The operating system's calls sit behind FileSystem: one implementation per
// platform (posix/, win32/) and the tests' own, which fails a chosen call. The
// rewrite procedure itself (EditFile, in FileEdit.cpp) is written once, above
// it:
//   1. Resolve a symbolic link to the file it ends at; the link stays.
//   2. Open the file without blocking (a FIFO, a device or a folder fails at
//      once) and take an exclusive lock on it, waiting a bounded time. The lock
//      belongs to the open file and dies with the process: no lock file is
//      ever left behind. When the path names another file once the lock is
//      held (someone replaced it meanwhile), start again on the new one. A
//      missing file is created under a lock on its folder instead, by a move
//      that never replaces a file someone else created meanwhile.
//   3. Read the bytes and let the caller compute the new ones.
//   4. Write them to a temporary file beside the old one
//      ("<name>.kvr-<pid>-<n>.tmp"), give it the old file's owner, group and
//      permission bits, flush it, and move it over the old file. The lock is
//      held until after the move.
//   5. Remove temporary files of this name left by processes that no longer
//      run (a writer killed half-way); a live writer's are never touched.
// A file without any write permission is read-only, for every user. Readers
// take no lock: they see the old file or the new one, never a mix.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::platform {

// An open file or folder of a FileSystem; kNoFile when none.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// The operating system's file calls, each as narrow as the rewrite needs.
// Calls never block, except Pause.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    enum class OpenResult { Ok, Missing, NotRegular, Failed };
    // Opens an existing regular file for reading.
    virtual OpenResult OpenRead(const std::string& path, FileHandle& file) = 0;
    // Opens a folder so that it can be locked.
    virtual bool OpenFolder(const std::string& folder, FileHandle& handle) = 0;
    // Every byte from the start of the file.
    virtual bool ReadAll(FileHandle file, std::string& bytes) = 0;
    // An exclusive lock on the open file or folder, without waiting: whether
    // it was taken. Close and the end of the process release it.
    virtual bool TryLock(FileHandle file) = 0;
    // Whether path still names the open file.
    virtual bool StillNamed(FileHandle file, const std::string& path) = 0;
    // Whether nobody may write the file: no write permission bit at all (the
    // read-only attribute on Windows).
    virtual bool ReadOnly(FileHandle file) = 0;
    // Creates a file of that name for writing, failing when one exists.
    virtual bool CreateNew(const std::string& path, FileHandle& file) = 0;
    virtual bool Write(FileHandle file, std::string_view bytes) = 0;
    // Flushes the file's bytes to the disk.
    virtual bool Flush(FileHandle file) = 0;
    enum class KeepResult { Ok, ForeignOwner, Failed };
    // Gives `to` the owner, group and permission bits of `from`. ForeignOwner
    // when the process may not give it the owner or group. A file shared
    // through a group that may write it, whose owner keeps access through
    // that group (or is the administrator), may pass to the member who
    // rewrites it, with its group and bits.
    virtual KeepResult KeepOwnership(FileHandle from, FileHandle to) = 0;
    virtual void Close(FileHandle file) = 0;
    // Moves `from` over `to` in one step.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    enum class PlaceResult { Ok, Exists, Failed };
    // Moves `from` to the name `to` unless that name is taken.
    virtual PlaceResult PlaceNew(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    // Makes the folder's latest moves durable.
    virtual void FlushFolder(const std::string& folder) = 0;
    // The names in a folder.
    virtual std::vector<std::string> FolderEntries(const std::string& folder) = 0;
    // The path a chain of symbolic links at path ends at; path itself when it
    // is no link. The end need not exist.
    virtual std::string FinalPath(const std::string& path) = 0;
    virtual std::int64_t ProcessId() = 0;
    virtual bool ProcessRuns(std::int64_t pid) = 0;
    virtual void Pause(std::chrono::milliseconds time) = 0;
};

// The operating system's own.
FileSystem& MachineFileSystem();

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads every byte of a file. Missing means the file does not exist; any
// other failure (no rights, a folder, a FIFO or device, an I/O error) is
// Unreadable.
ReadStatus ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes);
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes);

enum class EditStatus {
    Done,          // written, or nothing to change
    Unreadable,    // exists but cannot be read: no rights, not a regular file
    ReadOnly,      // no write permission bit
    Busy,          // another program kept it locked for the whole wait
    ForeignOwner,  // the new file could not be given the old owner and group
    Failed,        // the new file could not be created, written, flushed or moved
};

// The new bytes, or nothing to leave the file as it is. `existing` is null
// when the file is missing. It runs under the lock and may throw; the file
// is then unchanged.
using FileEdit = std::function<std::optional<std::string>(const std::string* existing)>;

// How long EditFile waits for another program's lock.
inline constexpr std::chrono::milliseconds kLockWait{5000};

// One locked read-modify-replace of a file, as described at the top.
EditStatus EditFile(FileSystem& fs, const std::string& path, const FileEdit& edit,
                    std::chrono::milliseconds wait = kLockWait);
EditStatus EditFile(const std::string& path, const FileEdit& edit);

// Replaces (or creates) a file with the bytes, as one EditFile.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// Whether a folder entry is a temporary file of EditFile for the file `name`,
// and the process that made it.
std::optional<std::int64_t> TemporaryFileOwner(std::string_view entry, std::string_view name);

// Whether a file could be created or replaced at path: its folder is
// writable, or is missing and could be made in a writable parent.
bool IsWritableLocation(const std::string& path);
// Makes the folder of path when it is missing (its parent must exist).
void MakeFolderOf(const std::string& path);

// The process's current directory, always ending in the path separator.
// Raises FileError when it cannot be determined (removed, or not reachable).
std::string CurrentDirectory();

// "/" here, "\\" on Windows.
char PathSeparator();

}  // namespace kvr::platform
