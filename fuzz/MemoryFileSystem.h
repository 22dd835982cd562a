#pragma once
// A file system held in memory, for fuzzing the file operations over any
// bytes without touching the disk. Every call succeeds unless the file
// system's own rules say no (a missing file, a name already taken).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace kvr::fuzz {

class MemoryFileSystem : public platform::FileSystem {
  public:
    std::map<std::string, std::string> files;  // path -> bytes

    OpenResult OpenRead(const std::string& path, platform::FileHandle& file) override {
        if (files.count(path) == 0) {
            return OpenResult::Missing;
        }
        file = Open(path);
        return OpenResult::Ok;
    }
    std::int64_t Size(platform::FileHandle file) override {
        auto found = files.find(open_.at(file));
        return found == files.end() ? -1 : static_cast<std::int64_t>(found->second.size());
    }
    bool OpenFolder(const std::string& folder, platform::FileHandle& handle) override {
        handle = Open(folder);
        return true;
    }
    bool ReadAll(platform::FileHandle file, std::string& bytes) override {
        bytes = files.at(open_.at(file));
        return true;
    }
    bool TryLock(platform::FileHandle) override { return true; }
    bool StillNamed(platform::FileHandle, const std::string&) override { return true; }
    bool ReadOnly(platform::FileHandle) override { return false; }
    bool CreateNew(const std::string& path, platform::FileHandle& file) override {
        if (!files.emplace(path, std::string()).second) {
            return false;
        }
        file = Open(path);
        return true;
    }
    bool Write(platform::FileHandle file, std::string_view bytes) override {
        files.at(open_.at(file)).append(bytes);
        return true;
    }
    bool Flush(platform::FileHandle) override { return true; }
    KeepResult KeepOwnership(platform::FileHandle, platform::FileHandle) override {
        return KeepResult::Ok;
    }
    void Close(platform::FileHandle file) override { open_.erase(file); }
    bool Replace(const std::string& from, const std::string& to) override {
        files[to] = std::move(files.at(from));
        files.erase(from);
        return true;
    }
    PlaceResult PlaceNew(const std::string& from, const std::string& to) override {
        if (files.count(to) != 0) {
            return PlaceResult::Exists;
        }
        return Replace(from, to) ? PlaceResult::Ok : PlaceResult::Failed;
    }
    void Remove(const std::string& path) override { files.erase(path); }
    void FlushFolder(const std::string&) override {}
    std::vector<std::string> FolderEntries(const std::string& folder) override {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files) {
            if (path.starts_with(folder)) {
                names.push_back(path.substr(folder.size()));
            }
        }
        return names;
    }
    std::optional<std::string> FinalPath(const std::string& path) override { return path; }
    std::int64_t ProcessId() override { return 1; }
    bool ProcessRuns(std::int64_t) override { return true; }
    void Pause(std::chrono::milliseconds) override {}

  private:
    platform::FileHandle Open(const std::string& path) {
        open_[next_] = path;
        return next_++;
    }

    std::map<platform::FileHandle, std::string> open_;
    platform::FileHandle next_ = 3;
};

}  // namespace kvr::fuzz
