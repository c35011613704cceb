// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/quick_call.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/system/clock.h"
#include "platform/system/regular_file.h"
#include "platform/system/text.h"
#include "store/new_call.h"
#include "store/ring_time_text.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"

namespace {

constexpr std::string_view kIn = "--in";
constexpr std::string_view kAt = "--at";
constexpr std::string_view kList = "--list";
constexpr std::string_view kDelete = "--delete";
constexpr std::string_view kName = "--name";
constexpr std::string_view kRingtone = "--ringtone";
constexpr std::string_view kMute = "--mute";
constexpr std::string_view kNoVibrate = "--no-vibrate";

constexpr int kDone = 0;
constexpr int kFileFailed = 1;
constexpr int kRefused = 2;

// The call a command line asks for, before its ring time is read.
struct QuickCall {
  std::string_view form;  // kIn or kAt
  std::string when;
  std::optional<std::string> name;
  std::optional<std::string> ringtone;
  bool mute = false;
  bool noVibrate = false;
};

int Refuse(const std::string& what) {
  std::fprintf(stderr, "pelorin: %s\n", what.c_str());
  return kRefused;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "--at 2026-12-09 18:30" unquoted is a date and a time in two arguments: one text again.
bool IsDateOnly(std::string_view text) {
  return text.size() == 10 && text[4] == '-' && text[7] == '-';
}

// The options of --in and --at; false and the reason when they do not read.
bool ReadCall(const std::vector<std::string>& arguments, QuickCall& call, std::string& problem) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view word = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (word == kIn || word == kAt) {
      if (!call.form.empty()) {
        problem = "give one of --in and --at, once";
        return false;
      }
      if (!hasValue) {
        problem = std::string(word) + " needs a " + (word == kIn ? "duration" : "time");
        return false;
      }
      call.form = word == kIn ? kIn : kAt;
      call.when = arguments[++i];
      if (word == kAt && IsDateOnly(call.when) && i + 1 < arguments.size() &&
          !arguments[i + 1].starts_with("--")) {
        call.when += " " + arguments[++i];
      }
    } else if (word == kName || word == kRingtone) {
      std::optional<std::string>& value = word == kName ? call.name : call.ringtone;
      if (value || !hasValue) {
        problem = std::string(word) + (value ? " is given twice" : " needs a value");
        return false;
      }
      value = arguments[++i];
    } else if (word == kMute || word == kNoVibrate) {
      bool& flag = word == kMute ? call.mute : call.noVibrate;
      if (flag) {
        problem = std::string(word) + " is given twice";
        return false;
      }
      flag = true;
    } else {
      problem = "unknown argument \"" + std::string(word) + "\" (see pelorin --help)";
      return false;
    }
  }
  if (call.form.empty()) {
    problem = "give --in DURATION or --at TIME for the call";
    return false;
  }
  return true;
}

// A ringtone given on the command line: a file that is there, by its full path, since the
// timed launch starts the program elsewhere.
bool ReadRingtone(const std::string& given, CallRecord& record, std::string& problem) {
  std::error_code failed;
  const std::filesystem::path path = std::filesystem::absolute(given, failed).lexically_normal();
  if (failed || RegularFile(path.string()).status() != FileStatus::kRegular) {
    problem = "ringtone " + given + " is no file that can be read";
    return false;
  }
  if (!SetRingtonePath(record, FromUtf8(path.string()))) {
    problem = "ringtone " + path.string() + " has a path too long for the schedule file";
    return false;
  }
  return true;
}

