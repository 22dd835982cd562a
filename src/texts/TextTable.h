#pragma once
// The translations of our own texts, generated at build time from the .ts
// file of src/ui/translations (see TextTable.cmake): UTF-8, one row per text.
#include <cstddef>

namespace kvr::texts {

struct TableRow {
    const char* context;
    const char* english;
    const char* chinese;
};

extern const TableRow kTextTable[];
extern const std::size_t kTextTableSize;

}  // namespace kvr::texts
