// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The schedule store on any bytes as pelorin.xml, through every operation, with what the
// program relies on:
// - a save that reports success leaves a file that loads again, near the loaded file's size;
// - an append adds exactly one call, last in the container, which reads back;
// - a purge that reports success keeps every call later than now + 10 s and no other;
// - the wake-up scheduling never arms a time at or before now + 10 s;
// - no temporary file is left beside the schedule.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/launch/timed_launch.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "store/record_attributes.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"

namespace {

namespace fs = std::filesystem;

constexpr SYSTEMTIME kNow = {2026, 12, 0, 7, 12, 0, 0, 0};
constexpr std::uint64_t kTenSeconds = 100'000'000;
constexpr char16_t kName[] = u"Fuzz Jos\u00E9";

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

// A directory of its own, on a memory file system where there is one (saves flush to disk).
const fs::path& Directory() {
  static const fs::path directory = [] {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path made = base / ("pelorin-fuzz-" + std::to_string(getpid()));
    fs::create_directories(made);
    SetModuleFileNameForTesting(FromUtf8((made / "pelorin").string()));
    SetLocalTimeSource([] { return kNow; });
    return made;
  }();
  return directory;
}

fs::path SchedulePath() {
  return Directory() / "pelorin.xml";
}

std::string ReadBytes() {
  std::stringstream text;
  text << std::ifstream(SchedulePath(), std::ios::binary).rdbuf();
  return text.str();
}

std::uint64_t Now() {
  FILETIME now{};
  SystemTimeToFileTime(&kNow, &now);
  return FileTimeToUint64(now);
}

// The file as the program's parser sees it, independently of the store: the container's
// children, or none when it does not load.
struct Parsed {
  pugi::xml_document document;
  pugi::xml_node container;
  std::vector<pugi::xml_node> children;
  bool loads = false;
};

void Parse(Parsed& parsed) {
  const std::string bytes = ReadBytes();
  const unsigned options = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                           pugi::parse_declaration | pugi::parse_doctype;
  if (!parsed.document.load_buffer(bytes.data(), bytes.size(), options)) {
    return;
  }
  const pugi::xml_node root = parsed.document.document_element();
  parsed.container = root ? root.select_node("//CallInfo").node() : pugi::xml_node();
  parsed.loads = static_cast<bool>(parsed.container);
  for (pugi::xml_node child = parsed.container.first_child(); child; child = child.next_sibling()) {
    parsed.children.push_back(child);
  }
}

std::size_t Later(const Parsed& parsed, std::uint64_t limit) {
  std::size_t later = 0;
  for (const pugi::xml_node& child : parsed.children) {
    later += FileTimeToUint64(ReadRingTime(child)) > limit ? 1 : 0;
  }
  return later;
}

// After a save that reported success: the file loads, and grew at most by what escaping and
// the indentation allowance can add to what was loaded.
void RequireSaved(std::size_t loadedSize, Parsed& parsed) {
  Parse(parsed);
  Require(parsed.loads, "a save that succeeded left a file that does not load");
  Require(fs::file_size(SchedulePath()) <= 7 * loadedSize + 70'000,
          "a save outgrew the loaded file");
}

void ReadEverything(ScheduleStore& store) {
  CallRecord record{};
  const int count = store.CountCalls();
  for (int i = 0; i < count && i < 64; ++i) {
    store.ReadCall(i, record);
  }
  store.FindDueCall(record);
  FILETIME earliest{};
  store.FindEarliestCall(earliest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream(SchedulePath(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const std::uint64_t now = Now();

  ScheduleStore store;
  ReadEverything(store);

  // Append.
  Parsed before;
  Parse(before);
  CallRecord call{};
  CopyToField(call.Name, kNameCapacity, kName);
  call.CallTime = Uint64ToFileTime(now + 3600 * 10'000'000ull);
  call.Vibrate = 1;
  if (store.AppendCall(call) == 0) {
    Parsed after;
    RequireSaved(size, after);
    Require(after.children.size() == before.children.size() + 1, "append added not one child");
    CallRecord back{};
    ReadRecordAttributes(after.children.back(), back);
    Require(std::u16string(back.Name) == kName, "the appended name does not read back");
    Require(CompareFileTime(&back.CallTime, &call.CallTime) == 0,
            "the appended time does not read back");
    Require(back.Index == static_cast<int>(before.children.size()) + 1, "wrong index");
  } else {
    Require(!before.loads, "an append failed on a file that loads");
  }
  ReadEverything(store);

  // Purge, then the wake-up scheduling on what is left.
  Parsed unpurged;
  Parse(unpurged);
  const std::size_t loadedSize = fs::file_size(SchedulePath());
  if (store.PurgeCalls(Uint64ToFileTime(now)) == 0 && unpurged.loads) {
    Parsed purged;
    RequireSaved(loadedSize, purged);
    Require(Later(purged, now + kTenSeconds) == purged.children.size(),
            "a call not later than now + 10 s was kept");
    Require(Later(purged, now + kTenSeconds) == Later(unpurged, now + kTenSeconds),
            "a later call was purged");
  }
  std::vector<FILETIME> armed;
  SetTimedLaunchService([&armed](const std::u16string&, const SYSTEMTIME& time) {
    FILETIME fileTime{};
    SystemTimeToFileTime(&time, &fileTime);
    armed.push_back(fileTime);
    return true;
  });
  WakeupScheduler(store);
  SetTimedLaunchService({});
  Require(armed.size() <= 1, "armed more than once");
  for (const FILETIME& time : armed) {
    // The calendar time keeps milliseconds: less than one is lost.
    Require(FileTimeToUint64(time) + 10'000 > now + kTenSeconds, "armed a time now or past");
  }

  // Delete the shown first call, then whatever the first child is.
  CallRecord shown{};
  if (store.ReadCall(0, shown)) {
    const std::size_t shownSize = fs::file_size(SchedulePath());
    if (store.DeleteCall(0, shown)) {
      Parsed deleted;
      RequireSaved(shownSize, deleted);
    }
  }
  const std::size_t sizeBefore = fs::file_size(SchedulePath());
  if (store.DeleteCall(0)) {
    Parsed deleted;
    RequireSaved(sizeBefore, deleted);
  }

  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Directory())) {
    ++entries;
  }
  Require(entries == 1, "a file besides the schedule was left");
  fs::remove_all(SchedulePath());
  return 0;
}
