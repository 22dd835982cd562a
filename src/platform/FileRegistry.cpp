// The registry in a REGEDIT4 file: disk access around RegEdit4.
#include "platform/FileRegistry.h"

#include "platform/Files.h"
#include "platform/RegEdit4.h"

namespace kvr::platform {

namespace {

constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE";
constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey;

enum class LoadStatus { Ok, Missing, Unusable };

// The file's bytes (null for a missing file) as a document. An empty file is
// an empty registry; one whose key has lines we do not understand is unusable.
LoadStatus Parse(const std::string* bytes, std::string_view path, std::optional<RegEdit4>& doc) {
    if (bytes == nullptr || bytes->empty()) {
        doc = RegEdit4::Empty();
        return bytes == nullptr ? LoadStatus::Missing : LoadStatus::Ok;
    }
    doc = RegEdit4::Parse(*bytes);
    if (!doc || !doc->KeySound(path)) {
        return LoadStatus::Unusable;
    }
    return LoadStatus::Ok;
}

// The file as a document; one that cannot be read is unusable.
LoadStatus Load(FileSystem& fs, const std::string& file, std::string_view path,
                std::optional<RegEdit4>& doc) {
    std::string bytes;
    switch (ReadWholeFile(fs, file, bytes)) {
        case ReadStatus::Missing:
            return Parse(nullptr, path, doc);
        case ReadStatus::Unreadable:
            return LoadStatus::Unusable;
        case ReadStatus::Ok:
            break;
    }
    return Parse(&bytes, path, doc);
}

std::optional<std::string> KeyPath(std::string_view subKey) {
    if (subKey.find_first_of("[]\r\n") != subKey.npos) {
        return std::nullopt;
    }
    std::string path(kRootKey);
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }
    return path;
}

class FileKey : public RegKey::Handle {
  public:
    FileKey(FileSystem& fs, std::string file, std::string path, std::uint32_t access)
        : fs_(fs), file_(std::move(file)), path_(std::move(path)), access_(access) {}

    std::optional<RegValue> QueryValue(std::string_view name) const override {
        std::optional<RegEdit4> doc;
        if ((access_ & kKeyQueryValue) == 0 || Load(fs_, file_, path_, doc) != LoadStatus::Ok) {
            return std::nullopt;
        }
        return doc->FindValue(path_, name);
    }

    bool SetValue(std::string_view name, const RegValue& value) override {
        return Edit([&](RegEdit4& doc) { return doc.SetValue(path_, name, value); });
    }

    // The reader is not needed: the file itself is read under the lock.
    void SetValues(const std::vector<PlannedValue>& plan, const RegKey&) override {
        Edit([&](RegEdit4& doc) {
            bool changed = false;
            for (const PlannedValue& planned : plan) {
                if (!planned.wanted || planned.wanted(doc.FindValue(path_, planned.name))) {
                    changed = doc.SetValue(path_, planned.name, planned.value) || changed;
                }
            }
            return changed;
        });
    }

  private:
    // Read, changed and replaced under the file's lock, so values that other
    // programs set meanwhile are kept. `change` says whether it changed doc.
    template <typename Change>
    bool Edit(Change change) {
        if ((access_ & kKeySetValue) == 0) {
            return false;
        }
        // Only the registry's own folder is made; a failure shows in the write.
        MakeFolderOf(file_);
        // Read, changed and replaced under the file's lock, so values that
        // other programs set meanwhile are kept. A new file is readable by
        // all, as the package makes it: every user's programs read it.
        bool changed = false;
        EditStatus status = EditFile(
            fs_, file_,
            [&](const std::string* bytes) -> std::optional<std::string> {
                std::optional<RegEdit4> doc;
                changed = false;
                if (Parse(bytes, path_, doc) == LoadStatus::Unusable || !change(*doc)) {
                    return std::nullopt;
                }
                changed = true;
                return doc->Bytes();
            },
            kLockWait, NewFileAccess::Readable);
        return changed && status == EditStatus::Done;
    }

    FileSystem& fs_;
    std::string file_;
    std::string path_;  // the section name, "HKEY_LOCAL_MACHINE\..."
    std::uint32_t access_;
};

}  // namespace

FileRegistry::FileRegistry(std::string file, FileSystem& fs) : file_(std::move(file)), fs_(&fs) {}

RegKey FileRegistry::CreateKey(std::string_view subKey, std::uint32_t access) const {
    auto path = KeyPath(subKey);
    std::optional<RegEdit4> doc;
    if (!path || Load(*fs_, file_, *path, doc) == LoadStatus::Unusable) {
        return {};
    }
    if ((access & kWriteRights) != 0 && !IsWritableLocation(file_)) {
        return {};
    }
    return RegKey(std::make_unique<FileKey>(*fs_, file_, *path, access));
}

RegKey FileRegistry::OpenKey(std::string_view subKey, std::uint32_t access) const {
    auto path = KeyPath(subKey);
    std::optional<RegEdit4> doc;
    if (!path || Load(*fs_, file_, *path, doc) != LoadStatus::Ok || !doc->KeyExists(*path)) {
        return {};
    }
    if ((access & kWriteRights) != 0 && !IsWritableLocation(file_)) {
        return {};
    }
    return RegKey(std::make_unique<FileKey>(*fs_, file_, *path, access));
}

}  // namespace kvr::platform
