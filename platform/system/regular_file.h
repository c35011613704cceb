// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Reading a file that must be a plain file: a FIFO, a device or a directory in its place is
// refused at once instead of blocking the program or being read as text.
#include <cstdint>
#include <string>

// What tells one version of a file from another without reading it: a save replaces the file
// (a new inode), an edit in place changes its size or its times.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedSeconds = 0;
  std::int64_t changedNanoseconds = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class FileStatus { kRegular, kMissing, kNotRegular, kUnreadable };

// The file at path, if it is a regular file or a link to one. Looking at it opens nothing;
// reading it opens it without blocking and checks again what was opened, since the name may
// have been given to a FIFO in between.
class RegularFile {
 public:
  explicit RegularFile(const std::string& path);

  FileStatus status() const { return status_; }
  // The identity of the file looked at, and after ReadAll of the file read.
  const FileIdentity& identity() const { return identity_; }
  // The system's reason for kUnreadable or for a failed ReadAll.
  const std::string& failure() const { return failure_; }
  // The whole content; false when it could not be read (status and failure say why).
  bool ReadAll(std::string& bytes);

 private:
  std::string path_;
  FileStatus status_ = FileStatus::kUnreadable;
  FileIdentity identity_;
  std::string failure_;
};
