// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// File enumeration, shaped like the phone's FindFirstFileW / FindNextFileW / FindClose, over
// the host file system: the separator is "/" and the root is "/".
#include <cstdint>
#include <string>

using HANDLE = void*;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr std::size_t MAX_PATH = 260;

struct WIN32_FIND_DATAW {
  // FILE_ATTRIBUTE_DIRECTORY for a directory or a link to one, else FILE_ATTRIBUTE_NORMAL.
  std::uint32_t dwFileAttributes;
  // The entry's name, always terminated within the field.
  char16_t cFileName[MAX_PATH];
};

// The first entry that matches the pattern, an absolute directory path with its final "/"
// followed by a name pattern: "*" and "*.*" match every entry, "*" and "?" match any run of
// characters and any one character, anything else matches itself. The directory's "." and
// ".." entries are never reported. Entries come in the host's listing order, unsorted.
// INVALID_HANDLE_VALUE when nothing matches or the directory cannot be read.
//
// Names that are not valid UTF-8, and names longer than cFileName holds, are not reported:
// a name changed to fit would name another file, or none.
HANDLE FindFirstFileW(const std::u16string& pattern, WIN32_FIND_DATAW* data);

// The next matching entry; false when there is none left or the handle is not open.
bool FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);

// Ends the enumeration; false when the handle is not open.
bool FindClose(HANDLE find);

// Tests root every path at a directory of their own (the pattern "/A/*.*" then lists
// <root>/A/); an empty root restores the host's "/".
void SetFileRootForTesting(std::u16string root);
