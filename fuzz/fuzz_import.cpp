// kvrcfg's JSON reader (import, and every command that takes its JSON) over
// any bytes, into an empty work directory on a file system in memory, in both
// code pages. A file it refuses leaves nothing written; a file it accepts comes
// back through export: the export holds exactly the aliases read, and importing
// the export elsewhere exports the same bytes again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "MemoryFileSystem.h"
#include "cli/ImportExport.h"
#include "cli/Session.h"
#include "platform/Errors.h"
#include "platform/Text.h"

namespace {

using kvr::cli::Imported;

const std::string kFolder = "/mem/";

struct Outcome {
    bool accepted = false;
    std::string out;
};

// Runs one command over the work directory held in fs, `input` on standard input.
Outcome Command(kvr::fuzz::MemoryFileSystem& fs, std::vector<std::string> arguments,
                std::set<std::string> flags, const std::string& input,
                int (*run)(kvr::cli::Session&)) {
    std::ostringstream out, err;
    std::istringstream in(input);
    kvr::cli::Io io{out, err, in, nullptr};
    kvr::cli::Invocation call;
    call.arguments = std::move(arguments);
    call.flags = std::move(flags);
    kvr::cli::AliasStore store(kFolder, fs);
    const kvr::cli::RegistryChoice registry{nullptr, "none", {}};
    kvr::cli::Session session{store, call, io, kFolder, registry};
    try {
        FUZZ_CHECK(run(session) == kvr::cli::kDone);
    } catch (const kvr::cli::Refusal&) {
        return {};
    } catch (const kvr::Error&) {
        return {};
    }
    return {true, out.str()};
}

bool Same(const std::vector<Imported>& a, const std::vector<Imported>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].values != b[i].values) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    kvr::platform::SetAnsiCodePage(kvr::fuzz::kCodePages[input.ConsumeBool() ? 1 : 0]);
    const std::string json = input.ConsumeRemainingBytesAsString();

    std::vector<Imported> read;
    bool readable = true;
    try {
        read = kvr::cli::ReadAliasesJson(json, "-");
    } catch (const kvr::cli::Refusal&) {
        readable = false;
    } catch (const kvr::Error&) {
        readable = false;
    }

    kvr::fuzz::MemoryFileSystem fs;
    const Outcome imported = Command(fs, {"-"}, {}, json, kvr::cli::Import);
    FUZZ_CHECK(imported.accepted == readable);
    if (!imported.accepted) {
        FUZZ_CHECK(fs.files.empty());  // nothing written
        return 0;
    }
    const Outcome exported = Command(fs, {}, {"--reveal"}, "", kvr::cli::Export);
    FUZZ_CHECK(exported.accepted);
    FUZZ_CHECK(Same(kvr::cli::ReadAliasesJson(exported.out, "export"), read));

    kvr::fuzz::MemoryFileSystem other;
    FUZZ_CHECK(Command(other, {"-"}, {}, exported.out, kvr::cli::Import).accepted);
    FUZZ_CHECK(Command(other, {}, {"--reveal"}, "", kvr::cli::Export).out == exported.out);
    return 0;
}
