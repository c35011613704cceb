// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/readme.h"

#include <filesystem>

#include "platform/system/module_path.h"
#include "platform/system/text.h"

std::string ReadmePath() {
  namespace fs = std::filesystem;
  const fs::path installed =
      (fs::path(ToUtf8(GetApplicationDirectory())) / PELORIN_README_FROM_PROGRAM)
          .lexically_normal();
  std::error_code error;
  if (fs::exists(installed, error) || !fs::exists(PELORIN_SOURCE_README, error)) {
    return installed.string();
  }
  return PELORIN_SOURCE_README;
}
