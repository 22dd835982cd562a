// Work off the GUI thread while the window repaints but takes no input.
#include "ui/Frmmain.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>

namespace kvr {
namespace {

// Eats the user's input while work runs off the GUI thread, and the input
// that queued up meanwhile, so that no click lands after the work is done.
class InputEater : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::ContextMenu:
            case QEvent::InputMethod:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

void TfmMain::RunWithoutInput(const std::function<void()>& work) {
    InputEater eater;
    qApp->installEventFilter(&eater);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    running_ = true;

    std::exception_ptr failure;
    QEventLoop loop;
    QThread* worker = QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    // Repaints go on; input waits in the queue and is eaten below.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    delete worker;
    QCoreApplication::processEvents();  // delivers the queued input to the eater

    running_ = false;
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&eater);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace kvr
