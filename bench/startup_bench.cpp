// Time from building the main window to the end of its first activation,
// for alias files of several sizes. Aim: 10,000 aliases within 1.5 times an
// empty file.
#include <QApplication>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

void BM_StartUp(benchmark::State& state) {
    const std::string dir = MakeWorkDir(static_cast<int>(state.range(0)));
    kvr::MainFormServices services = kvr::MainFormServices::Machine();
    services.currentDirectory = [dir] { return dir; };
    services.publishSettings = [](const std::string&) {};
    for (auto _ : state) {
        kvr::TfmMain window(services);
        window.show();
        window.activateWindow();
        while (window.Form().FirstActivatePending()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    kvr::platform::SetAnsiCodePage("UTF-8");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
