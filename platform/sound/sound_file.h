#pragma once
// Checks made before a decoder sees a file: only regular files are opened, so a directory, a
// pipe or a device never reaches a decoder and nothing waits on a writer that never comes.
#include <cstddef>
#include <string>
#include <vector>

bool IsRegularFile(const char* path);

// The whole file, or false when it is not a regular file, is empty, is larger than
// `maximumBytes` or cannot be read to the end.
bool ReadWholeFile(const char* path, std::size_t maximumBytes, std::vector<char>* contents);
