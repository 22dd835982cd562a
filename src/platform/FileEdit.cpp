// The locked, atomic rewrite of Files.h, written once over FileSystem so that
// every platform and the tests' failing file system run the same steps.
#include <algorithm>
#include <atomic>
#include <charconv>

#include "platform/Files.h"

namespace kvr::platform {

namespace {

using namespace std::chrono_literals;

constexpr std::string_view kTempMark = ".kvr-";
constexpr std::string_view kTempEnd = ".tmp";
// Replacements by others between our open and our lock each cost one more
// round; this many in a row means something keeps replacing the file.
constexpr int kMaxRounds = 1000;

// Closes a handle when the scope ends.
class Handle {
  public:
    explicit Handle(FileSystem& fs) : fs_(fs) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    FileHandle& Out() { return handle_; }
    FileHandle Get() const { return handle_; }
    void Close() {
        if (handle_ != kNoFile) {
            fs_.Close(handle_);
            handle_ = kNoFile;
        }
    }

  private:
    FileSystem& fs_;
    FileHandle handle_ = kNoFile;
};

// The folder part of a path, separator included ("" for a bare name), and
// the folder as a name the file system takes.
struct Place {
    std::string prefix;
    std::string name;
    std::string Folder() const { return prefix.empty() ? std::string(".") : prefix; }
};

Place PlaceOf(const std::string& path) {
    auto sep = path.find_last_of(PathSeparator());
    if (sep == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, sep + 1), path.substr(sep + 1)};
}

bool LockWithin(FileSystem& fs, FileHandle handle, std::chrono::milliseconds wait) {
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds pause{1};
    while (!fs.TryLock(handle)) {
        if (waited >= wait) {
            return false;
        }
        fs.Pause(pause);
        waited += pause;
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
    }
    return true;
}

void RemoveLeftovers(FileSystem& fs, const Place& place) {
    const std::int64_t self = fs.ProcessId();
    for (const std::string& entry : fs.FolderEntries(place.Folder())) {
        auto owner = TemporaryFileOwner(entry, place.name);
        if (owner && *owner != self && !fs.ProcessRuns(*owner)) {
            fs.Remove(place.prefix + entry);
        }
    }
}

std::string FinalOrRefuse(FileSystem& fs, const std::string& path) {
    std::optional<std::string> final = fs.FinalPath(path);
    if (!final) {
        throw FileRefusal("Cannot open file " + path +
                          ": a symbolic link in a folder that others may write, owned neither "
                          "by the folder's owner nor by you, is not followed");
    }
    return *final;
}

// The bytes of an open file, refused unread above kMaxFileSize.
bool ReadBounded(FileSystem& fs, FileHandle file, const std::string& path, std::string& bytes) {
    if (fs.Size(file) > kMaxFileSize) {
        throw FileRefusal("Cannot open file " + path + ": it is larger than " +
                          std::to_string(kMaxFileSize >> 20) +
                          " MiB, the most an alias or registry file may hold");
    }
    return fs.ReadAll(file, bytes);
}

enum class Step { Done, Failed, ForeignOwner, Taken };

// Writes bytes to a new temporary file beside target and moves it into place:
// over the old file (open as `old`), or, with no old file, to a name still
// free (Taken when another writer created the file meanwhile).
Step WriteNew(FileSystem& fs, const Place& place, FileHandle old, NewFileAccess access,
              std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const std::string stem =
        place.prefix + place.name + std::string(kTempMark) + std::to_string(fs.ProcessId()) + "-";
    Handle tmp(fs);
    std::string tmpPath;
    for (int tries = 0;; ++tries) {
        tmpPath = stem + std::to_string(counter++) + std::string(kTempEnd);
        if (fs.CreateNew(tmpPath, tmp.Out())) {
            break;
        }
        if (tries == 3) {
            return Step::Failed;
        }
    }
    bool placed = false;
    struct RemoveUnlessPlaced {
        FileSystem& fs;
        const std::string& path;
        const bool& placed;
        ~RemoveUnlessPlaced() {
            if (!placed) {
                fs.Remove(path);
            }
        }
    } cleanup{fs, tmpPath, placed};

    // Owner and permissions first: the bytes never sit in a file others may
    // read when the old one kept them out.
    if (old != kNoFile) {
        switch (fs.KeepOwnership(old, tmp.Get())) {
            case FileSystem::KeepResult::Ok:
                break;
            case FileSystem::KeepResult::ForeignOwner:
                return Step::ForeignOwner;
            case FileSystem::KeepResult::Failed:
                return Step::Failed;
        }
    } else if (!fs.GiveNewFileAccess(tmp.Get(), place.Folder(), access)) {
        return Step::Failed;
    }
    if (!fs.Write(tmp.Get(), bytes) || !fs.Flush(tmp.Get())) {
        return Step::Failed;
    }
    tmp.Close();
    const std::string target = place.prefix + place.name;
    if (old != kNoFile) {
        if (!fs.Replace(tmpPath, target)) {
            // A replace may fail after it moved the old file away (Windows
            // does, errors 1176 and 1177): then the temporary file holds the
            // only copy of the new bytes. It is never removed; the move is
            // finished where the name is free.
            Handle probe(fs);
            switch (fs.OpenRead(target, probe.Out())) {
                case FileSystem::OpenResult::Ok:
                case FileSystem::OpenResult::NotRegular:
                    return Step::Failed;  // the old file is still there
                case FileSystem::OpenResult::Failed:
                    placed = true;  // cannot tell: the new bytes stay
                    return Step::Failed;
                case FileSystem::OpenResult::Missing:
                    placed = true;
                    if (fs.PlaceNew(tmpPath, target) != FileSystem::PlaceResult::Ok) {
                        return Step::Failed;
                    }
                    break;
            }
        }
    } else {
        switch (fs.PlaceNew(tmpPath, target)) {
            case FileSystem::PlaceResult::Ok:
                break;
            case FileSystem::PlaceResult::Exists:
                return Step::Taken;
            case FileSystem::PlaceResult::Failed:
                return Step::Failed;
        }
    }
    placed = true;
    fs.FlushFolder(place.Folder());
    return Step::Done;
}

EditStatus StatusOf(Step step) {
    switch (step) {
        case Step::Done:
            return EditStatus::Done;
        case Step::ForeignOwner:
            return EditStatus::ForeignOwner;
        default:
            return EditStatus::Failed;
    }
}

// A missing file, created under a lock on its folder so that two creators
// take turns. Nothing when the file appeared meanwhile: start again.
std::optional<EditStatus> CreateMissing(FileSystem& fs, const Place& place, const FileEdit& edit,
                                        std::chrono::milliseconds wait, NewFileAccess access) {
    Handle folder(fs);
    // Creators take turns on the folder's lock. Anyone who may read the
    // folder can hold that lock, so one that stays taken (or a folder that
    // cannot be opened) is passed by: the move below still never replaces a
    // file created meanwhile.
    if (fs.OpenFolder(place.Folder(), folder.Out())) {
        LockWithin(fs, folder.Get(), wait);
    }
    {
        Handle probe(fs);
        if (fs.OpenRead(place.prefix + place.name, probe.Out()) !=
            FileSystem::OpenResult::Missing) {
            return std::nullopt;
        }
    }
    std::optional<std::string> created = edit(nullptr);
    if (!created) {
        return EditStatus::Done;
    }
    RemoveLeftovers(fs, place);
    Step step = WriteNew(fs, place, kNoFile, access, *created);
    if (step == Step::Taken) {
        return std::nullopt;
    }
    return StatusOf(step);
}

}  // namespace

