// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/schedule_store.h"

#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include "store/record_attributes.h"
#include "tests/support/schedule_fixture.h"
#include "tests/support/text_files.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class ScheduleStoreTest : public ScheduleFixture {
 protected:
  CallRecord Record(const std::u16string& name, FILETIME time, int vibrate = 1,
                    const std::u16string& ringtone = u"/home/a/ring.mp3") {
    CallRecord record{};
    CopyToField(record.Name, kNameCapacity, name);
    CopyToField(record.Ringtone, kRingtoneCapacity, ringtone);
    record.CallTime = time;
    record.Vibrate = vibrate;
    record.Index = 77;  // never consulted when appending
    return record;
  }
  std::u16string NameOf(const CallRecord& record) { return record.Name; }
};

TEST_F(ScheduleStoreTest, EveryOperationFailsWithoutAUsableFileAndSaysWhyOnce) {
  struct Case {
    const char* content;
    const char* reason;
  } cases[] = {{"", "is not well-formed at line 1"},
               {"<CallInfo>\n<CI Name=\"a\"/>\n<CI></CallInfo>", "is not well-formed at line 3"},
               {"<Calls/>", "has no \"CallInfo\" element"},
               {"\nnot xml", "is not well-formed at line 2"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    WriteSchedule(c.content);
    ScheduleStore store;
    CallRecord record = Record(u"kept", NowPlus(0));
    FILETIME time{1, 2};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(store.CountCalls(), 0);
    EXPECT_FALSE(store.ReadCall(0, record));
    EXPECT_FALSE(store.FindDueCall(record));
    EXPECT_EQ(NameOf(record), u"kept");
    EXPECT_EQ(store.PurgeCalls(NowPlus(0)), 0);
    EXPECT_FALSE(store.DeleteCall(0));
    EXPECT_EQ(store.AppendCall(record), -1);
    EXPECT_EQ(store.FindEarliestCall(time), -1);
    EXPECT_EQ(time.dwLowDateTime, 1u);
    // One line for the lot, naming the file and the reason.
    EXPECT_THAT(test_support::Lines(::testing::internal::GetCapturedStderr()),
                ElementsAre(AllOf(HasSubstr(SchedulePath().string()), HasSubstr(c.reason))));
    EXPECT_EQ(ReadSchedule(), c.content);  // never repaired
  }

  // A FIFO, a device (through a link) or a directory under the file's name is no schedule, and
  // opening it never blocks: a FIFO without a writer would hold the launch for ever.
  const std::function<void()> makers[] = {
      [&] { ASSERT_EQ(mkfifo(SchedulePath().c_str(), 0600), 0); },
      [&] { std::filesystem::create_symlink("/dev/zero", SchedulePath()); },
      [&] { std::filesystem::create_directory(SchedulePath()); }};
  ::testing::internal::CaptureStderr();
  for (const std::function<void()>& make : makers) {
    std::filesystem::remove_all(SchedulePath());
    make();
    alarm(20);
    ScheduleStore store;
    CallRecord record{};
    EXPECT_EQ(store.CountCalls(), 0);
    EXPECT_EQ(store.AppendCall(record), -1);
    alarm(0);
  }
  EXPECT_THAT(test_support::Lines(::testing::internal::GetCapturedStderr()),
              ElementsAre(HasSubstr("cannot be opened (not a regular file)")));
}

// Installed for every user, the program's directory holds no schedule file: each person's own
// is made from the installed default where their data goes, the first time it is needed.
TEST_F(ScheduleStoreTest, WithoutAFileBesideTheProgramEachPersonHasTheirOwn) {
  namespace fs = std::filesystem;
  const fs::path prefix = directory_ / "usr";
  fs::create_directories(prefix / "lib" / "pelorin");
  SetModuleFileNameForTesting(FromUtf8((prefix / "lib" / "pelorin" / "pelorin").string()));
  const fs::path installed = prefix / "share" / "pelorin" / "pelorin.xml";
  const fs::path own = directory_ / "data" / "pelorin" / "pelorin.xml";
  CallRecord record = Record(u"Ada", NowPlus(60));

  // No installed default either: nothing works, one line says why, nothing is made.
  {
    ScheduleStore store;
    EXPECT_EQ(store.path(), own.string());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(store.CountCalls(), 0);
    EXPECT_EQ(store.AppendCall(record), -1);
    EXPECT_THAT(test_support::Lines(::testing::internal::GetCapturedStderr()),
                ElementsAre(AllOf(HasSubstr(own.string()), HasSubstr("is missing"),
                                  HasSubstr(installed.string()))));
    EXPECT_FALSE(fs::exists(directory_ / "data"));
  }

  fs::create_directories(installed.parent_path());
  std::ofstream(installed) << "<CallInfo>\n</CallInfo>\n";
  fs::permissions(installed, fs::perms::owner_read | fs::perms::group_read);
  {
    ScheduleStore store;
    EXPECT_EQ(store.CountCalls(), 0);
    EXPECT_EQ(store.AppendCall(record), 0);
  }
  EXPECT_EQ(ScheduleStore().CountCalls(), 1);  // made once, then kept
  EXPECT_EQ(test_support::ReadFile(installed), "<CallInfo>\n</CallInfo>\n");
  for (const fs::path& made : {own.parent_path(), own.parent_path().parent_path()}) {
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
  }
  EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  // A relative XDG_DATA_HOME is no data directory: the home's is used.
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  setenv("XDG_DATA_HOME", "data", 1);
  setenv("HOME", directory_.c_str(), 1);
  EXPECT_EQ(ScheduleStore().path(), (directory_ / ".local/share/pelorin/pelorin.xml").string());
  setenv("HOME", home.c_str(), 1);
  // Whatever is beside the program, even what cannot be read, is the file in effect.
  fs::create_directory(prefix / "lib" / "pelorin" / "pelorin.xml");
  EXPECT_EQ(ScheduleStore().path(), (prefix / "lib" / "pelorin" / "pelorin.xml").string());
}

TEST_F(ScheduleStoreTest, EmptyContainerHoldsNoCallsAndIsLeftAsItIs) {
  WriteSchedule("<CallInfo/>");
  ScheduleStore store;
  FILETIME time{};
  EXPECT_EQ(store.CountCalls(), 0);
  EXPECT_EQ(store.FindEarliestCall(time), -1);
  EXPECT_EQ(store.PurgeCalls(NowPlus(0)), 0);
  EXPECT_EQ(store.CountCalls(), 0);
  EXPECT_EQ(ReadSchedule(), "<CallInfo/>");  // nothing to remove, nothing written
}

TEST_F(ScheduleStoreTest, AppendWritesAttributesInOrderWithPlainDigits) {
  WriteSchedule("<CallInfo/>");
  ScheduleStore store;
  CallRecord record = Record(u"Ann & \"Bo\" <x>", Uint64ToFileTime(0xFFFFFFFF80000000ull), -1,
                             u"/music/rock & roll/\"a\".mp3");
  ASSERT_EQ(store.AppendCall(record), 0);
  EXPECT_THAT(ReadSchedule(),
              HasSubstr("<CI Name=\"Ann &amp; &quot;Bo&quot; &lt;x>\" PhoneNo=\"\" "
                        "Ringtone=\"/music/rock &amp; roll/&quot;a&quot;.mp3\" Vibrate=\"-1\" "
                        "Index=\"1\" CallTimeHigh=\"4294967295\" CallTimeLow=\"2147483648\" />"));

  CallRecord back{};
  ASSERT_TRUE(store.ReadCall(0, back));
  EXPECT_EQ(NameOf(back), u"Ann & \"Bo\" <x>");
  EXPECT_EQ(std::u16string(back.Ringtone), u"/music/rock & roll/\"a\".mp3");
  EXPECT_EQ(back.CallTime.dwHighDateTime, 4294967295u);
  EXPECT_EQ(back.CallTime.dwLowDateTime, 2147483648u);
  EXPECT_EQ(back.Vibrate, -1);
  EXPECT_EQ(back.Index, 1);
}

TEST_F(ScheduleStoreTest, IndexCountsChildrenAtAppendAndIsNeverRenumbered) {
  WriteSchedule("<CallInfo/>");
  ScheduleStore store;
  for (const char16_t* name : {u"a", u"b", u"c"}) {
    ASSERT_EQ(store.AppendCall(Record(name, NowPlus(600))), 0);
  }
  ASSERT_TRUE(store.DeleteCall(0));
  ASSERT_EQ(store.AppendCall(Record(u"d", NowPlus(600))), 0);
  std::vector<int> indexes;
  std::u16string names;
  for (int i = 0; i < store.CountCalls(); ++i) {
    CallRecord record{};
    ASSERT_TRUE(store.ReadCall(i, record));
    indexes.push_back(record.Index);
    names += record.Name;
  }
  EXPECT_EQ(indexes, (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(names, u"bcd");
}

TEST_F(ScheduleStoreTest, FileRulesContainerWhiteSpaceAndWhatSurvivesASave) {
  WriteSchedule(
      "<?xml version=\"1.0\"?>\n<!-- kept -->\n<Phone owner=\"me\">\n  <?app data?>\n"
      "  <Other><CallInfo>\n    " +
      Call("one", NowPlus(100)) + "\n    " + Call("two", NowPlus(200), 2) +
      "\n  </CallInfo></Other>\n  <CallInfo>" + Call("ignored", NowPlus(50)) +
      "</CallInfo>\n</Phone>\n");
  ScheduleStore store;
  EXPECT_EQ(store.CountCalls(), 2);  // indentation is no child
  FILETIME earliest{};
  ASSERT_EQ(store.FindEarliestCall(earliest), 0);
  EXPECT_EQ(FileTimeToUint64(earliest), FileTimeToUint64(NowPlus(100)));

  ASSERT_TRUE(store.DeleteCall(5));  // out of range: saved, nothing removed
  const std::string saved = ReadSchedule();
  EXPECT_THAT(saved, HasSubstr("<!-- kept -->"));
  EXPECT_THAT(saved, HasSubstr("<?app data?>"));
  EXPECT_THAT(saved, HasSubstr("owner=\"me\""));
  EXPECT_THAT(saved, HasSubstr("Name=\"ignored\""));
  EXPECT_EQ(store.CountCalls(), 2);

  // The document element itself may be the container; an edit in place of the same size is
  // read as well.
  WriteSchedule("<CallInfo>" + Call("root", NowPlus(100)) + "</CallInfo>");
  EXPECT_EQ(store.CountCalls(), 1);
  WriteSchedule("<CallInfo>" + Call("toor", NowPlus(100)) + "</CallInfo>");
  CallRecord record{};
  ASSERT_TRUE(store.ReadCall(0, record));
  EXPECT_EQ(NameOf(record), u"toor");
}

TEST_F(ScheduleStoreTest, ReadingRuleOrderExtrasMissingFieldsAndNumbers) {
  WriteSchedule(
      "<CallInfo>"
      "<X Extra=\"1\" CallTimeLow=\"4294967295\" Index=\"9\" Name=\"Lee\" CallTimeHigh=\"0\" "
      "Vibrate=\" +1x\" Ringtone=\"/r.wav\"/>"
      "<CI Name=\"NoTime\"/>"
      "<CI/>"
      "</CallInfo>");
  ScheduleStore store;
  CallRecord record = Record(u"before", Uint64ToFileTime(0x500000005ull));
  CopyToField(record.PhoneNo, kPhoneNoCapacity, u"555");
  ASSERT_TRUE(store.ReadCall(0, record));
  EXPECT_EQ(NameOf(record), u"Lee");
  EXPECT_EQ(std::u16string(record.PhoneNo), u"555");  // no attribute: untouched
  EXPECT_EQ(std::u16string(record.Ringtone), u"/r.wav");
  EXPECT_EQ(record.Vibrate, 1);
  EXPECT_EQ(record.Index, 9);
  EXPECT_EQ(record.CallTime.dwLowDateTime, 4294967295u);
  EXPECT_EQ(record.CallTime.dwHighDateTime, 0u);

  ASSERT_TRUE(store.ReadCall(2, record));  // no attributes: only Index changes
  EXPECT_EQ(record.Index, 0);
  EXPECT_EQ(NameOf(record), u"Lee");
  EXPECT_FALSE(store.ReadCall(3, record));
  EXPECT_FALSE(store.ReadCall(-1, record));
  // All at once, each call read into an empty record.
  const std::vector<CallRecord> calls = store.ReadCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(NameOf(calls[0]), u"Lee");
  EXPECT_EQ(calls[0].Index, 9);
  EXPECT_EQ(NameOf(calls[1]), u"NoTime");
  EXPECT_EQ(std::u16string(calls[1].Ringtone), u"");
  EXPECT_EQ(NameOf(calls[2]), u"");

  EXPECT_EQ(ReadNumber("  -1"), 4294967295u);
  EXPECT_EQ(ReadNumber("\t\n42abc"), 42u);
  EXPECT_EQ(ReadNumber("abc"), 0u);
  EXPECT_EQ(ReadNumber("- 5"), 0u);
  EXPECT_EQ(ReadNumber("4294967296"), 0u);  // modulo 2^32
  EXPECT_EQ(ReadNumber("4294967297"), 1u);
  EXPECT_EQ(ReadNumber("2147483648"), 2147483648u);
}

TEST_F(ScheduleStoreTest, OverlongNamesAreCutAndOverlongRingtonesRefused) {
  const std::string longName(300, 'n');
  const std::string hugeRingtone(100000, 'r');
  const std::string fullRingtone = "/" + std::string(254, 'f');
  WriteSchedule("<CallInfo><CI Name=\"" + longName + "\" PhoneNo=\"" + longName + "\" Ringtone=\"" +
                hugeRingtone + "\"/><CI Ringtone=\"/" + std::string(255, 'l') +
                "\"/><CI Ringtone=\"" + fullRingtone + "\"/></CallInfo>");
  ScheduleStore store;
  CallRecord record{};
  ASSERT_TRUE(store.ReadCall(0, record));
  EXPECT_EQ(std::u16string(record.Name), std::u16string(254, u'n'));
  EXPECT_EQ(std::u16string(record.PhoneNo), std::u16string(254, u'n'));
  // A cut path would name another file: the call stays silent instead.
  EXPECT_EQ(std::u16string(record.Ringtone), u"");
  CopyToField(record.Ringtone, kRingtoneCapacity, u"/left/over.mp3");
  ASSERT_TRUE(store.ReadCall(1, record));  // one character over the field
  EXPECT_EQ(std::u16string(record.Ringtone), u"");
  ASSERT_TRUE(store.ReadCall(2, record));  // exactly filling it
  EXPECT_EQ(std::u16string(record.Ringtone), FromUtf8(fullRingtone));
}

TEST_F(ScheduleStoreTest, NonElementChildStopsWalksButCountsAndDeletes) {
  WriteSchedule("<CallInfo>" + Call("due", NowPlus(-20)) + "<!-- note -->" +
                Call("later", NowPlus(600)) + "</CallInfo>");
  const std::string before = ReadSchedule();
  ScheduleStore store;
  CallRecord record{};
  FILETIME time{};
  EXPECT_EQ(store.CountCalls(), 3);
  EXPECT_TRUE(store.ReadCall(0, record));
  EXPECT_FALSE(store.ReadCall(1, record));
  EXPECT_FALSE(store.ReadCall(2, record));
  EXPECT_EQ(store.ReadCalls().size(), 1u);
  EXPECT_EQ(store.FindEarliestCall(time), -1);
  EXPECT_EQ(store.PurgeCalls(NowPlus(0)), -1);
  EXPECT_EQ(ReadSchedule(), before);  // the due call before the comment is not removed
  EXPECT_TRUE(store.ReadCall(0, record));
  EXPECT_EQ(NameOf(record), u"due");

  EXPECT_TRUE(store.DeleteCall(1));
  EXPECT_EQ(store.CountCalls(), 2);
  EXPECT_THAT(ReadSchedule(), Not(HasSubstr("note")));
}

TEST_F(ScheduleStoreTest, DueWindowIsOpenOnBothSides) {
  struct Case {
    long long offset;
    bool due;
  } cases[] = {{9, true}, {-9, true}, {10, false}, {-10, false}, {0, true}, {3600, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    WriteSchedule("<CallInfo>" + Call("x", NowPlus(c.offset)) + "</CallInfo>");
    ScheduleStore store;
    CallRecord record{};
    EXPECT_EQ(store.FindDueCall(record), c.due);
  }
  // 9.9999999 s early is still due.
  WriteSchedule("<CallInfo>" + Call("x", Uint64ToFileTime(FileTimeToUint64(NowPlus(10)) - 1)) +
                "</CallInfo>");
  CallRecord record{};
  EXPECT_TRUE(ScheduleStore().FindDueCall(record));
}

TEST_F(ScheduleStoreTest, FindDueCallTakesTheFirstDueAndNoLeftovers) {
  WriteSchedule("<CallInfo>" + Call("early", NowPlus(-3600), 1, "/left/over.mp3", 1) +
                "<CI Name=\"Bare\" CallTimeHigh=\"" + std::to_string(NowPlus(2).dwHighDateTime) +
                "\" CallTimeLow=\"" + std::to_string(NowPlus(2).dwLowDateTime) + "\"/>" +
                Call("same", NowPlus(2)) + "</CallInfo>");
  ScheduleStore store;
  CallRecord record = Record(u"stale", NowPlus(0));
  ASSERT_TRUE(store.FindDueCall(record));
  EXPECT_EQ(NameOf(record), u"Bare");
  EXPECT_EQ(std::u16string(record.Ringtone), u"");  // not the first call's ringtone
  EXPECT_EQ(record.Vibrate, 0);
  FILETIME earliest{};
  ASSERT_EQ(store.FindEarliestCall(earliest), 0);
  EXPECT_EQ(FileTimeToUint64(earliest), FileTimeToUint64(NowPlus(-3600)));
}

TEST_F(ScheduleStoreTest, PurgeRemovesUpToTenSecondsAheadAndKeepsTheRest) {
  WriteSchedule("<CallInfo>" + Call("past", NowPlus(-100)) + Call("later", NowPlus(11)) +
                Call("edge", NowPlus(10)) + Call("now", NowPlus(0)) + "</CallInfo>");
  ScheduleStore store;
  ASSERT_EQ(store.PurgeCalls(NowPlus(0)), 0);
  ASSERT_EQ(store.CountCalls(), 1);
  CallRecord record{};
  ASSERT_TRUE(store.ReadCall(0, record));
  EXPECT_EQ(NameOf(record), u"later");
}

TEST_F(ScheduleStoreTest, DeleteKeepsOrderAndIndexes) {
  WriteSchedule("<CallInfo>" + Call("a", NowPlus(60), 1) + Call("b", NowPlus(70), 2) +
                Call("c", NowPlus(80), 3) + "</CallInfo>");
  ScheduleStore store;
  ASSERT_TRUE(store.DeleteCall(1));
  CallRecord first{}, second{};
  ASSERT_TRUE(store.ReadCall(0, first));
  ASSERT_TRUE(store.ReadCall(1, second));
  EXPECT_EQ(NameOf(first) + NameOf(second), u"ac");
  EXPECT_EQ(first.Index, 1);
  EXPECT_EQ(second.Index, 3);
}

TEST_F(ScheduleStoreTest, DeleteOfAShownCallRefusesWhenTheFileChangedUnderneath) {
  WriteSchedule("<CallInfo>" + Call("a", NowPlus(60), 1) + Call("b", NowPlus(70), 2) +
                "</CallInfo>");
  ScheduleStore store;
  CallRecord shown{};
  ASSERT_TRUE(store.ReadCall(1, shown));
  // Another process purged the first call: position 1 is now empty, position 0 holds "b".
  WriteSchedule("<CallInfo>" + Call("b", NowPlus(70), 2) + "</CallInfo>");
  const std::string before = ReadSchedule();
  EXPECT_FALSE(store.DeleteCall(1, shown));
  EXPECT_EQ(ReadSchedule(), before);
  CallRecord first{};
  ASSERT_TRUE(store.ReadCall(0, first));
  EXPECT_FALSE(store.DeleteCall(0, Record(u"a", NowPlus(60))));
  EXPECT_TRUE(store.DeleteCall(0, shown));
  EXPECT_EQ(store.CountCalls(), 0);
}

TEST_F(ScheduleStoreTest, SavesAreAtomicAndAFailedSaveIsReported) {
  namespace fs = std::filesystem;
  WriteSchedule("<CallInfo/>");
  fs::permissions(SchedulePath(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Temporary files of saves killed before their rename: this user's that are a minute old go
  // at the next save; a fresh one (a save in progress) and files that are not ours stay.
  const auto leave = [&](const std::string& name, int age) {
    std::ofstream(directory_ / name) << "<CallInfo";
    fs::last_write_time(directory_ / name,
                        fs::file_time_type::clock::now() - std::chrono::seconds(age));
  };
  leave("pelorin.xml.pelorin-tmp-Ab12Cd", 120);
  leave("pelorin.xml.pelorin-tmp-Fresh1", 5);
  leave("pelorin.xml.Ab12Cd", 120);
  const auto files = [&] {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  };
  const std::set<std::string> kept = {"pelorin.xml", "pelorin.xml.pelorin-tmp-Fresh1",
                                      "pelorin.xml.Ab12Cd"};
  ScheduleStore store;
  ASSERT_EQ(store.AppendCall(Record(u"a", NowPlus(60))), 0);
  EXPECT_EQ(files(), kept);
  EXPECT_EQ(fs::status(SchedulePath()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // A directory that cannot be written: adding and deleting fail, said once on stderr.
  const auto [results, errors] = InReadOnlyDirectory([&] {
    ScheduleStore other;
    return std::to_string(other.AppendCall(Record(u"b", NowPlus(60)))) + " " +
           std::to_string(other.DeleteCall(0));
  });
  EXPECT_EQ(results, "-1 0");
  EXPECT_THAT(test_support::Lines(errors),
              ElementsAre(AllOf(HasSubstr(SchedulePath().string()), HasSubstr("cannot be saved"),
                                HasSubstr("is not writable"))));

  // A disk that takes no more bytes: the save fails, the old file stays, and the failure is
  // reported instead of a saved call that is not there.
  const std::string before = ReadSchedule();
  rlimit original{};
  getrlimit(RLIMIT_FSIZE, &original);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = original;
  tiny.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const int appended = store.AppendCall(Record(u"b", NowPlus(60)));
  const bool deleted = store.DeleteCall(0);
  setrlimit(RLIMIT_FSIZE, &original);
  EXPECT_EQ(appended, -1);
  EXPECT_FALSE(deleted);
  EXPECT_EQ(ReadSchedule(), before);
  EXPECT_EQ(store.CountCalls(), 1);
  EXPECT_EQ(files(), kept);
}

TEST_F(ScheduleStoreTest, SavesStayNearTheLoadedSizeAndNormalFilesStayIndented) {
  WriteSchedule("<CallInfo>" + Call("a", NowPlus(60)) + "</CallInfo>");
  ScheduleStore store;
  ASSERT_EQ(store.AppendCall(Record(u"b", NowPlus(70))), 0);
  EXPECT_THAT(ReadSchedule(), HasSubstr("<CallInfo>\n  <CI Name=\"a\""));

  // Indented, a file nested 10,000 deep would give its lines some 200 MB of spaces.
  const int depth = 10'000;
  std::string deep;
  for (int i = 0; i < depth; ++i) {
    deep += "<a>";
  }
  deep += "<CallInfo/>";
  for (int i = 0; i < depth; ++i) {
    deep += "</a>";
  }
  WriteSchedule(deep);
  ASSERT_EQ(store.AppendCall(Record(u"c", NowPlus(60))), 0);
  EXPECT_LT(std::filesystem::file_size(SchedulePath()), 2 * deep.size());
  EXPECT_EQ(store.CountCalls(), 1);
}

TEST_F(ScheduleStoreTest, NamesSurviveSavesOfLatin1AndUtf16Files) {
  const std::string call = "<CI Name=\"Jos\xC3\xA9\" CallTimeHigh=\"" +
                           std::to_string(NowPlus(600).dwHighDateTime) + "\"/>";
  const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<CallInfo>" +
                             std::string(call).replace(call.find("\xC3\xA9"), 2, "\xE9") +
                             "</CallInfo>";
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit :
       FromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?><CallInfo>" + call + "</CallInfo>")) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  for (const std::string& content : {latin1, utf16}) {
    WriteSchedule(content);
    ScheduleStore store;
    for (int save = 0; save < 3; ++save) {
      ASSERT_EQ(store.AppendCall(Record(u"Zo\u00EB", NowPlus(700))), 0);
      ASSERT_TRUE(store.DeleteCall(1));
      CallRecord record{};
      ASSERT_TRUE(store.ReadCall(0, record));
      EXPECT_EQ(NameOf(record), u"Jos\u00E9");
    }
    EXPECT_THAT(ReadSchedule(), HasSubstr("encoding=\"UTF-8\""));
  }
}

}  // namespace
