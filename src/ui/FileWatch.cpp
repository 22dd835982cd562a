// The window follows KVRCFG as other programs change it.
#include "ui/Frmmain.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QTimer>

namespace kvr {

// Other windows and programs replace KVRCFG whole: its folder sees the new
// file arrive, and the file itself sees edits in place. A burst of changes
// ends in one refresh.
void TfmMain::WatchAliasFile() {
    if (watcher_ != nullptr || form_.WorkDir().empty()) {
        return;
    }
    const QString folder = QFile::decodeName(QByteArray::fromStdString(form_.WorkDir()));
    const QString file = folder + QStringLiteral("KVRCFG");
    watcher_ = new QFileSystemWatcher(this);
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(150);
    connect(settle, &QTimer::timeout, this, [this, file] {
        // MainForm holds the refresh while a question, the menu, the name
        // dialog or a test is open, and runs it when they are over.
        // A replaced file is a new file: watch the one there now.
        watcher_->removePath(file);
        watcher_->addPath(file);
        form_.AliasFileChanged();
    });
    auto changed = [settle] { settle->start(); };
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, changed);
    watcher_->addPath(folder);
    watcher_->addPath(file);
}

}  // namespace kvr
