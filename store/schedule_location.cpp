// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "schedule_location.h"

#include <filesystem>

#include "platform/system/atomic_file.h"
#include "platform/system/home_directory.h"
#include "platform/system/module_path.h"
#include "platform/system/regular_file.h"
#include "platform/system/text.h"

namespace {

namespace fs = std::filesystem;

constexpr char kScheduleFileName[] = "pelorin.xml";
constexpr char kDataFolderName[] = "pelorin";

}  // namespace

ScheduleLocation FindScheduleFile() {
  const fs::path program = ToUtf8(GetApplicationDirectory());
  const fs::path beside = program / kScheduleFileName;
  std::error_code error;
  const std::string data = DataHomeDirectory();
  // Anything at the name beside the program counts, even what cannot be read: its problem is
  // then said about that file instead of silently using another.
  if (fs::symlink_status(beside, error).type() != fs::file_type::not_found || data.empty()) {
    return {beside.string(), {}};
  }
  return {(fs::path(data) / kDataFolderName / kScheduleFileName).string(),
          (program / PELORIN_DEFAULT_SCHEDULE_FROM_PROGRAM).lexically_normal().string()};
}

bool ProvideScheduleFile(const ScheduleLocation& location, std::string* failure) {
  std::error_code error;
  if (location.defaultPath.empty() ||
      fs::symlink_status(location.path, error).type() != fs::file_type::not_found) {
    return true;
  }
  RegularFile installed(location.defaultPath);
  std::string bytes;
  if (!installed.ReadAll(bytes)) {
    *failure = "is missing, and the installed default " + location.defaultPath +
               " cannot be read (" +
               (installed.status() == FileStatus::kMissing ? std::string("it is missing")
                                                           : installed.failure()) +
               ")";
    return false;
  }
  std::string why;
  if (!MakePrivateDirectories(fs::path(location.path).parent_path().string(), &why) ||
      !CreateFileOnce(location.path, bytes, &why)) {
    *failure = "cannot be made: " + why;
    return false;
  }
  return true;
}
