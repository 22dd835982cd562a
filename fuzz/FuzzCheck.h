#pragma once
// What the fuzz targets share: a property check that stops the run with a
// message (libFuzzer then saves the input that broke it), and the code pages
// the text is read in.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

namespace kvr::fuzz {

// UTF-8 (Linux) and Big5 (the users' machines), whose trail bytes include
// ASCII punctuation such as "]" and "\\".
inline constexpr std::string_view kCodePages[] = {"UTF-8", "windows-950"};

}  // namespace kvr::fuzz
