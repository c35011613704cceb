// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "waiter_state.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "launch_name.h"

namespace {

constexpr std::string_view kWaiterName = "pelorin-waiter";
constexpr std::string_view kDeletedMark = " (deleted)";

std::string StateDirectory(const StatePlaces& places) {
  const std::string user = std::to_string(geteuid());
  const std::string runtime = places.runtimeRoot + "/" + user;
  struct stat status {};
  if (lstat(runtime.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
      status.st_uid == geteuid()) {
    return runtime + "/pelorin";
  }
  return places.temporaryRoot + "/pelorin-" + user;
}

bool IsOwnedByUs(pid_t process) {
  struct stat status {};
  return stat(("/proc/" + std::to_string(process)).c_str(), &status) == 0 &&
         status.st_uid == geteuid();
}

std::vector<std::string> CommandLineOf(pid_t process) {
  std::ifstream file("/proc/" + std::to_string(process) + "/cmdline", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    arguments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

}  // namespace

std::string StateDirectoryPath(std::string* failure, const StatePlaces& places) {
  const std::string directory = StateDirectory(places);
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
    *failure = "cannot create " + directory + ": " + std::strerror(errno);
    return {};
  }
  // In /tmp anyone may have made the directory first; only our own private one will do.
  struct stat status {};
  if (lstat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != geteuid() || (status.st_mode & 077) != 0) {
    *failure = directory + " is not a private directory of this user";
    return {};
  }
  return directory;
}

std::string StateFilePath(const std::string& executable, std::string* failure,
                          const StatePlaces& places) {
  const std::string directory = StateDirectoryPath(failure, places);
  return directory.empty() ? std::string() : directory + "/" + LaunchName(executable) + ".pid";
}

int OpenLockedState(const std::string& path, bool create) {
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  for (;;) {
    const int descriptor = open(path.c_str(), flags, 0600);
    if (descriptor < 0) {
      return -1;
    }
    int locked = 0;
    while ((locked = flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    // A waiter that fires removes the file under its lock; whoever waited for that lock
    // holds a file nobody else will open again, and starts over with the one at the path.
    if (locked != 0) {
      close(descriptor);
      return -1;
    }
    struct stat held {};
    struct stat named {};
    const bool namedExists = stat(path.c_str(), &named) == 0;
    if (fstat(descriptor, &held) == 0 && namedExists && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino) {
      return descriptor;
    }
    close(descriptor);
    if (!create && !namedExists) {
      return -1;
    }
  }
}

pid_t ReadPendingWaiter(int descriptor) {
  char text[32] = {};
  const ssize_t count = pread(descriptor, text, sizeof text - 1, 0);
  if (count <= 0) {
    return 0;
  }
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return value > 0 && value <= INT_MAX && (*end == '\n' || *end == '\0') ? static_cast<pid_t>(value)
                                                                         : 0;
}

bool WritePendingWaiter(int descriptor, pid_t waiter) {
  if (ftruncate(descriptor, 0) != 0) {
    return false;
  }
  if (waiter == 0) {
    return true;
  }
  const std::string text = std::to_string(waiter) + "\n";
  return pwrite(descriptor, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
}

bool IsWaiterFor(pid_t process, const std::string& executable) {
  if (process <= 0 || !IsOwnedByUs(process)) {
    return false;
  }
  char target[PATH_MAX + 1];
  const std::string link = "/proc/" + std::to_string(process) + "/exe";
  const ssize_t length = readlink(link.c_str(), target, PATH_MAX);
  if (length <= 0) {
    return false;  // gone, or not ours to look at
  }
  std::string program(target, static_cast<std::size_t>(length));
  // A waiter still sleeps when its binary was rebuilt or reinstalled under it.
  if (program.ends_with(kDeletedMark)) {
    program.resize(program.size() - kDeletedMark.size());
  }
  const std::size_t separator = program.rfind('/');
  if (program.substr(separator == std::string::npos ? 0 : separator + 1) != kWaiterName) {
    return false;
  }
  const std::vector<std::string> arguments = CommandLineOf(process);
  return arguments.size() == 3 && arguments[1] == executable;
}

void EndOtherWaiters(const std::string& executable, pid_t keep) {
  DIR* processes = opendir("/proc");
  if (processes == nullptr) {
    return;
  }
  while (const dirent* entry = readdir(processes)) {
    char* end = nullptr;
    const long process = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || process <= 0 || process == keep || process == getpid()) {
      continue;
    }
    if (IsWaiterFor(static_cast<pid_t>(process), executable)) {
      kill(static_cast<pid_t>(process), SIGTERM);
    }
  }
  closedir(processes);
}

void CancelWaiters(const std::string& executable) {
  std::string failure;
  const std::string path = StateFilePath(executable, &failure);
  const int state = path.empty() ? -1 : OpenLockedState(path, false);
  if (state >= 0) {
    WritePendingWaiter(state, 0);
  }
  EndOtherWaiters(executable, 0);
  if (state >= 0) {
    close(state);
  }
}
