#pragma once
// The order the tree shows alias names in: the user's locale order, letter
// case counting.
#include <string>
#include <vector>

namespace kvr {

// The names' bytes and their texts as shown, in display order.
struct SortedNames {
    std::vector<std::string> names;
    std::vector<std::u16string> texts;
};

// One collation key per name keeps start-up fast for large files.
SortedNames SortedForDisplay(std::vector<std::string> names);

}  // namespace kvr
