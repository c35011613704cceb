#pragma once
#include <string>
#include <string_view>

// Replaces the file at path with bytes in one step: the bytes go to a temporary file in the
// same directory, are flushed to disk, and the temporary file is renamed over the old one. A
// reader sees the old content or the new, never a part. The file keeps its permissions; a
// symbolic link is followed, so the file it names is replaced. False when nothing was replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
