// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Checks made before a decoder sees a file: only regular files are opened, so a directory, a
// pipe or a device never reaches a decoder and nothing waits on a writer that never comes.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/sound/fsound.h"

bool IsRegularFile(const char* path);

// Why a file that no decoder took could not be played: FMOD_ERR_FILE_NOTFOUND when nothing is
// at the path, FMOD_ERR_FILE_BAD when it is not a regular file or cannot be opened for
// reading, else FMOD_ERR_FILE_FORMAT (it is there and readable, but of no format we play).
int FileError(const char* path);

// The whole file, or false when it is not a regular file, is empty, is larger than
// `maximumBytes` or cannot be read to the end.
bool ReadWholeFile(const char* path, std::size_t maximumBytes, std::vector<char>* contents);
