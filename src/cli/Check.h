#pragma once
// What in an alias file would trouble the editor or the suite's programs.
// Reads only.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvr::cli {

struct Finding {
    std::size_t line = 0;  // 1-based line of the file
    std::string alias;     // the section it concerns, as the file spells it ("" for none)
    std::string kind;      // a short fixed word, for scripts
    std::string message;   // UTF-8, for people
};

// The findings in line order; none for a file that is fine.
std::vector<Finding> CheckAliasFile(std::string_view bytes);

}  // namespace kvr::cli
