// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Everything the program keeps for the life of the process, in one place. Made empty at first
// use and destroyed at exit; screens keep their state here, not in members.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/module_path.h"
#include "platform/ui/window_types.h"
#include "store/call_record.h"

class ContactSession;

struct ProcessState {
  // Out of line: only the source knows ContactSession whole.
  ProcessState();
  ~ProcessState();
  ProcessState& operator=(ProcessState&&) noexcept;

  // The module whose resources every screen loads. The program has only its own.
  const void* instance = nullptr;
  CallRecord editedRecord{};  // the call being entered on the new call screen
  CallRecord dueRecord{};     // the call found due at a timed launch
  std::uint32_t vibrationTicks = 0;
  std::u16string chosenCallerName;
  std::u16string browseDirectory;
  std::u16string chosenRingtonePath;
  std::unique_ptr<ContactSession> contactSession;  // only while the caller picker is open
  // The list windows of the list screens, set when each list is made.
  HWND mainList = nullptr;
  HWND callerList = nullptr;
  HWND ringtoneList = nullptr;
  // What the rows show, row i holding what was added as row i at the last fill: the main
  // list's calls (DEL deletes a call only if the file still has it there) and the browser's
  // whole entry names (the list cuts row texts at 255 characters).
  std::vector<CallRecord> shownCalls;
  std::vector<std::u16string> shownRingtoneNames;
  // The main screen's watch on the schedule file, 0 when none runs.
  int scheduleWatch = 0;
};

ProcessState& State();
