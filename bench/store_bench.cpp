// The alias store on files of 100 to 10,000 aliases: listing, one alias read
// whole and written whole, each against the plain file operation it is built
// on (reading the file's bytes; one fsync'd rewrite of the same bytes in the
// same folder). The ratios and targets at 10,000 aliases are printed at the
// end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "RunTimes.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"
#include "store/KeyStamp.h"

namespace {

class Folder {
  public:
    explicit Folder(int aliases) {
        std::string base = (std::filesystem::temp_directory_path() / "kavrolis-bench-XXXXXX");
        std::vector<char> name(base.begin(), base.end());
        name.push_back('\0');
        path_ = std::string(::mkdtemp(name.data())) + "/";
        kvr::CEncrpyt cipher;
        std::string key = kvr::KeyStamp();
        for (int i = 0; i < aliases; ++i) {
            bytes_ += "[Alias" + std::to_string(i) + "]\r\n";
            for (const char* k : kvr::kAliasFieldKeys) {
                bytes_ += std::string(k) + "=" + cipher.Encrypt(key, "value-" + std::to_string(i)) +
                          "\r\n";
            }
        }
        kvr::platform::ReplaceFile(path_ + "KVRCFG", bytes_);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string path_;
    std::string bytes_;
};

// The alias in the middle of the file: what opening one alias in the editor costs.
std::string MiddleAlias(const benchmark::State& state) {
    return "alias" + std::to_string(state.range(0) / 2);
}

void BM_ReadFileBytes(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    std::string bytes;
    for (auto _ : state) {
        kvr::platform::ReadWholeFile(folder.Path() + "KVRCFG", bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_ListAliases(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    kvr::AliasFile file(folder.Path());
    for (auto _ : state) {
        auto names = file.ListAliases();
        benchmark::DoNotOptimize(names.data());
    }
}

void BM_ReadAliasFields(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    kvr::AliasFile file(folder.Path());
    const std::string alias = MiddleAlias(state);
    for (auto _ : state) {
        auto fields = file.ReadAliasFields(alias);
        benchmark::DoNotOptimize(fields.data());
    }
}

// The plain rewrite: a new file of the same bytes in the same folder, written,
// fsync'd and renamed over the old one.
void BM_FsyncRewrite(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    const std::string target = folder.Path() + "plain";
    const std::string tmp = folder.Path() + "plain.tmp";
    const std::string& bytes = folder.Bytes();
    for (auto _ : state) {
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 ||
            ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
            ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(tmp.c_str(), target.c_str()) != 0) {
            state.SkipWithError("plain rewrite failed");
            break;
        }
    }
}

// Locked, fsync'd and atomic, keeping the owner: the editor's save.
void BM_WriteAliasFields(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    kvr::AliasFile file(folder.Path());
    const std::string alias = MiddleAlias(state);
    const std::string stored = kvr::CEncrpyt().Encrypt(kvr::KeyStamp(), "new-value");
    for (auto _ : state) {
        file.WriteAliasFields(alias, {stored, stored, stored, stored});
    }
}

BENCHMARK(BM_ReadFileBytes)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListAliases)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadAliasFields)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FsyncRewrite)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteAliasFields)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The targets at 10,000 aliases, times in µs.
void PrintRatios(const kvr::bench::RunTimes& times) {
    auto time = [&](const char* name) { return times.Time(std::string(name) + "/10000"); };
    auto line = [&](const char* what, double us, const char* base, double baseUs, double maxRatio,
                    double maxUs) {
        if (us == 0.0) {
            return;
        }
        std::printf("%-20s %9.1f us (target < %.0f us)", what, us, maxUs);
        if (baseUs > 0.0) {
            std::printf("  = %.2fx %s (target <= %.0fx)", us / baseUs, base, maxRatio);
        }
        std::printf("  %s\n",
                    us <= maxUs && (baseUs == 0.0 || us / baseUs <= maxRatio) ? "ok" : "MISSED");
    };
    std::printf("\nAt 10,000 aliases:\n");
    line("ReadAliasFields", time("BM_ReadAliasFields"), "reading the bytes",
         time("BM_ReadFileBytes"), 4, 1000);
    line("WriteAliasFields", time("BM_WriteAliasFields"), "one fsync'd rewrite",
         time("BM_FsyncRewrite"), 3, 15000);
    line("ListAliases", time("BM_ListAliases"), "", 0, 0, 2000);
}

}  // namespace

int main(int argc, char** argv) {
    kvr::platform::SetAnsiCodePage("windows-950");
    benchmark::Initialize(&argc, argv);
    kvr::bench::RunTimes times;
    benchmark::RunSpecifiedBenchmarks(&times);
    PrintRatios(times);
    benchmark::Shutdown();
    return 0;
}
