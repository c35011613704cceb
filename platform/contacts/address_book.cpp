// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/contacts/address_book.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/system/home_directory.h"

namespace {

constexpr std::size_t kMaximumFileBytes = std::size_t{64} << 20;

bool IsCardFileName(const std::string& name) {
  if (name.size() <= 4 || name.front() == '.') return false;
  std::string extension = name.substr(name.size() - 4);
  for (char& character : extension)
    character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  return extension == ".vcf";
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

// A folder of its own, not a link to one elsewhere.
bool IsFolder(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string UserDataDirectory(const std::string& name) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/" + name + "/";
  const std::string home = HomeDirectory();
  if (home.empty()) return {};
  return home + "/.local/share/" + name + "/";
}

}  // namespace

std::string AddressBookDirectory() {
  return UserDataDirectory("contacts");
}

std::string KPeopleDirectory() {
  return UserDataDirectory("kpeoplevcard");
}

bool ReadAddressBook(const std::string& directory, std::vector<VCardName>* cards,
                     bool withFolders) {
  cards->clear();
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return errno == ENOENT;
  const std::string separator = directory.empty() || directory.back() == '/' ? "" : "/";
  std::vector<std::string> files;
  std::vector<std::string> folders;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (IsCardFileName(name)) {
      files.push_back(name);
    } else if (withFolders && name.front() != '.' && IsFolder(directory + separator + name)) {
      folders.push_back(name);
    }
  }
  closedir(listing);
  std::sort(files.begin(), files.end());
  std::sort(folders.begin(), folders.end());
  std::string bytes;
  for (const std::string& file : files) {
    if (!ReadCardFile(directory + separator + file, &bytes)) continue;
    std::vector<VCardName> names = ReadVCardNames(bytes);
    cards->insert(cards->end(), std::make_move_iterator(names.begin()),
                  std::make_move_iterator(names.end()));
  }
  std::vector<VCardName> inFolder;
  for (const std::string& folder : folders) {
    if (!ReadAddressBook(directory + separator + folder, &inFolder)) continue;
    cards->insert(cards->end(), std::make_move_iterator(inFolder.begin()),
                  std::make_move_iterator(inFolder.end()));
  }
  return true;
}
