// The registry in a REGEDIT4 file: disk access around RegEdit4.
#include "platform/FileRegistry.h"

#include "platform/Files.h"
#include "platform/RegEdit4.h"

namespace kvr::platform {

namespace {

constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE";
constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey;

enum class LoadStatus { Ok, Missing, Unusable };

// The file as a document. An empty or missing file is an empty registry; one
// that cannot be read, or whose key has lines we do not understand, is
// unusable.
LoadStatus Load(const std::string& file, std::string_view path, std::optional<RegEdit4>& doc) {
    std::string bytes;
    switch (ReadWholeFile(file, bytes)) {
        case ReadStatus::Missing:
            doc = RegEdit4::Empty();
            return LoadStatus::Missing;
        case ReadStatus::Unreadable:
            return LoadStatus::Unusable;
        case ReadStatus::Ok:
            break;
    }
    if (bytes.empty()) {
        doc = RegEdit4::Empty();
        return LoadStatus::Ok;
    }
    doc = RegEdit4::Parse(bytes);
    if (!doc || !doc->KeySound(path)) {
        return LoadStatus::Unusable;
    }
    return LoadStatus::Ok;
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
    FileKey(std::string file, std::string path, std::uint32_t access)
        : file_(std::move(file)), path_(std::move(path)), access_(access) {}

    std::optional<RegValue> QueryValue(std::string_view name) const override {
        std::optional<RegEdit4> doc;
        if ((access_ & kKeyQueryValue) == 0 || Load(file_, path_, doc) != LoadStatus::Ok) {
            return std::nullopt;
        }
        return doc->FindValue(path_, name);
    }

    bool SetValue(std::string_view name, const RegValue& value) override {
        std::optional<RegEdit4> doc;
        if ((access_ & kKeySetValue) == 0 || Load(file_, path_, doc) == LoadStatus::Unusable ||
            !doc->SetValue(path_, name, value)) {
            return false;
        }
        // Only the registry's own folder is made; a failure shows in the write.
        MakeFolderOf(file_);
        return ReplaceFile(file_, doc->Bytes());
    }

  private:
    std::string file_;
    std::string path_;  // the section name, "HKEY_LOCAL_MACHINE\..."
    std::uint32_t access_;
};

}  // namespace

FileRegistry::FileRegistry(std::string file) : file_(std::move(file)) {}

RegKey FileRegistry::CreateKey(std::string_view subKey, std::uint32_t access) const {
    auto path = KeyPath(subKey);
    std::optional<RegEdit4> doc;
    if (!path || Load(file_, *path, doc) == LoadStatus::Unusable) {
        return {};
    }
    if ((access & kWriteRights) != 0 && !IsWritableLocation(file_)) {
        return {};
    }
    return RegKey(std::make_unique<FileKey>(file_, *path, access));
}

RegKey FileRegistry::OpenKey(std::string_view subKey, std::uint32_t access) const {
    auto path = KeyPath(subKey);
    std::optional<RegEdit4> doc;
    if (!path || Load(file_, *path, doc) != LoadStatus::Ok || !doc->KeyExists(*path)) {
        return {};
    }
    if ((access & kWriteRights) != 0 && !IsWritableLocation(file_)) {
        return {};
    }
    return RegKey(std::make_unique<FileKey>(file_, *path, access));
}

}  // namespace kvr::platform
