#pragma once
// Why a file could not be read or rewritten, in terms the user acts on. The
// operating system's error codes (errno here, GetLastError on Windows) are
// sorted into these causes in one place per platform.
#include <string>

namespace kvr::platform {

enum class FileCause {
    Unknown,           // none of the below
    PermissionDenied,  // this user may not read or write it
    ReadOnly,          // nobody may write it: no write permission, a read-only disk
    NoFolder,          // the folder it should lie in does not exist
    NotRegular,        // a folder, a device or a pipe
    DiskFull,          // no room left on its disk
    Locked,            // another program holds it
};

// The cause of an operating-system error code.
FileCause CauseOfSystemError(long code);

struct FileTrouble {
    FileCause cause = FileCause::Unknown;
    std::string path;   // the file or folder the cause is about
    std::string owner;  // PermissionDenied: the name of its owner, when known
};

// Looks at a file that could not be read (writing false) or rewritten,
// created included (writing true), and says why. Nothing is changed.
FileTrouble WhyFileFails(const std::string& path, bool writing);

}  // namespace kvr::platform
