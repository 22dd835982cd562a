// The window follows KVRCFG as other programs change it: the system reports
// changes in the work directory, the file's write time and size decide.
#include "ui/win32/Frmmain.h"

#include <exception>

namespace kvr {

// Posted by the folder watch's thread; handled in Handle().
void TfmMain::WatchAliasFile() {
    FileStateChanged();  // the state the tree was built from
    HWND window = fmMain;
    std::atomic<bool>& posted = changePosted_;
    try {
        // The system reports every change in the folder; one message at a
        // time is queued, and the file's own state decides.
        watch_ = std::make_unique<platform::FolderWatch>(form_.WorkDir(), [window, &posted] {
            if (!posted.exchange(true)) {
                ::PostMessageW(window, kFolderChanged, 0, 0);
            }
        });
    } catch (const std::exception&) {
        // A folder the system will not watch: the window works on, and the
        // next command sees what the file holds then.
    }
}

// Whether KVRCFG's last write time or size differs from the last call's.
bool TfmMain::FileStateChanged() {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::string path = form_.WorkDir() + "KVRCFG";
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        data = {};  // a missing file counts as one more state
    }
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const bool changed =
        ::CompareFileTime(&data.ftLastWriteTime, &fileWritten_) != 0 || size != fileSize_;
    fileWritten_ = data.ftLastWriteTime;
    fileSize_ = size;
    return changed;
}

}  // namespace kvr
