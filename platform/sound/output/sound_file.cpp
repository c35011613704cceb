// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sound/output/sound_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool IsRegularFile(const char* path) {
  struct stat status {};
  return path != nullptr && stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

int FileError(const char* path) {
  struct stat status {};
  if (path == nullptr || stat(path, &status) != 0) {
    return path != nullptr && (errno == ENOENT || errno == ENOTDIR) ? FMOD_ERR_FILE_NOTFOUND
                                                                    : FMOD_ERR_FILE_BAD;
  }
  if (!S_ISREG(status.st_mode)) {
    return FMOD_ERR_FILE_BAD;
  }
  const int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    return FMOD_ERR_FILE_BAD;
  }
  close(descriptor);
  return FMOD_ERR_FILE_FORMAT;
}

bool ReadWholeFile(const char* path, std::size_t maximumBytes, std::vector<char>* contents) {
  if (!IsRegularFile(path)) {
    return false;
  }
  // O_NONBLOCK: if the name was swapped for a pipe after the check, open does not wait.
  const int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) {
    return false;
  }
  struct stat status {};
  bool readAll = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
                 static_cast<std::size_t>(status.st_size) <= maximumBytes;
  if (readAll) {
    contents->resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < contents->size()) {
      const ssize_t count = read(descriptor, contents->data() + done, contents->size() - done);
      if (count <= 0) {
        break;
      }
      done += static_cast<std::size_t>(count);
    }
    readAll = done == contents->size();
  }
  close(descriptor);
  return readAll;
}
