// The connection test as the user meets it: time from the click on btnTest to
// the result box, against a closed port (aim: under 100 ms) and against the
// login responder on 127.0.0.1. Runs the real window under the offscreen
// platform and the real FreeTDS open.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/MachineServices.h"
#include "fixtures/TdsResponder.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"
#include "ui/Frmmain.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes when a message box appears and closes it at once.
class BoxWatcher : public QObject {
  public:
    Clock::time_point shown{};
    QString text;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(object)) {
                shown = Clock::now();
                text = box->text();
                QTimer::singleShot(0, box, &QMessageBox::accept);
            }
        }
        return false;
    }
};

void RunClicks(benchmark::State& state, const std::string& server, const QString& expected) {
    kvr::test::TempDir dir;
    kvr::test::WriteBytes(dir.File("KVRCFG"), "[bench]\r\n");
    kvr::MainFormServices services = kvr::MachineServices();
    services.currentDirectory = [path = dir.Path()] { return path; };
    services.publishSettings = [](const std::string&) {};
    services.publishedWorkDir = nullptr;
    kvr::TfmMain window(services);
    window.show();
    if (!QTest::qWaitForWindowActive(&window)) {
        state.SkipWithError("the window did not activate");
        return;
    }
    auto* tree = window.findChild<QTreeWidget*>("TreeView1");
    tree->expandItem(tree->topLevelItem(0));
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    window.Form().TreeView1Click();
    window.findChild<QLineEdit*>("edServerName")->setText(QString::fromStdString(server));
    window.findChild<QLineEdit*>("edUserName")->setText("sa");
    window.findChild<QLineEdit*>("edPassWord")->setText("secret");
    window.findChild<QLineEdit*>("edDatabaseName")->setText("Sales");
    auto* button = window.findChild<QPushButton*>("btnTest");

    BoxWatcher watcher;
    qApp->installEventFilter(&watcher);
    for (auto _ : state) {
        const Clock::time_point clicked = Clock::now();
        QTest::mouseClick(button, Qt::LeftButton);
        if (watcher.text != expected) {
            state.SkipWithError(("unexpected box: " + watcher.text.toStdString()).c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(watcher.shown - clicked).count());
    }
    qApp->removeEventFilter(&watcher);
}

void BM_ClickToFailureOnClosedPort(benchmark::State& state) {
    kvr::test::ClosedPort closed;
    RunClicks(state, "127.0.0.1," + std::to_string(closed.port()),
              QString::fromUtf16(u"連線失敗!!"));
}
BENCHMARK(BM_ClickToFailureOnClosedPort)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ClickToSuccessOnLocalResponder(benchmark::State& state) {
    kvr::test::TdsResponder responder({"sa", "secret", "Sales"});
    RunClicks(state, "127.0.0.1," + std::to_string(responder.port()),
              QString::fromUtf16(u"連線成功!!"));
}
BENCHMARK(BM_ClickToSuccessOnLocalResponder)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kvr::platform::SetAnsiCodePage("UTF-8");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kavrolis");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
