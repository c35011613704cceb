// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "starting_environment.h"

#include <cstdlib>
#include <mutex>

extern char** environ;

namespace {

std::mutex copyMutex;
std::optional<std::vector<std::string>> copy;

std::vector<std::string> PresentEnvironment() {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    variables.emplace_back(*entry);
  }
  return variables;
}

}  // namespace

void KeepStartingEnvironment() {
  std::lock_guard lock(copyMutex);
  copy = PresentEnvironment();
}

std::vector<std::string> StartingEnvironment() {
  std::lock_guard lock(copyMutex);
  return copy ? *copy : PresentEnvironment();
}

std::optional<std::string> StartingVariable(const std::string& name) {
  std::lock_guard lock(copyMutex);
  if (!copy) {
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  const std::string prefix = name + "=";
  for (const std::string& variable : *copy) {
    if (variable.starts_with(prefix)) {
      return variable.substr(prefix.size());
    }
  }
  return std::nullopt;
}
