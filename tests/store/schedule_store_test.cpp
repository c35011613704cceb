#include "store/schedule_store.h"

#include <gmock/gmock.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "store/record_attributes.h"
#include "tests/support/schedule_fixture.h"

namespace {

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

TEST_F(ScheduleStoreTest, EveryOperationFailsWithoutAUsableFile) {
  const char* contents[] = {nullptr, "", "<CallInfo><CI></CallInfo>", "<Calls/>", "not xml"};
  for (const char* content : contents) {
    SCOPED_TRACE(content ? content : "(missing file)");
    std::filesystem::remove(SchedulePath());
    if (content) {
      WriteSchedule(content);
    }
    ScheduleStore store;
    CallRecord record = Record(u"kept", NowPlus(0));
    FILETIME time{1, 2};
    EXPECT_EQ(store.CountCalls(), 0);
    EXPECT_FALSE(store.ReadCall(0, record));
    EXPECT_FALSE(store.FindDueCall(record));
    EXPECT_EQ(NameOf(record), u"kept");
    EXPECT_EQ(store.PurgeCalls(NowPlus(0)), 0);
    EXPECT_FALSE(store.DeleteCall(0));
    EXPECT_EQ(store.AppendCall(record), -1);
    EXPECT_EQ(store.FindEarliestCall(time), -1);
    EXPECT_EQ(time.dwLowDateTime, 1u);
    // The file is never created or repaired.
    EXPECT_EQ(std::filesystem::exists(SchedulePath()), content != nullptr);
    if (content) {
      EXPECT_EQ(ReadSchedule(), content);
    }
  }
}

TEST_F(ScheduleStoreTest, EmptyContainerHoldsNoCallsAndSavesUnchanged) {
  WriteSchedule("<CallInfo/>");
  ScheduleStore store;
  FILETIME time{};
  EXPECT_EQ(store.CountCalls(), 0);
  EXPECT_EQ(store.FindEarliestCall(time), -1);
  EXPECT_EQ(store.PurgeCalls(NowPlus(0)), 0);
  EXPECT_EQ(store.CountCalls(), 0);
  EXPECT_THAT(ReadSchedule(), HasSubstr("<CallInfo />"));
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
      "  <Other><CallInfo>\n    " + Call("one", NowPlus(100)) + "\n    " + Call("two", NowPlus(200), 2) +
      "\n  </CallInfo></Other>\n  <CallInfo>" + Call("ignored", NowPlus(50)) + "</CallInfo>\n</Phone>\n");
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

  // The document element itself may be the container.
  WriteSchedule("<CallInfo>" + Call("root", NowPlus(100)) + "</CallInfo>");
  EXPECT_EQ(store.CountCalls(), 1);
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
  WriteSchedule("<CallInfo><CI Name=\"" + longName + "\" PhoneNo=\"" + longName +
                "\" Ringtone=\"" + hugeRingtone + "\"/><CI Ringtone=\"/" +
                std::string(255, 'l') + "\"/><CI Ringtone=\"" + fullRingtone +
                "\"/></CallInfo>");
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
  EXPECT_EQ(store.FindEarliestCall(time), -1);
  EXPECT_EQ(store.PurgeCalls(NowPlus(0)), -1);
  EXPECT_EQ(ReadSchedule(), before);  // the due call before the comment is not removed

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
  WriteSchedule("<CallInfo>" +
                Call("x", Uint64ToFileTime(FileTimeToUint64(NowPlus(10)) - 1)) + "</CallInfo>");
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
  WriteSchedule("<CallInfo>" + Call("a", NowPlus(60), 1) + Call("b", NowPlus(70), 2) + "</CallInfo>");
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
  WriteSchedule("<CallInfo/>");
  std::filesystem::permissions(SchedulePath(), std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_write |
                                                   std::filesystem::perms::group_read);
  ScheduleStore store;
  ASSERT_EQ(store.AppendCall(Record(u"a", NowPlus(60))), 0);
  // Only the schedule file is left behind, with its permissions.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory_)) {
    ++files;
  }
  EXPECT_EQ(files, 1);
  EXPECT_EQ(std::filesystem::status(SchedulePath()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);

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
}

}  // namespace
