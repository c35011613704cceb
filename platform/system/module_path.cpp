// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "module_path.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

#include "text.h"

namespace {
std::u16string pathOverride;
}

void SetModuleFileNameForTesting(std::u16string path) {
  pathOverride = std::move(path);
}

std::u16string GetModuleFileNameW() {
  if (!pathOverride.empty()) {
    return pathOverride;
  }
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) {
    return {};
  }
  return FromUtf8(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

std::u16string GetApplicationDirectory() {
  std::u16string path = GetModuleFileNameW();
  const std::size_t separator = path.rfind(u'/');
  if (separator == std::u16string::npos) {
    return {};
  }
  path.resize(separator + 1);
  return path;
}
