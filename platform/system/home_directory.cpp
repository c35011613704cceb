#include "home_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return home;
  }
  const passwd* user = getpwuid(getuid());
  if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/') {
    return user->pw_dir;
  }
  return {};
}
