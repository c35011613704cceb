// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr char kTemporaryMark[] = ".pelorin-tmp-";
constexpr std::size_t kTemporaryTailLength = 6;  // the XXXXXX of mkstemp
constexpr time_t kStaleAfterSeconds = 60;

bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  if (separator == std::string::npos) {
    return ".";
  }
  return separator == 0 ? "/" : path.substr(0, separator);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

void RecordFailure(std::string* failure, const std::string& what) {
  if (failure != nullptr) {
    *failure = what + " (" + std::strerror(errno) + ")";
  }
}

// Removes the temporary files of earlier saves of this file that never reached their rename.
// Only plain files of this user, named as a save names them and untouched for a minute.
void RemoveStaleTemporaries(const std::string& directory, const std::string& name) {
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) {
    return;
  }
  const std::string prefix = name + kTemporaryMark;
  const time_t now = time(nullptr);
  while (const dirent* entry = readdir(listing)) {
    const std::string_view entryName = entry->d_name;
    if (entryName.size() != prefix.size() + kTemporaryTailLength ||
        entryName.substr(0, prefix.size()) != prefix) {
      continue;
    }
    struct stat status {};
    if (fstatat(dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
        now - status.st_mtime > kStaleAfterSeconds) {
      unlinkat(dirfd(listing), entry->d_name, 0);
    }
  }
  closedir(listing);
}

// A new file beside path holding bytes, flushed to disk; its name, or empty on failure.
std::string WriteTemporaryBeside(const std::string& path, std::string_view bytes, mode_t mode,
                                 std::string* failure) {
  const std::string directory = DirectoryOf(path);
  std::string temporary = path + kTemporaryMark + "XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) {
    const bool denied = errno == EACCES || errno == EPERM || errno == EROFS;
    RecordFailure(failure, denied ? "directory " + directory + " is not writable"
                                  : "no new file can be made in " + directory);
    return {};
  }
  const bool written =
      fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
  const bool closed = close(descriptor) == 0;
  if (!written || !closed) {
    RecordFailure(failure, "its new content cannot be written");
    unlink(temporary.c_str());
    return {};
  }
  return temporary;
}

// Makes a rename or link in the directory survive a crash.
void SyncDirectory(const std::string& directory) {
  const int directoryDescriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (directoryDescriptor >= 0) {
    fsync(directoryDescriptor);
    close(directoryDescriptor);
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* failure) {
  std::string target = path;
  struct stat linkStatus {};
  if (lstat(path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) {
    std::vector<char> resolved(PATH_MAX);
    if (realpath(path.c_str(), resolved.data()) == nullptr) {
      RecordFailure(failure, "its link cannot be followed");
      return false;
    }
    target = resolved.data();
  }
  const std::string directory = DirectoryOf(target);
  RemoveStaleTemporaries(directory, FileNameOf(target));
  struct stat oldStatus {};
  const mode_t mode = stat(target.c_str(), &oldStatus) == 0 ? (oldStatus.st_mode & 07777) : 0644;
  const std::string temporary = WriteTemporaryBeside(target, bytes, mode, failure);
  if (temporary.empty()) {
    return false;
  }
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    RecordFailure(failure, "it cannot be replaced");
    unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(directory);
  return true;
}

bool CreateFileOnce(const std::string& path, std::string_view bytes, std::string* failure) {
  const std::string temporary = WriteTemporaryBeside(path, bytes, 0600, failure);
  if (temporary.empty()) {
    return false;
  }
  // A link never replaces a file: when another program made it first, that one stays.
  const bool linked = link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST;
  if (!linked) {
    RecordFailure(failure, "it cannot be put in place");
  }
  unlink(temporary.c_str());
  SyncDirectory(DirectoryOf(path));
  return linked;
}

bool MakePrivateDirectories(const std::string& path, std::string* failure) {
  std::string made;
  std::size_t from = 1;
  while (from <= path.size()) {
    const std::size_t separator = std::min(path.find('/', from), path.size());
    made = path.substr(0, separator);
    if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
      RecordFailure(failure, "directory " + made + " cannot be made");
      return false;
    }
    from = separator + 1;
  }
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
    errno = ENOTDIR;
    RecordFailure(failure, path + " is no directory");
    return false;
  }
  return true;
}
