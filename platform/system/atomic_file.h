// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <string>
#include <string_view>

// Replaces the file at path with bytes in one step: the bytes go to a temporary file in the
// same directory, are flushed to disk, and the temporary file is renamed over the old one. A
// reader sees the old content or the new, never a part. The file keeps its permissions; a
// symbolic link is followed, so the file it names is replaced.
//
// Temporary files are named "<name>.pelorin-tmp-XXXXXX". One left behind by a save that was
// killed before its rename is removed by a later save of the same file once it is a minute
// old (and belongs to the same user), so a save in progress elsewhere keeps its own.
//
// False when nothing was replaced; failure (if given) then says why, with the system's reason.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* failure = nullptr);

// Puts bytes at path (mode 0600) only when no file is there yet, in one step: written beside
// it, then linked in, so that of two programs making it at once one file results, never a
// mixture or a replaced one. True when a file is there afterwards.
bool CreateFileOnce(const std::string& path, std::string_view bytes,
                    std::string* failure = nullptr);

// Makes the absolute directory path and every missing directory above it with mode 0700 (the
// person's own); those already there are left as they are. True when path is a directory then.
bool MakePrivateDirectories(const std::string& path, std::string* failure = nullptr);
