#include "editor/DisplayOrder.h"

#include <algorithm>
#include <utility>

#include "platform/Text.h"

namespace kvr {

SortedNames SortedForDisplay(std::vector<std::string> names) {
    struct Entry {
        std::string key;
        std::u16string text;
        std::string name;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (std::string& name : names) {
        std::u16string text = platform::AnsiToUnicode(name);
        std::string key = platform::CollationKey(text);
        entries.push_back({std::move(key), std::move(text), std::move(name)});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.key < b.key; });
    SortedNames sorted;
    sorted.names.reserve(entries.size());
    sorted.texts.reserve(entries.size());
    for (Entry& entry : entries) {
        sorted.names.push_back(std::move(entry.name));
        sorted.texts.push_back(std::move(entry.text));
    }
    return sorted;
}

}  // namespace kvr
