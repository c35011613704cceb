#include "platform/contacts/address_book.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

constexpr std::size_t kMaximumFileBytes = std::size_t{64} << 20;

bool IsCardFileName(const std::string& name) {
  if (name.size() <= 4 || name.front() == '.') return false;
  std::string extension = name.substr(name.size() - 4);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".vcf";
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const passwd* user = getpwuid(getuid());
  if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/') return user->pw_dir;
  return {};
}

// The file's bytes up to the limit; false when it cannot be opened or is not a regular file
// (a fifo or a device named like a card file must not block or run on forever).
bool ReadCardFile(const std::string& path, std::string* bytes) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (file < 0) return false;
  struct stat status {};
  if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(file);
    return false;
  }
  bytes->clear();
  char buffer[65536];
  while (bytes->size() < kMaximumFileBytes) {
    const ssize_t count =
        read(file, buffer, std::min(sizeof buffer, kMaximumFileBytes - bytes->size()));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    bytes->append(buffer, static_cast<std::size_t>(count));
  }
  close(file);
  return true;
}

}  // namespace

std::string AddressBookDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/contacts/";
  const std::string home = HomeDirectory();
  if (home.empty()) return {};
  return home + "/.local/share/contacts/";
}

bool ReadAddressBook(const std::string& directory, std::vector<VCardName>* cards) {
  cards->clear();
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return errno == ENOENT;
  std::vector<std::string> files;
  while (const dirent* entry = readdir(listing)) {
    if (IsCardFileName(entry->d_name)) files.emplace_back(entry->d_name);
  }
  closedir(listing);
  std::sort(files.begin(), files.end());
  std::string separator = directory.empty() || directory.back() == '/' ? "" : "/";
  std::string bytes;
  for (const std::string& file : files) {
    if (!ReadCardFile(directory + separator + file, &bytes)) continue;
    std::vector<VCardName> names = ReadVCardNames(bytes);
    cards->insert(cards->end(), std::make_move_iterator(names.begin()),
                  std::make_move_iterator(names.end()));
  }
  return true;
}
