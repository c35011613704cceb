// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "schedule_store.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>
#include <set>
#include <vector>

#include "platform/system/atomic_file.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/regular_file.h"
#include "platform/system/text.h"
#include "record_attributes.h"
#include "schedule_location.h"

namespace {

constexpr std::uint64_t kDueWindow = 100'000'000;  // 10 seconds in 100-ns units
constexpr char kIndent[] = "  ";
// Room for the indentation a save adds beyond the size of the file as it was loaded.
constexpr std::size_t kIndentationAllowance = 64 * 1024;

// Comments and processing instructions are kept so that a save writes them back; white space
// between elements is dropped, so an indented file has the same children as a compact one.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype;

// A list of many rows meets the same problem once per row: each is said once per process.
void ReportProblem(const std::string& path, const std::string& what) {
  static std::set<std::string> said;
  const std::string line = "pelorin: schedule file " + path + " " + what;
  if (said.insert(line).second) {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

// The line of a parse error. The parser counts its offset in the UTF-8 text it made of the
// file, so the file's own characters are walked in that measure.
std::size_t LineOfOffset(std::string_view bytes, pugi::xml_encoding encoding,
                         std::ptrdiff_t offset) {
  std::size_t unit = 1;
  bool bigEndian = false;
  switch (encoding) {
    case pugi::encoding_utf16_le:
      unit = 2;
      break;
    case pugi::encoding_utf16_be:
      unit = 2;
      bigEndian = true;
      break;
    case pugi::encoding_utf32_le:
      unit = 4;
      break;
    case pugi::encoding_utf32_be:
      unit = 4;
      bigEndian = true;
      break;
    default:
      break;
  }
  const bool latin1 = encoding == pugi::encoding_latin1;
  std::size_t line = 1;
  std::ptrdiff_t position = 0;
  for (std::size_t i = 0; i + unit <= bytes.size() && position < offset; i += unit) {
    std::uint32_t character = 0;
    for (std::size_t part = 0; part < unit; ++part) {
      const auto byte = static_cast<unsigned char>(bytes[i + (bigEndian ? part : unit - 1 - part)]);
      character = (character << 8) | byte;
    }
    if (character == '\n') {
      ++line;
    }
    if (unit == 1) {
      position += latin1 && character >= 0x80 ? 2 : 1;
    } else if (unit == 2 && character >= 0xD800 && character < 0xDC00) {
      position += 2;  // with its low half: four bytes
    } else {
      position += character < 0x80 ? 1 : character < 0x800 ? 2 : character < 0x10000 ? 3 : 4;
    }
  }
  return line;
}

// Indentation costs every line its depth. A normal file keeps its indented layout; one nested
// so deep that indenting it would outgrow the file is saved without, so that a save stays
// about the size of what was loaded.
bool IndentationFits(const pugi::xml_document& document, std::size_t budget) {
  std::size_t cost = 0;
  std::size_t depth = 0;
  pugi::xml_node node = document.first_child();
  while (node) {
    const bool opens = static_cast<bool>(node.first_child());
    cost += (depth * (sizeof kIndent - 1) + 1) * (opens ? 2 : 1);
    if (cost > budget) {
      return false;
    }
    if (opens) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (node && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    node = node ? node.next_sibling() : node;
  }
  return true;
}

// Saves write UTF-8, and the declaration must say so where it names an encoding that would
// make the next load read the bytes otherwise: read again as Latin-1, the UTF-8 bytes would
// garble every name a little more on each save. A file read in another encoding is relabelled
// too. Other names (an 8-bit code page the parser reads as UTF-8 anyway) are kept, bytes and
// all.
bool NamesAnotherReading(std::string_view encoding) {
  std::string name(encoding);
  for (char& character : name) {
    character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
  }
  return name == "iso-8859-1" || name == "iso_8859-1" || name == "latin1" ||
         name.starts_with("utf-16") || name.starts_with("utf-32") || name.starts_with("ucs");
}

void DeclareUtf8(pugi::xml_document& document, pugi::xml_encoding readAs) {
  for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
    pugi::xml_attribute encoding = node.attribute("encoding");
    if (node.type() == pugi::node_declaration && encoding &&
        (readAs != pugi::encoding_utf8 || NamesAnotherReading(encoding.value()))) {
      encoding.set_value("UTF-8");
    }
  }
}

// Whether the next load reads the text as UTF-8: the parser decides from its first bytes and
// its declaration alone, whatever shape that declaration has.
bool ReadsAsUtf8(const std::string& text) {
  const std::size_t declarationEnd = text.find("?>");
  const std::size_t length = declarationEnd == std::string::npos ? text.size() : declarationEnd + 2;
  pugi::xml_document probe;
  return probe.load_buffer(text.data(), length, pugi::parse_minimal).encoding ==
         pugi::encoding_utf8;
}

void RemoveDeclarations(pugi::xml_document& document) {
  for (pugi::xml_node node = document.first_child(); node;) {
    const pugi::xml_node next = node.next_sibling();
    if (node.type() == pugi::node_declaration) {
      document.remove_child(node);
    }
    node = next;
  }
}

class TextWriter : public pugi::xml_writer {
 public:
  explicit TextWriter(std::string& text) : text_(text) {}
  void write(const void* data, size_t size) override {
    text_.append(static_cast<const char*>(data), size);
  }

 private:
  std::string& text_;
};

// Only elements carry an attribute list; text, comments and the like end every walk that
// reads calls.
bool HasAttributeList(const pugi::xml_node& child) {
  return child.type() == pugi::node_element;
}

std::uint64_t Distance(const FILETIME& first, const FILETIME& second) {
  const std::uint64_t firstTicks = FileTimeToUint64(first);
  const std::uint64_t secondTicks = FileTimeToUint64(second);
  return firstTicks > secondTicks ? firstTicks - secondTicks : secondTicks - firstTicks;
}

}  // namespace

bool SameCall(const CallRecord& first, const CallRecord& second) {
  return std::u16string_view(first.Name) == std::u16string_view(second.Name) &&
         CompareFileTime(&first.CallTime, &second.CallTime) == 0 && first.Index == second.Index;
}

// A parsed schedule file: the document, its container (the first "CallInfo" element anywhere)
// and what the file was when it was read.
struct ScheduleStore::Schedule {
  FileIdentity identity;
  std::size_t loadedSize = 0;
  pugi::xml_encoding encoding = pugi::encoding_utf8;
  pugi::xml_document document;
  pugi::xml_node container;
  // The container's children in order, made by the first operation that needs positions.
  std::vector<pugi::xml_node> children;
  std::size_t leadingElements = 0;  // children before the first one that is not an element
  bool indexed = false;

  void Index() {
    if (indexed) {
      return;
    }
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
      if (leadingElements == children.size() && HasAttributeList(child)) {
        ++leadingElements;
      }
      children.push_back(child);
    }
    indexed = true;
  }
};

ScheduleStore::ScheduleStore() {
  const ScheduleLocation location = FindScheduleFile();
  path_ = location.path;
  defaultPath_ = location.defaultPath;
}

ScheduleStore::~ScheduleStore() = default;

ScheduleStore::Schedule* ScheduleStore::Load() {
  RegularFile file(path_);
  if (file.status() == FileStatus::kRegular && loaded_ && loaded_->identity == file.identity()) {
    return loaded_.get();
  }
  loaded_.reset();  // one document in memory at a time
  if (file.status() == FileStatus::kMissing && !defaultPath_.empty()) {
    // The person's own file is made from the installed one the first time it is needed.
    std::string failure;
    if (!ProvideScheduleFile({path_, defaultPath_}, &failure)) {
      ReportProblem(path_, failure);
      return nullptr;
    }
    file = RegularFile(path_);
  }

  std::string bytes;
  if (!file.ReadAll(bytes)) {
    switch (file.status()) {
      case FileStatus::kMissing:
        ReportProblem(path_, "is missing");
        break;
      case FileStatus::kNotRegular:
        ReportProblem(path_, "cannot be opened (not a regular file)");
        break;
      default:
        ReportProblem(path_, "cannot be opened (" + file.failure() + ")");
        break;
    }
    return nullptr;
  }
  auto schedule = std::make_unique<Schedule>();
  const pugi::xml_parse_result parsed =
      schedule->document.load_buffer(bytes.data(), bytes.size(), kParseOptions);
  if (!parsed) {
    ReportProblem(path_, "is not well-formed at line " +
                             std::to_string(LineOfOffset(bytes, parsed.encoding, parsed.offset)) +
                             " (" + parsed.description() + ")");
    return nullptr;
  }
  const pugi::xml_node root = schedule->document.document_element();
  schedule->container = root ? root.select_node("//CallInfo").node() : pugi::xml_node();
  if (!schedule->container) {
    ReportProblem(path_, "has no \"CallInfo\" element");
    return nullptr;
  }
  schedule->identity = file.identity();
  schedule->loadedSize = bytes.size();
  schedule->encoding = parsed.encoding;
  loaded_ = std::move(schedule);
  return loaded_.get();
}

std::unique_ptr<ScheduleStore::Schedule> ScheduleStore::TakeLoaded() {
  // Whatever the operation does to the document, the next one reads the file again.
  return std::move(loaded_);
}

bool ScheduleStore::Save(Schedule& schedule) {
  DeclareUtf8(schedule.document, schedule.encoding);
  const unsigned format =
      IndentationFits(schedule.document, schedule.loadedSize + kIndentationAllowance)
          ? pugi::format_default
          : pugi::format_raw;
  std::string text;
  TextWriter writer(text);
  schedule.document.save(writer, kIndent, format, pugi::encoding_utf8);
  if (!ReadsAsUtf8(text)) {
    // A declaration too mangled to relabel gives way to a plain one.
    RemoveDeclarations(schedule.document);
    text.clear();
    schedule.document.save(writer, kIndent, format, pugi::encoding_utf8);
  }
  std::string failure;
  if (!WriteFileAtomically(path_, text, &failure)) {
    ReportProblem(path_, "cannot be saved: " + failure);
    return false;
  }
  return true;
}

int ScheduleStore::CountCalls() {
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return 0;
  }
  schedule->Index();
  return static_cast<int>(schedule->children.size());
}

