#include "texts/FileErrors.h"

#include "texts/Texts.h"

namespace kvr::texts {

namespace {

using platform::FileCause;

std::string Joined(const std::string& firstLine, const std::string& cause) {
    return cause.empty() ? firstLine : firstLine + "\n" + cause;
}

}  // namespace

std::string CauseText(const platform::FileTrouble& trouble, bool writing) {
    const std::string& path = trouble.path;
    switch (trouble.cause) {
        case FileCause::PermissionDenied: {
            const std::string owner = trouble.owner.empty()
                                          ? Say(KVR_TEXT("FileError", "an unknown user"))
                                          : trouble.owner;
            return writing ? Say(KVR_TEXT("FileError",
                                          "Permission denied: this user may not write %1, which "
                                          "belongs to %2."),
                                 {path, owner})
                           : Say(KVR_TEXT("FileError",
                                          "Permission denied: this user may not read %1, which "
                                          "belongs to %2."),
                                 {path, owner});
        }
        case FileCause::ReadOnly:
            return Say(KVR_TEXT("FileError",
                                "%1 is read-only: nobody may write it until it is given write "
                                "permission."),
                       {path});
        case FileCause::NoFolder:
            return Say(KVR_TEXT("FileError", "The folder %1 does not exist."), {path});
        case FileCause::NotRegular:
            return Say(KVR_TEXT("FileError", "%1 is not a regular file: a folder or a device."),
                       {path});
        case FileCause::DiskFull:
            return Say(KVR_TEXT("FileError", "The disk that holds %1 is full."), {path});
        case FileCause::Locked:
            return Say(KVR_TEXT("FileError", "Another program keeps %1 locked."), {path});
        case FileCause::Unknown:
            break;
    }
    return {};
}

std::string WithReadCause(const std::string& firstLine, const std::string& path) {
    return Joined(firstLine, CauseText(platform::WhyFileFails(path, false), false));
}

std::string WithWriteCause(const std::string& firstLine, const std::string& path) {
    return Joined(firstLine, CauseText(platform::WhyFileFails(path, true), true));
}

std::string WithCause(const std::string& firstLine, const std::string& path,
                      platform::EditStatus status) {
    using platform::EditStatus;
    switch (status) {
        case EditStatus::Done:
            return firstLine;
        case EditStatus::Busy:
            return Joined(
                firstLine,
                Say(KVR_TEXT("FileError",
                             "Another program keeps %1 locked: it was still locked after %2 "
                             "seconds of waiting."),
                    {path, std::to_string(platform::kLockWait.count() / 1000)}));
        case EditStatus::ForeignOwner:
            return Joined(firstLine,
                          Say(KVR_TEXT("FileError",
                                       "%1 belongs to another user or group, which a rewrite "
                                       "would take from them."),
                              {path}));
        case EditStatus::ReadOnly:
            return Joined(firstLine, CauseText({FileCause::ReadOnly, path, {}}, true));
        case EditStatus::Unreadable:
            return WithReadCause(firstLine, path);
        case EditStatus::Failed:
            break;
    }
    return WithWriteCause(firstLine, path);
}

}  // namespace kvr::texts