int ScheduleCall(const std::vector<std::string>& arguments) {
  QuickCall call;
  std::string problem;
  if (!ReadCall(arguments, call, problem)) {
    return Refuse(problem);
  }
  const FILETIME now = LocalNowAsFileTime();
  const RingTimeText ringTime =
      call.form == kIn ? RingTimeIn(call.when, now) : RingTimeAt(call.when, now);
  if (!ringTime.problem.empty()) {
    return Refuse(std::string(call.form) + " " + call.when + ": " + ringTime.problem);
  }
  const std::string shown = FormatRingTime(ringTime.time);
  switch (CheckRingTime(ringTime.time, now)) {
    case RingTimeCheck::kTooSoon:
      return Refuse("ring time " + shown +
                    (CompareFileTime(&ringTime.time, &now) == -1
                         ? " is in the past"
                         : " is less than 11 seconds ahead: it would be removed before it rings"));
    case RingTimeCheck::kSkipped:
      return Refuse("ring time " + shown + " never comes: the clocks skip it when they go forward");
    case RingTimeCheck::kAccepted:
      break;
  }

  // The new call screen's defaults for whatever is not given.
  CallRecord record{};
  record.CallTime = ringTime.time;
  record.Vibrate = call.noVibrate ? 0 : 1;
  if (call.ringtone) {
    if (!ReadRingtone(*call.ringtone, record, problem)) {
      return Refuse(problem);
    }
  } else if (!SetRingtonePath(record, DefaultRingtonePath())) {
    record.Ringtone[0] = u'\0';  // as the screen does for a program directory too deep
  }
  if (call.mute) {
    record.Ringtone[0] = u'\0';
  }
  CopyToField(record.Name, kNameCapacity, call.name ? FromUtf8(*call.name) : kDefaultCallerName);

  ScheduleStore store;
  if (store.AppendCall(record) != 0) {
    return kFileFailed;  // the store has said why, in one line
  }
  WakeupScheduler(store);
  std::printf("%s rings at %s\n", ToUtf8(record.Name).c_str(), shown.c_str());
  return kDone;
}

// A name on one line, so that every call is one line a script can cut at its tabs.
std::string OneLine(std::u16string_view name) {
  std::string text = ToUtf8(name);
  for (char& character : text) {
    if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) {
      character = ' ';
    }
  }
  return text;
}

int ListCalls() {
  ScheduleStore store;
  if (!store.Opens()) {
    return kFileFailed;  // the store has said why
  }
  const std::vector<CallRecord> calls = store.ReadCalls();
  int number = 0;
  for (const CallRecord& call : calls) {
    std::printf("%d\t%s\t%s\n", ++number, FormatRingTime(call.CallTime).c_str(),
                OneLine(call.Name).c_str());
  }
  return kDone;
}

int DeleteCall(const std::string& given) {
  if (!IsDigits(given) || given.size() > 9) {
    return Refuse("--delete " + given + ": give the number of a call as --list shows it");
  }
  const int number = std::stoi(given);
  ScheduleStore store;
  if (!store.Opens()) {
    return kFileFailed;
  }
  const std::vector<CallRecord> calls = store.ReadCalls();
  if (number < 1 || static_cast<std::size_t>(number) > calls.size()) {
    return Refuse("--delete " + given + ": there is no call " + given + " (" +
                  std::to_string(calls.size()) + (calls.size() == 1 ? " call" : " calls") + " in " +
                  store.path() + ")");
  }
  const CallRecord& shown = calls[static_cast<std::size_t>(number) - 1];
  if (!store.DeleteCall(number - 1, shown)) {
    // Another process changed the file since it was read, or the save failed (said already).
    const std::vector<CallRecord> now = store.ReadCalls();
    if (now.size() < calls.size() || !SameCall(now[static_cast<std::size_t>(number) - 1], shown)) {
      std::fprintf(stderr, "pelorin: the schedule file changed meanwhile; nothing removed\n");
    }
    return kFileFailed;
  }
  WakeupScheduler(store);
  return kDone;
}

}  // namespace

bool IsQuickCallCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    return false;
  }
  for (const std::string_view word :
       {kIn, kAt, kList, kDelete, kName, kRingtone, kMute, kNoVibrate}) {
    if (arguments.front() == word) {
      return true;
    }
  }
  return false;
}

int RunQuickCallCommand(const std::vector<std::string>& arguments) {
  const std::string_view first = arguments.front();
  if (first == kList) {
    return arguments.size() == 1 ? ListCalls() : Refuse("--list takes nothing more");
  }
  if (first == kDelete) {
    return arguments.size() == 2 ? DeleteCall(arguments[1])
                                 : Refuse("--delete takes the number of one call");
  }
  return ScheduleCall(arguments);
}