bool ScheduleStore::ReadCall(int position, CallRecord& record) {
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return false;
  }
  record.Index = 0;
  // The walk from the first child fails at a child that is not an element at or before the
  // position, and past the last child.
  schedule->Index();
  if (position < 0 || static_cast<std::size_t>(position) >= schedule->leadingElements) {
    return false;
  }
  ReadRecordAttributes(schedule->children[static_cast<std::size_t>(position)], record);
  return true;
}

std::vector<CallRecord> ScheduleStore::ReadCalls() {
  std::vector<CallRecord> calls;
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return calls;
  }
  schedule->Index();
  calls.reserve(schedule->leadingElements);
  for (std::size_t i = 0; i < schedule->leadingElements; ++i) {
    // Each record starts empty: a call without some attribute shows nothing of the one before.
    ReadRecordAttributes(schedule->children[i], calls.emplace_back());
  }
  return calls;
}

bool ScheduleStore::FindDueCall(CallRecord& record) {
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return false;
  }
  for (pugi::xml_node child = schedule->container.first_child(); child;
       child = child.next_sibling()) {
    if (!HasAttributeList(child)) {
      return false;
    }
    // A fresh record for every child, so a call never rings with another call's leftovers.
    std::memset(&record, 0, sizeof record);
    ReadRecordAttributes(child, record);
    if (Distance(record.CallTime, LocalNowAsFileTime()) < kDueWindow) {
      return true;
    }
  }
  return false;
}

