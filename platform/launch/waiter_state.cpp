#include "waiter_state.h"

#include <fcntl.h>
#include <limits.h>
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

std::string StateDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat status {};
  if (runtime && runtime[0] == '/' && stat(runtime, &status) == 0 && S_ISDIR(status.st_mode)) {
    return std::string(runtime) + "/pelorin";
  }
  return "/tmp/pelorin-" + std::to_string(geteuid());
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

std::string StateFilePath(const std::string& executable, std::string* failure) {
  const std::string directory = StateDirectory();
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
  return directory + "/" + LaunchName(executable) + ".pid";
}

int OpenLockedState(const std::string& path, bool create) {
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  const int descriptor = open(path.c_str(), flags, 0600);
  if (descriptor < 0) {
    return -1;
  }
  while (flock(descriptor, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(descriptor);
      return -1;
    }
  }
  return descriptor;
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
  if (process <= 0) {
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
