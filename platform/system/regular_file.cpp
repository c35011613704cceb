// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

FileIdentity IdentityOf(const struct stat& status) {
  FileIdentity identity;
  identity.device = status.st_dev;
  identity.inode = status.st_ino;
  identity.size = status.st_size;
  identity.modifiedSeconds = status.st_mtim.tv_sec;
  identity.modifiedNanoseconds = status.st_mtim.tv_nsec;
  identity.changedSeconds = status.st_ctim.tv_sec;
  identity.changedNanoseconds = status.st_ctim.tv_nsec;
  return identity;
}

FileStatus StatusOfFailure(int error) {
  return error == ENOENT || error == ENOTDIR ? FileStatus::kMissing : FileStatus::kUnreadable;
}

}  // namespace

RegularFile::RegularFile(const std::string& path) : path_(path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    status_ = StatusOfFailure(errno);
    failure_ = std::strerror(errno);
    return;
  }
  status_ = S_ISREG(status.st_mode) ? FileStatus::kRegular : FileStatus::kNotRegular;
  identity_ = IdentityOf(status);
}

bool RegularFile::ReadAll(std::string& bytes) {
  bytes.clear();
  if (status_ != FileStatus::kRegular) {
    return false;
  }
  const int descriptor = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) {
    status_ = StatusOfFailure(errno);
    failure_ = std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    status_ = FileStatus::kNotRegular;
    close(descriptor);
    return false;
  }
  identity_ = IdentityOf(status);
  bytes.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count > 0) {
      bytes.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0) {
      break;
    } else if (errno != EINTR) {
      status_ = FileStatus::kUnreadable;
      failure_ = std::strerror(errno);
      close(descriptor);
      return false;
    }
  }
  close(descriptor);
  return true;
}
