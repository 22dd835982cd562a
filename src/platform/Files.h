#pragma once
// Files as the program keeps them: whole-file reads that never block, and
// rewrites that are locked, atomic and keep what the file is.
//
// The operating system's calls sit behind FileSystem: one implementation per
// platform (posix/, win32/) and the tests' own, which fails a chosen call. The
// rewrite procedure itself (EditFile, in FileEdit.cpp) is written once, above
// it:
//   1. Resolve a symbolic link to the file it ends at; the link stays. A link
//      in a folder that others than its owner may write is followed only when
//      it belongs to the folder's owner or to the user running the program;
//      any other is refused (FileRefusal), as the kernel's protected_symlinks
//      does in sticky folders: otherwise a member of a shared folder's group
//      could make root write wherever the link points.
//   2. Open the file for writing without blocking (a FIFO, a device or a
//      folder fails at once) and take an exclusive lock on it, waiting a
//      bounded time. Only a process that may write the file can hold that
//      write lock, so a reader's flock cannot stop a writer (a reader's
//      fcntl read lock still would: every lock on the file is open to its
//      readers). The lock belongs to the open file and dies with the process:
//      no lock file is ever left behind. When the path names another file once
//      the lock is held (someone replaced it meanwhile), start again on the
//      new one. A user who may not write the file reads it unlocked, and a
//      change is refused as for a read-only file. A missing file is created by
//      a move that never replaces a file someone else created meanwhile
//      (creators take turns on a lock of the folder while they can get it); it
//      gets no access for others (NewFileAccess).
//   3. Read the bytes (a file above kMaxFileSize is refused before any is
//      read) and let the caller compute the new ones.
//   4. Write them to a temporary file beside the old one
//      ("<name>.kvr-<pid>-<n>.tmp"), born with access for its creator alone;
//      give it the old file's owner, group and permission bits, flush it, and
//      move it over the old file. The lock is held until after the move. A
//      file of another owner in a sticky folder cannot be moved over: that is
//      refused, with the reason, before anything is written.
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

#include "platform/Errors.h"

namespace kvr::platform {

// The largest file read or rewritten: far above any real alias or registry
// file (140,000 aliases take some 15 to 35 MB), far below what would stall or
// exhaust the machine.
inline constexpr std::int64_t kMaxFileSize = std::int64_t{64} << 20;

// A file refused for what it is, not for a failed call: larger than
// kMaxFileSize, reached through a link that may not be followed, or not
// replaceable in its sticky folder. The text says which and why.
class FileRefusal : public FileError {
  public:
    using FileError::FileError;
};

// Who may use a file the rewrite creates where none was.
enum class NewFileAccess {
    Private,   // the creator (0600), and a shared folder's group (0660)
    Readable,  // also read by all (0644; 0664 in a shared folder)
};

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
    // Opens an existing regular file for reading and for the lock of TryLock;
    // Failed when the user may not write it. Where a read-only handle can
    // hold that lock already (Windows), this is OpenRead.
    virtual OpenResult OpenEdit(const std::string& path, FileHandle& file) {
        return OpenRead(path, file);
    }
    // The size of the open file in bytes; -1 when unknown.
    virtual std::int64_t Size(FileHandle file) = 0;
    // Opens a folder so that it can be locked.
    virtual bool OpenFolder(const std::string& folder, FileHandle& handle) = 0;
    // Every byte from the start of the file; fails past kMaxFileSize.
    virtual bool ReadAll(FileHandle file, std::string& bytes) = 0;
    // An exclusive lock on the file (opened by OpenEdit) or folder, without
    // waiting: whether it was taken. Close and the end of the process release
    // it.
    virtual bool TryLock(FileHandle file) = 0;
    // Whether path still names the open file.
    virtual bool StillNamed(FileHandle file, const std::string& path) = 0;
    // Whether nobody may write the file: no write permission bit at all (the
    // read-only attribute on Windows).
    virtual bool ReadOnly(FileHandle file) = 0;
    // Creates a file of that name for writing, failing when one exists. Only
    // its creator may open it.
    virtual bool CreateNew(const std::string& path, FileHandle& file) = 0;
    // Gives a file made by CreateNew the permissions of a new file in the
    // folder.
    virtual bool GiveNewFileAccess(FileHandle file, const std::string& folder,
                                   NewFileAccess access) {
        (void)file, (void)folder, (void)access;
        return true;
    }
    // Whether the user may move a new file over the open file in the folder:
    // not in a sticky folder (mode 1777, as /tmp) when both belong to others.
    virtual bool MayReplace(FileHandle file, const std::string& folder) {
        (void)file, (void)folder;
        return true;
    }
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
    // is no link. The end need not exist. Nothing when a link of the chain
    // may not be followed (see the top).
    virtual std::optional<std::string> FinalPath(const std::string& path) = 0;
    virtual std::int64_t ProcessId() = 0;
    virtual bool ProcessRuns(std::int64_t pid) = 0;
    virtual void Pause(std::chrono::milliseconds time) = 0;
};

// The operating system's own.
FileSystem& MachineFileSystem();

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads every byte of a file. Missing means the file does not exist; any
// other failure (no rights, a folder, a FIFO or device, an I/O error) is
// Unreadable. Raises FileRefusal for a file above kMaxFileSize or behind a
// link that may not be followed, with nothing read.
ReadStatus ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes);
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes);

enum class EditStatus {
    Done,          // written, or nothing to change
    Unreadable,    // exists but cannot be read: no rights, not a regular file
    ReadOnly,      // no write permission bit, or none for this user
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

// One locked read-modify-replace of a file, as described at the top. Raises
// FileRefusal (nothing written) for the refusals described there.
EditStatus EditFile(FileSystem& fs, const std::string& path, const FileEdit& edit,
                    std::chrono::milliseconds wait = kLockWait,
                    NewFileAccess access = NewFileAccess::Private);
EditStatus EditFile(const std::string& path, const FileEdit& edit,
                    NewFileAccess access = NewFileAccess::Private);

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