std::optional<std::int64_t> TemporaryFileOwner(std::string_view entry, std::string_view name) {
    if (!entry.starts_with(name) || !entry.substr(name.size()).starts_with(kTempMark) ||
        !entry.ends_with(kTempEnd)) {
        return std::nullopt;
    }
    std::string_view rest = entry.substr(name.size() + kTempMark.size());
    rest.remove_suffix(kTempEnd.size());
    std::int64_t pid = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (error != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != '-' || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

ReadStatus ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes) {
    bytes.clear();
    // A file replaced between the look at the path and the open (a link put
    // in its place, say) is looked at again.
    for (int round = 0; round < kMaxRounds; ++round) {
        const std::string target = FinalOrRefuse(fs, path);
        Handle file(fs);
        switch (fs.OpenRead(target, file.Out())) {
            case FileSystem::OpenResult::Missing:
                return ReadStatus::Missing;
            case FileSystem::OpenResult::NotRegular:
            case FileSystem::OpenResult::Failed:
                return ReadStatus::Unreadable;
            case FileSystem::OpenResult::Ok:
                break;
        }
        if (!fs.StillNamed(file.Get(), target)) {
            continue;
        }
        if (!ReadBounded(fs, file.Get(), path, bytes)) {
            bytes.clear();
            return ReadStatus::Unreadable;
        }
        return ReadStatus::Ok;
    }
    return ReadStatus::Unreadable;
}

ReadStatus ReadWholeFile(const std::string& path, std::string& bytes) {
    return ReadWholeFile(MachineFileSystem(), path, bytes);
}

EditStatus EditFile(FileSystem& fs, const std::string& path, const FileEdit& edit,
                    std::chrono::milliseconds wait, NewFileAccess access) {
    for (int round = 0; round < kMaxRounds; ++round) {
        // A link stays a link: the new file goes where it points.
        const Place place = PlaceOf(FinalOrRefuse(fs, path));
        const std::string target = place.prefix + place.name;
        Handle file(fs);
        bool locked = false;
        switch (fs.OpenEdit(target, file.Out())) {
            case FileSystem::OpenResult::Missing:
                if (auto status = CreateMissing(fs, place, edit, wait, access)) {
                    return *status;
                }
                continue;
            case FileSystem::OpenResult::NotRegular:
                return EditStatus::Unreadable;
            case FileSystem::OpenResult::Failed:
                // Not ours to write (or not even to read): without the lock
                // the file is only read, and a change is refused.
                switch (fs.OpenRead(target, file.Out())) {
                    case FileSystem::OpenResult::Ok:
                        break;
                    case FileSystem::OpenResult::Missing:
                        continue;
                    default:
                        return EditStatus::Unreadable;
                }
                break;
            case FileSystem::OpenResult::Ok:
                if (!LockWithin(fs, file.Get(), wait)) {
                    return EditStatus::Busy;
                }
                locked = true;
                break;
        }
        // Whoever held the lock may have replaced the file: the lock on the
        // old one guards nothing then. A link put in its place is looked at
        // again.
        if (!fs.StillNamed(file.Get(), target)) {
            continue;
        }
        std::string bytes;
        if (!ReadBounded(fs, file.Get(), path, bytes)) {
            return EditStatus::Unreadable;
        }
        std::optional<std::string> updated = edit(&bytes);
        if (!updated) {
            return EditStatus::Done;
        }
        if (!locked || fs.ReadOnly(file.Get())) {
            return EditStatus::ReadOnly;
        }
        if (!fs.MayReplace(file.Get(), place.Folder())) {
            throw FileRefusal(
                "Cannot create file " + target +
                ": it belongs to another user and its folder is sticky (as /tmp is), where only "
                "a file's owner, the folder's owner and root may replace it; keep it in a "
                "folder of its group instead");
        }
        RemoveLeftovers(fs, place);
        return StatusOf(WriteNew(fs, place, file.Get(), NewFileAccess::Private, *updated));
    }
    return EditStatus::Busy;
}

EditStatus EditFile(const std::string& path, const FileEdit& edit, NewFileAccess access) {
    return EditFile(MachineFileSystem(), path, edit, kLockWait, access);
}

bool ReplaceFile(const std::string& path, std::string_view bytes) {
    return EditFile(path, [&](const std::string*) { return std::string(bytes); }) ==
           EditStatus::Done;
}

}  // namespace kvr::platform
