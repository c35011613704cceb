#include "atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

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

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string target = path;
  struct stat linkStatus {};
  if (lstat(path.c_str(), &linkStatus) == 0 && S_ISLNK(linkStatus.st_mode)) {
    std::vector<char> resolved(PATH_MAX);
    if (realpath(path.c_str(), resolved.data()) == nullptr) {
      return false;
    }
    target = resolved.data();
  }

  std::string temporary = target + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) {
    return false;
  }
  struct stat oldStatus {};
  const mode_t mode = stat(target.c_str(), &oldStatus) == 0 ? (oldStatus.st_mode & 07777) : 0644;
  const bool written = fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) &&
                       fsync(descriptor) == 0;
  const bool closed = close(descriptor) == 0;
  if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  // Make the rename itself survive a crash.
  const int directory = open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY);
  if (directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return true;
}
