// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/find_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <mutex>
#include <set>
#include <string_view>

#include "platform/system/text.h"

namespace {

struct FindState {
  DIR* directory;
  std::u16string namePattern;
  bool everyEntry;
};

std::mutex& StatesLock() {
  static std::mutex lock;
  return lock;
}

// Open enumerations, so that a closed or made-up handle is refused instead of followed.
std::set<FindState*>& States() {
  static std::set<FindState*> states;
  return states;
}

std::string& RootForTesting() {
  static std::string root;
  return root;
}

FindState* OpenState(HANDLE find) {
  auto* state = static_cast<FindState*>(find);
  std::lock_guard<std::mutex> guard(StatesLock());
  return States().count(state) > 0 ? state : nullptr;
}

bool Matches(std::u16string_view pattern, std::u16string_view name) {
  // Iterative wildcard match; the last "*" seen is retried one character further on failure.
  std::size_t inPattern = 0;
  std::size_t inName = 0;
  std::size_t star = std::u16string_view::npos;
  std::size_t resume = 0;
  while (inName < name.size()) {
    if (inPattern < pattern.size() &&
        (pattern[inPattern] == u'?' || pattern[inPattern] == name[inName])) {
      ++inPattern;
      ++inName;
    } else if (inPattern < pattern.size() && pattern[inPattern] == u'*') {
      star = inPattern++;
      resume = inName;
    } else if (star != std::u16string_view::npos) {
      inPattern = star + 1;
      inName = ++resume;
    } else {
      return false;
    }
  }
  while (inPattern < pattern.size() && pattern[inPattern] == u'*') ++inPattern;
  return inPattern == pattern.size();
}

// A link counts as what it points to; a link that points nowhere counts as a file.
bool IsDirectory(DIR* directory, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat status {};
  return fstatat(dirfd(directory), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

bool ReadNextMatch(FindState& state, WIN32_FIND_DATAW* data) {
  while (const dirent* entry = readdir(state.directory)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !IsValidUtf8(name)) continue;
    const std::u16string wide = FromUtf8(name);
    if (wide.size() >= MAX_PATH) continue;
    if (!state.everyEntry && !Matches(state.namePattern, wide)) continue;
    data->dwFileAttributes =
        IsDirectory(state.directory, *entry) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    CopyToField(data->cFileName, MAX_PATH, wide);
    return true;
  }
  return false;
}

}  // namespace

HANDLE FindFirstFileW(const std::u16string& pattern, WIN32_FIND_DATAW* data) {
  const std::size_t slash = pattern.rfind(u'/');
  if (data == nullptr || pattern.empty() || pattern.front() != u'/' ||
      pattern.find(u'\0') != std::u16string::npos) {
    return INVALID_HANDLE_VALUE;
  }
  // A path with an unpaired surrogate has no exact UTF-8 form; it must not be opened as the
  // U+FFFD name it would turn into.
  const std::string directory = ToUtf8(pattern.substr(0, slash + 1));
  if (FromUtf8(directory) != pattern.substr(0, slash + 1)) return INVALID_HANDLE_VALUE;
  auto state = std::make_unique<FindState>();
  state->namePattern = pattern.substr(slash + 1);
  state->everyEntry = state->namePattern == u"*" || state->namePattern == u"*.*";
  state->directory = opendir((RootForTesting() + directory).c_str());
  if (state->directory == nullptr) return INVALID_HANDLE_VALUE;
  if (!ReadNextMatch(*state, data)) {
    closedir(state->directory);
    return INVALID_HANDLE_VALUE;
  }
  std::lock_guard<std::mutex> guard(StatesLock());
  States().insert(state.get());
  return state.release();
}

bool FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
  FindState* state = OpenState(find);
  return state != nullptr && data != nullptr && ReadNextMatch(*state, data);
}

bool FindClose(HANDLE find) {
  auto* state = static_cast<FindState*>(find);
  {
    std::lock_guard<std::mutex> guard(StatesLock());
    if (States().erase(state) == 0) return false;
  }
  closedir(state->directory);
  delete state;
  return true;
}

void SetFileRootForTesting(std::u16string root) {
  std::string host = ToUtf8(root);
  while (!host.empty() && host.back() == '/') host.pop_back();
  RootForTesting() = std::move(host);
}
