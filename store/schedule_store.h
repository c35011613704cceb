// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The only code that touches the schedule file "pelorin.xml" (where it lives:
// schedule_location.h). Every
// operation reads the file as it is on disk at that moment; the changing ones save it back
// before returning. A problem with the file is said once per process on stderr, in one line
// that names the file and the reason.
#include <memory>
#include <string>
#include <vector>

#include "call_record.h"

class ScheduleStore {
 public:
  ScheduleStore();
  virtual ~ScheduleStore();
  ScheduleStore(const ScheduleStore&) = delete;
  ScheduleStore& operator=(const ScheduleStore&) = delete;

  // Whether the file loads and has its container; the reason is said when it does not.
  bool Opens() { return Load() != nullptr; }
  // Number of children of the container, whatever they are; 0 when the file cannot be opened.
  int CountCalls();
  // Fills the record from the child at a 0-based position.
  bool ReadCall(int position, CallRecord& record);
  // The calls from the first child up to the first child that is not a call, each as ReadCall
  // reads it, from one look at the file: a list of many calls checks the file once, not once
  // per row.
  std::vector<CallRecord> ReadCalls();
  // The first call whose ring time lies less than 10 seconds from now, either side.
  bool FindDueCall(CallRecord& record);
  // Removes every call not later than limit + 10 s and saves the file when it removed any. 0
  // done (or no file), -1 stopped at a child that is not an element (nothing removed) or the
  // file could not be saved.
  int PurgeCalls(FILETIME limit);
  // Removes the child at a position, if there is one; true when the file was opened and saved.
  bool DeleteCall(int position);
  // Removes the child at a position only when it still holds the call `shown` (name, ring time,
  // index); false and nothing saved when the file changed underneath.
  bool DeleteCall(int position, const CallRecord& shown);
  // 0 appended and saved, -1 file not opened or not saved.
  int AppendCall(const CallRecord& record);
  // 0 and the earliest ring time, -1 when there is none.
  int FindEarliestCall(FILETIME& time);
  // 0 and the earliest ring time later than limit, -1 when there is none.
  int FindEarliestCallAfter(FILETIME limit, FILETIME& time);

  const std::string& path() const { return path_; }

 private:
  struct Schedule;
  // The file as it is on disk now; null when it cannot be used (the reason is said).
  Schedule* Load();
  // The loaded file for a changing operation, which owns it from then on.
  std::unique_ptr<Schedule> TakeLoaded();
  bool Save(Schedule& schedule);

  std::string path_;
  // The installed file a missing personal one is made from; empty beside the program.
  std::string defaultPath_;
  // The last file parsed, kept while the file on disk keeps its identity (device, inode, size,
  // times), so that reading the rows of a long list parses it once instead of once per row.
  std::unique_ptr<Schedule> loaded_;
};

// The same call: the same name, ring time and index. A list row stands for the call it showed.
bool SameCall(const CallRecord& first, const CallRecord& second);
