#pragma once
// Lines of a text file over its bytes: a line ends in CR, LF or CR LF, and
// every other byte belongs to it, NUL included. The alias file, the profile
// functions and the REGEDIT4 reader all cut lines this way.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kvr::platform {

struct TextLine {
    std::string_view text;  // without its end
    std::size_t begin = 0;  // offset of the line in the bytes
    std::size_t next = 0;   // offset just past its end
    bool ended = false;     // whether it has an end at all
};

// The line that starts at `begin`.
inline TextLine LineAt(std::string_view bytes, std::size_t begin) {
    std::size_t stop = begin;
    while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') {
        ++stop;
    }
    TextLine line;
    line.begin = begin;
    line.text = bytes.substr(begin, stop - begin);
    line.next = stop;
    if (stop < bytes.size()) {
        line.ended = true;
        ++line.next;
        if (bytes[stop] == '\r' && line.next < bytes.size() && bytes[line.next] == '\n') {
            ++line.next;
        }
    }
    return line;
}

// Calls visit(line) for each line, in order. Empty bytes have no line; a last
// line without an end is a line.
template <typename Visit>
void ForEachLine(std::string_view bytes, Visit visit) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const TextLine line = LineAt(bytes, pos);
        visit(line);
        pos = line.next;
    }
}

// The lines' texts, in order.
inline std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    ForEachLine(bytes, [&](const TextLine& line) { lines.push_back(line.text); });
    return lines;
}

}  // namespace kvr::platform
