// kvrcfg's export against its list --json on files of 10,000 and 140,000
// aliases, each run in the process as the program runs it (output to memory).
// Export reads the file once: at 10,000 aliases it must stay within three
// times the listing. The ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "RunTimes.h"
#include "cli/Commands.h"
#include "platform/Files.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"

namespace {

class Folder {
  public:
    explicit Folder(int aliases) {
        std::string base = (std::filesystem::temp_directory_path() / "kvrcfg-bench-XXXXXX");
        std::vector<char> name(base.begin(), base.end());
        name.push_back('\0');
        path_ = std::string(::mkdtemp(name.data())) + "/";
        const kvr::CEncrpyt cipher;
        const std::string key = "12:00:00 01/01/2026";
        std::string bytes;
        for (int i = 0; i < aliases; ++i) {
            const std::string n = std::to_string(i);
            bytes += "[Alias" + n + "]\r\n";
            const std::string values[] = {"db" + n, "srv" + n + ",1433", "user" + n, "pw" + n};
            for (std::size_t f = 0; f < kvr::kAliasFieldKeys.size(); ++f) {
                bytes += std::string(kvr::kAliasFieldKeys[f]) + "=" +
                         cipher.Encrypt(key, values[f]) + "\r\n";
            }
        }
        kvr::platform::ReplaceFile(path_ + "KVRCFG", bytes);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

void RunKvrcfg(benchmark::State& state, std::vector<std::string> command) {
    Folder folder(static_cast<int>(state.range(0)));
    std::vector<std::string> args = {"--dir", folder.Path(), "--registry",
                                     folder.Path() + "registry.reg"};
    args.insert(args.end(), command.begin(), command.end());
    for (auto _ : state) {
        std::ostringstream out, err;
        std::istringstream in;
        kvr::cli::Io io{out, err, in, nullptr};
        if (kvr::cli::Run(args, io) != kvr::cli::kDone) {
            state.SkipWithError(err.str().c_str());
            break;
        }
        benchmark::DoNotOptimize(out.str().size());
    }
}

void BM_ListJson(benchmark::State& state) {
    RunKvrcfg(state, {"list", "--json"});
}
void BM_Export(benchmark::State& state) {
    RunKvrcfg(state, {"export", "--reveal"});
}
BENCHMARK(BM_ListJson)->Arg(10000)->Arg(140000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->Arg(10000)->Arg(140000)->Unit(benchmark::kMillisecond);

// The export's time against list --json's at 10,000 aliases.
void PrintRatio(const kvr::bench::RunTimes& times) {
    const double list = times.Time("BM_ListJson/10000");
    const double exported = times.Time("BM_Export/10000");
    if (list <= 0.0 || exported <= 0.0) {
        return;
    }
    const double ratio = exported / list;
    std::printf("\nAt 10,000 aliases: export %.1f ms = %.2fx list --json (target <= 3x)  %s\n",
                exported, ratio, ratio <= 3.0 ? "ok" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("LC_ALL", "C.UTF-8", 1);
    benchmark::Initialize(&argc, argv);
    kvr::bench::RunTimes times;
    benchmark::RunSpecifiedBenchmarks(&times);
    PrintRatio(times);
    benchmark::Shutdown();
    return 0;
}