int ScheduleStore::PurgeCalls(FILETIME limit) {
  Schedule* loaded = Load();
  if (loaded == nullptr) {
    return 0;
  }
  const FILETIME purgeLimit = Uint64ToFileTime(FileTimeToUint64(limit) + kDueWindow);
  std::vector<pugi::xml_node> due;
  for (pugi::xml_node child = loaded->container.first_child(); child;
       child = child.next_sibling()) {
    if (!HasAttributeList(child)) {
      return -1;  // nothing removed, nothing saved
    }
    const FILETIME ringTime = ReadRingTime(child);
    if (CompareFileTime(&ringTime, &purgeLimit) <= 0) {
      due.push_back(child);
    }
  }
  // A file without a call to remove is left as it is: the list's every refresh would otherwise
  // write (and flush) the whole file again.
  if (due.empty()) {
    return 0;
  }
  const std::unique_ptr<Schedule> schedule = TakeLoaded();
  for (const pugi::xml_node& child : due) {
    schedule->container.remove_child(child);
  }
  return Save(*schedule) ? 0 : -1;
}

bool ScheduleStore::DeleteCall(int position) {
  if (Load() == nullptr) {
    return false;
  }
  const std::unique_ptr<Schedule> schedule = TakeLoaded();
  int childPosition = 0;
  for (pugi::xml_node child = schedule->container.first_child(); child;
       child = child.next_sibling(), ++childPosition) {
    if (childPosition == position) {
      schedule->container.remove_child(child);
      break;
    }
  }
  return Save(*schedule);
}

