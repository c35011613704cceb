#include "schedule_store.h"

#include <cstring>
#include <sstream>

#include <pugixml.hpp>

#include "platform/system/atomic_file.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "record_attributes.h"

namespace {

constexpr char kScheduleFileName[] = "pelorin.xml";
constexpr std::uint64_t kDueWindow = 100'000'000;  // 10 seconds in 100-ns units

// Comments and processing instructions are kept so that a save writes them back; white space
// between elements is dropped, so an indented file has the same children as a compact one.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype;

// A loaded schedule: the document and its container, the first "CallInfo" element anywhere.
struct Schedule {
  pugi::xml_document document;
  pugi::xml_node container;
};

bool OpenSchedule(const std::string& path, Schedule& schedule) {
  if (!schedule.document.load_file(path.c_str(), kParseOptions)) {
    return false;
  }
  const pugi::xml_node root = schedule.document.document_element();
  if (!root) {
    return false;
  }
  schedule.container = root.select_node("//CallInfo").node();
  return static_cast<bool>(schedule.container);
}

bool SaveSchedule(const std::string& path, const Schedule& schedule) {
  std::ostringstream text;
  schedule.document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
  return WriteFileAtomically(path, text.str());
}

// Only elements carry an attribute list; text, comments and the like end every walk that
// reads calls.
bool HasAttributeList(const pugi::xml_node& child) { return child.type() == pugi::node_element; }

std::uint64_t Distance(const FILETIME& a, const FILETIME& b) {
  const std::uint64_t first = FileTimeToUint64(a);
  const std::uint64_t second = FileTimeToUint64(b);
  return first > second ? first - second : second - first;
}

FILETIME LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  FILETIME time{};
  SystemTimeToFileTime(&now, &time);
  return time;
}

bool SameCall(const CallRecord& a, const CallRecord& b) {
  return std::u16string_view(a.Name) == std::u16string_view(b.Name) &&
         CompareFileTime(&a.CallTime, &b.CallTime) == 0 && a.Index == b.Index;
}

}  // namespace

ScheduleStore::ScheduleStore() : path_(ToUtf8(GetApplicationDirectory()) + kScheduleFileName) {}

ScheduleStore::~ScheduleStore() = default;

int ScheduleStore::CountCalls() {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return 0;
  }
  int count = 0;
  for (pugi::xml_node child = schedule.container.first_child(); child;
       child = child.next_sibling()) {
    ++count;
  }
  return count;
}

bool ScheduleStore::ReadCall(int position, CallRecord& record) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return false;
  }
  record.Index = 0;
  int i = 0;
  for (pugi::xml_node child = schedule.container.first_child(); child;
       child = child.next_sibling(), ++i) {
    if (!HasAttributeList(child)) {
      return false;
    }
    if (i == position) {
      ReadRecordAttributes(child, record);
      return true;
    }
  }
  return false;
}

bool ScheduleStore::FindDueCall(CallRecord& record) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return false;
  }
  for (pugi::xml_node child = schedule.container.first_child(); child;
       child = child.next_sibling()) {
    if (!HasAttributeList(child)) {
      return false;
    }
    // A fresh record for every child, so a call never rings with another call's leftovers.
    std::memset(&record, 0, sizeof record);
    ReadRecordAttributes(child, record);
    if (Distance(record.CallTime, LocalNow()) < kDueWindow) {
      return true;
    }
  }
  return false;
}

int ScheduleStore::PurgeCalls(FILETIME limit) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return 0;
  }
  const FILETIME purgeLimit = Uint64ToFileTime(FileTimeToUint64(limit) + kDueWindow);
  for (pugi::xml_node child = schedule.container.first_child(); child;) {
    const pugi::xml_node next = child.next_sibling();
    if (!HasAttributeList(child)) {
      return -1;  // the removals of this pass are dropped with the document
    }
    const FILETIME ringTime = ReadRingTime(child);
    if (CompareFileTime(&ringTime, &purgeLimit) <= 0) {
      schedule.container.remove_child(child);
    }
    child = next;
  }
  return SaveSchedule(path_, schedule) ? 0 : -1;
}

bool ScheduleStore::DeleteCall(int position) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return false;
  }
  int i = 0;
  for (pugi::xml_node child = schedule.container.first_child(); child;
       child = child.next_sibling(), ++i) {
    if (i == position) {
      schedule.container.remove_child(child);
      break;
    }
  }
  return SaveSchedule(path_, schedule);
}

bool ScheduleStore::DeleteCall(int position, const CallRecord& shown) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return false;
  }
  int i = 0;
  for (pugi::xml_node child = schedule.container.first_child(); child;
       child = child.next_sibling(), ++i) {
    if (i != position) {
      continue;
    }
    CallRecord stored{};
    if (!HasAttributeList(child)) {
      return false;
    }
    ReadRecordAttributes(child, stored);
    if (!SameCall(stored, shown)) {
      return false;
    }
    schedule.container.remove_child(child);
    return SaveSchedule(path_, schedule);
  }
  return false;
}

int ScheduleStore::AppendCall(const CallRecord& record) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return -1;
  }
  // The number counts the children the file holds now, read by a load of its own.
  const int index = CountCalls() + 1;
  pugi::xml_node element = schedule.container.append_child("CI");
  WriteRecordAttributes(element, record, index);
  return SaveSchedule(path_, schedule) ? 0 : -1;
}

int ScheduleStore::FindEarliestCall(FILETIME& time) {
  Schedule schedule;
  if (!OpenSchedule(path_, schedule)) {
    return -1;
  }
  pugi::xml_node child = schedule.container.first_child();
  if (!child) {
    return -1;
  }
  FILETIME earliest{};
  for (bool first = true; child; child = child.next_sibling(), first = false) {
    if (!HasAttributeList(child)) {
      return -1;
    }
    const FILETIME ringTime = ReadRingTime(child);
    if (first || CompareFileTime(&earliest, &ringTime) == 1) {
      earliest = ringTime;
    }
  }
  time = earliest;
  return 0;
}
