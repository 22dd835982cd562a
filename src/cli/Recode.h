#pragma once
// `recode`: the alias file's names and values carried from one code page to
// another in one locked rewrite, before the machine's code page changes, so
// that every program reads the same aliases afterwards.
#include <string>
#include <string_view>

#include "cli/AliasStore.h"
#include "cli/Commands.h"

namespace kvr::cli {

struct RecodeOptions {
    std::string from;  // code page names as platform::SetAnsiCodePage takes them
    std::string to;
    bool check = false;  // write nothing, say what would change
};

struct Recoded {
    std::string bytes;
    std::size_t names = 0;        // headers whose bytes changed
    std::size_t values = 0;       // field values whose bytes changed
    std::size_t freshStamps = 0;  // values that could not keep their stamp
};

// The file's bytes with every alias name and field value converted. Lines
// that are neither stay as they are, and so does a value that does not
// decode. Raises Refusal, naming the alias and the field, for anything the
// target cannot hold; the code page in force is the same afterwards.
Recoded RecodeAliasBytes(std::string_view bytes, const RecodeOptions& options);

int Recode(AliasStore& store, const RecodeOptions& options, Io& io);

}  // namespace kvr::cli