bool ScheduleStore::DeleteCall(int position, const CallRecord& shown) {
  Schedule* loaded = Load();
  if (loaded == nullptr) {
    return false;
  }
  loaded->Index();
  if (position < 0 || static_cast<std::size_t>(position) >= loaded->children.size()) {
    return false;
  }
  const pugi::xml_node child = loaded->children[static_cast<std::size_t>(position)];
  if (!HasAttributeList(child)) {
    return false;
  }
  CallRecord stored{};
  ReadRecordAttributes(child, stored);
  if (!SameCall(stored, shown)) {
    return false;
  }
  const std::unique_ptr<Schedule> schedule = TakeLoaded();
  schedule->container.remove_child(child);
  return Save(*schedule);
}

int ScheduleStore::AppendCall(const CallRecord& record) {
  if (Load() == nullptr) {
    return -1;
  }
  // The number counts the children the file holds now, read by a load of its own.
  const int index = CountCalls() + 1;
  const std::unique_ptr<Schedule> schedule = TakeLoaded();
  if (!schedule) {
    return -1;  // the file went away between the two loads
  }
  pugi::xml_node element = schedule->container.append_child("CI");
  WriteRecordAttributes(element, record, index);
  return Save(*schedule) ? 0 : -1;
}

int ScheduleStore::FindEarliestCall(FILETIME& time) {
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return -1;
  }
  pugi::xml_node child = schedule->container.first_child();
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

int ScheduleStore::FindEarliestCallAfter(FILETIME limit, FILETIME& time) {
  Schedule* schedule = Load();
  if (schedule == nullptr) {
    return -1;
  }
  bool found = false;
  FILETIME earliest{};
  for (pugi::xml_node child = schedule->container.first_child(); child;
       child = child.next_sibling()) {
    if (!HasAttributeList(child)) {
      return -1;
    }
    const FILETIME ringTime = ReadRingTime(child);
    if (CompareFileTime(&ringTime, &limit) == 1 &&
        (!found || CompareFileTime(&earliest, &ringTime) == 1)) {
      earliest = ringTime;
      found = true;
    }
  }
  if (!found) {
    return -1;
  }
  time = earliest;
  return 0;
}
