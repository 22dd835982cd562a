#pragma once
// Whole-file access and the few facts of the machine the program needs.
#include <string>
#include <string_view>

namespace kvr::platform {

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads every byte of a file. Missing means the file does not exist; any
// other failure (no rights, a folder, an I/O error) is Unreadable.
ReadStatus ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces (or creates) a file atomically: a temporary file in the same
// folder is written, flushed and renamed over the old one, whose permission
// bits it takes. Returns false, leaving the old file untouched, on failure.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// Whether a file could be created or replaced at path: its folder is
// writable, or is missing and could be made in a writable parent.
bool IsWritableLocation(const std::string& path);
// Makes the folder of path when it is missing (its parent must exist).
void MakeFolderOf(const std::string& path);

// The process's current directory, always ending in the path separator.
std::string CurrentDirectory();

// "/" here, "\\" on Windows.
char PathSeparator();

}  // namespace kvr::platform
