// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/system/program_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <vector>

namespace {

std::string ExecutableDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) {
    return {};
  }
  std::string path(buffer.data(), static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

void* ProgramModuleEntry(const char* fileName, const char* entry, std::string* why) {
  const std::string path = ExecutableDirectory() + fileName;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = dlerror();
    *why = reason != nullptr ? reason : path + ": cannot be loaded";
    return nullptr;
  }
  void* found = dlsym(module, entry);
  if (found == nullptr) {
    *why = path + " has no " + entry;
  }
  return found;
}
