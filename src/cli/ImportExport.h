#pragma once
// kvrcfg's JSON form of the alias file: `export` writes it, `import` reads it.
//   {"kvrcfg": 1, "codePage": "...", "passwords": "revealed" | "masked",
//    "aliases": [{"name": ..., "database": ..., "server": ..., "user": ...,
//                 "password": ...}, ...]}
// A bare array of aliases is read as well. Texts are strings, or {"hex": ...}
// for bytes that are not text of the code page (cli/Text.h).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/AliasStore.h"
#include "cli/Commands.h"

namespace kvr::cli {

struct Session;

// What a reader takes at most: the file's size, the depth of nesting (ours is
// four deep) and the bytes of a name.
inline constexpr std::size_t kMaxImportBytes = std::size_t{64} << 20;
inline constexpr int kMaxImportDepth = 8;
inline constexpr std::size_t kMaxImportName = 255;

struct Imported {
    std::string name;  // without surrounding blanks, as `add` takes it
    Fields values;
    bool maskedPassword = false;  // masked in the file, taken only with keepMasked
};

// The aliases of a JSON file, every one checked as the store would check it:
// a Refusal saying what is wrong and where (`source` names the file) for
// anything else. Writes nothing. With keepMasked a masked password is taken
// (maskedPassword: "leave the stored one") instead of refused.
std::vector<Imported> ReadAliasesJson(std::string_view bytes, const std::string& source,
                                      bool keepMasked = false);
// The same for a file, or standard input for "-", bounded in size.
std::vector<Imported> ReadAliasesFrom(const std::string& file, Io& io, bool keepMasked = false);

// The commands.
int Export(Session& session);
int Import(Session& session);

}  // namespace kvr::cli
