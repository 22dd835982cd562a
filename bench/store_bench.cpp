// ListAliases, one alias's four field reads and writes, and a plain read of
// the same file's bytes for comparison, on files of 100 to 10,000 aliases.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Text.h"
#include "store/AliasFile.h"
#include "store/Cencrpyt.h"
#include "store/KeyStamp.h"

namespace {

const char* const kKeys[] = {"DatabaseName", "ServerName", "UserName", "PassWord"};

class Folder {
  public:
    explicit Folder(int aliases) {
        std::string base = (std::filesystem::temp_directory_path() / "kavrolis-bench-XXXXXX");
        std::vector<char> name(base.begin(), base.end());
        name.push_back('\0');
        path_ = std::string(::mkdtemp(name.data())) + "/";
        kvr::CEncrpyt cipher;
        std::string key = kvr::KeyStamp();
        std::string bytes;
        for (int i = 0; i < aliases; ++i) {
            bytes += "[Alias" + std::to_string(i) + "]\r\n";
            for (const char* k : kKeys) {
                bytes += std::string(k) + "=" + cipher.Encrypt(key, "value-" + std::to_string(i)) +
                         "\r\n";
            }
        }
        kvr::platform::ReplaceFile(path_ + "KVRCFG", bytes);
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

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

// The alias in the middle of the file: what opening one alias in the editor costs.
void BM_ReadFourFields(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    kvr::AliasFile file(folder.Path());
    const std::string alias = "alias" + std::to_string(state.range(0) / 2);
    for (auto _ : state) {
        for (const char* k : kKeys) {
            auto value = file.ReadAliasField(alias, k);
            benchmark::DoNotOptimize(value.data());
        }
    }
}

void BM_WriteFourFields(benchmark::State& state) {
    Folder folder(static_cast<int>(state.range(0)));
    kvr::AliasFile file(folder.Path());
    const std::string alias = "alias" + std::to_string(state.range(0) / 2);
    const std::string stored = kvr::CEncrpyt().Encrypt(kvr::KeyStamp(), "new-value");
    for (auto _ : state) {
        for (const char* k : kKeys) {
            file.WriteAliasField(alias, k, stored);
        }
    }
}

BENCHMARK(BM_ReadFileBytes)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListAliases)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadFourFields)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFourFields)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    kvr::platform::SetAnsiCodePage("windows-950");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
