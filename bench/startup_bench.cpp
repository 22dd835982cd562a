// Time from building the main window to the end of its first activation,
// for alias files of several sizes. Aim: 10,000 aliases within 1.5 times an
// empty file.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/MachineServices.h"
#include "platform/Text.h"
#include "store/Cencrpyt.h"
#include "ui/Frmmain.h"

namespace {

// A work directory holding a KVRCFG of `count` aliases with four encoded
// fields each, in no particular order.
std::string MakeWorkDir(int count) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kavrolis-startup-" + std::to_string(count));
    std::filesystem::create_directories(dir);
    std::ofstream out(dir / "KVRCFG", std::ios::binary | std::ios::trunc);
    kvr::CEncrpyt cipher;
    const std::string key = "01:02:03 04/05/2024";
    for (int i = 0; i < count; ++i) {
        const std::string name = "Alias" + std::to_string((i * 7919) % count);
        out << '[' << name << "]\r\n"
            << "DatabaseName=" << cipher.Encrypt(key, "db" + name) << "\r\n"
            << "ServerName=" << cipher.Encrypt(key, "10.0.0.1,1433") << "\r\n"
            << "UserName=" << cipher.Encrypt(key, "sa") << "\r\n"
            << "PassWord=" << cipher.Encrypt(key, "secret") << "\r\n";
    }
    return dir.string() + "/";
}

kvr::MainFormServices Services(const std::string& dir) {
    kvr::MainFormServices services = kvr::MachineServices();
    services.currentDirectory = [dir] { return dir; };
    services.publishSettings = [](const std::string&) {};
    services.publishedWorkDir = nullptr;
    return services;
}

// Builds, shows and activates the window; returns once the first activation
// has listed the aliases.
void StartWindow(const kvr::MainFormServices& services, std::unique_ptr<kvr::TfmMain>& window) {
    window = std::make_unique<kvr::TfmMain>(services);
    window->show();
    window->activateWindow();
    while (window->Form().FirstActivatePending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
}

void BM_StartUp(benchmark::State& state) {
    const std::string dir = MakeWorkDir(static_cast<int>(state.range(0)));
    const kvr::MainFormServices services = Services(dir);
    for (auto _ : state) {
        std::unique_ptr<kvr::TfmMain> window;
        StartWindow(services, window);
        state.PauseTiming();
        window->close();
        window.reset();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole road from process start: the process is started afresh (this
// program in its child role), makes its application object, loads Qt's
// translations, builds and activates the window, and reports through a pipe
// the moment the first activation has ended.
std::string selfPath;

void BM_ProcessStartUp(benchmark::State& state) {
    const std::string dir = MakeWorkDir(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) {
            state.SkipWithError("pipe");
            break;
        }
        const std::string fd = std::to_string(fds[1]);
        const char* args[] = {selfPath.c_str(), "--child", dir.c_str(), fd.c_str(), nullptr};
        const auto started = std::chrono::steady_clock::now();
        pid_t pid = 0;
        if (::posix_spawn(&pid, selfPath.c_str(), nullptr, nullptr, const_cast<char**>(args),
                          environ) != 0) {
            state.SkipWithError("spawn");
            break;
        }
        ::close(fds[1]);
        char done = 0;
        const bool ok = ::read(fds[0], &done, 1) == 1;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!ok) {
            state.SkipWithError("the child did not finish its first activation");
            break;
        }
        state.SetIterationTime(elapsed.count());
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ProcessStartUp)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);

// The child role: the program's own start-up steps, then a byte on the pipe.
int RunChild(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavrolis"));
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_") + QLocale::system().name(),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    std::unique_ptr<kvr::TfmMain> window;
    StartWindow(Services(argv[2]), window);
    const int fd = std::atoi(argv[3]);
    const char done = 1;
    const bool written = ::write(fd, &done, 1) == 1;
    std::_Exit(written ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 4 && std::string(argv[1]) == "--child") {
        return RunChild(argc, argv);
    }
    selfPath = std::filesystem::read_symlink("/proc/self/exe").string();
    kvr::platform::SetAnsiCodePage("UTF-8");
    // What the process pays once before any alias is read: the application
    // object, the platform plugin, the fonts and the first window.
    const auto coldStart = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    {
        const std::string dir = MakeWorkDir(0);
        std::unique_ptr<kvr::TfmMain> window;
        StartWindow(Services(dir), window);
        window->close();
        std::filesystem::remove_all(dir);
    }
    const std::chrono::duration<double, std::milli> cold =
        std::chrono::steady_clock::now() - coldStart;
    std::printf("Cold start with an empty KVRCFG (once, not repeated): %.1f ms\n", cold.count());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
