// SIM phone-book sessions over the machine's modem and over a scripted card.
#include "platform/sim/sim_manager.h"

#include <gmock/gmock.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct CardLog {
  std::vector<std::uint32_t> reads;
  bool closed = false;
};

class ScriptedCard : public SimCard {
 public:
  ScriptedCard(CardLog* log, bool rangeReadable, std::map<std::uint32_t, std::u16string> entries)
      : log_(log), rangeReadable_(rangeReadable), entries_(std::move(entries)) {}
  ~ScriptedCard() override { log_->closed = true; }

  bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) override {
    *lowest = 3;
    *highest = 7;
    return rangeReadable_;
  }

  bool ReadPhonebookEntry(std::uint32_t index, std::u16string* address,
                          std::u16string* text) override {
    log_->reads.push_back(index);
    const auto found = entries_.find(index);
    if (found == entries_.end()) return false;
    *address = u"+4420" + std::u16string(1, static_cast<char16_t>(u'0' + index));
    *text = found->second;
    return true;
  }

 private:
  CardLog* log_;
  bool rangeReadable_;
  std::map<std::uint32_t, std::u16string> entries_;
};

class SimManagerTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSimCardFactoryForTesting({}); }

  void UseCard(bool rangeReadable, std::map<std::uint32_t, std::u16string> entries) {
    SetSimCardFactoryForTesting([this, rangeReadable, entries] {
      return std::make_unique<ScriptedCard>(&log_, rangeReadable, entries);
    });
  }

  CardLog log_;
};

TEST_F(SimManagerTest, WithoutAReachableCardInitialisationFails) {
  HSIM sim = reinterpret_cast<HSIM>(this);
  const int result = SimInitialize(0, nullptr, 0, &sim);
  EXPECT_TRUE(result == SIM_E_NOSIM || result == SIM_E_NOBACKEND) << result;
  EXPECT_EQ(sim, nullptr);
  SetSimCardFactoryForTesting([] { return std::unique_ptr<SimCard>(); });
  EXPECT_LT(SimInitialize(0, nullptr, 0, &sim), 0);
  EXPECT_EQ(sim, nullptr);
  EXPECT_LT(SimInitialize(0, nullptr, 0, nullptr), 0);
}

TEST_F(SimManagerTest, SessionReadsRangeAndEntriesByIndex) {
  UseCard(true, {{3, u"Lee Ann"}, {5, u""}});
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), SIM_S_OK);
  SIMCAPS caps{};
  ASSERT_EQ(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), SIM_S_OK);
  EXPECT_EQ(caps.dwMinPBIndex, 3u);
  EXPECT_EQ(caps.dwMaxPBIndex, 7u);
  EXPECT_EQ(caps.dwParams, SIM_PARAM_CAPS_PBINDEXRANGE);
  EXPECT_EQ(SimGetDevCaps(sim, 1, &caps), SIM_E_NOTIMPLEMENTED);

  static_assert(sizeof(SIMPHONEBOOKENTRY) == 1040);
  SIMPHONEBOOKENTRY entry{};
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 3, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), u"Lee Ann");
  EXPECT_EQ(std::u16string(entry.lpszAddress), u"+44203");
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 5, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), u"");

  // A failed read leaves the record as it was.
  entry.lpszText[0] = u'k';
  EXPECT_LT(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 4, &entry), 0);
  EXPECT_EQ(entry.lpszText[0], u'k');
  EXPECT_EQ(SimReadPhonebookEntry(sim, 0x1, 3, &entry), SIM_E_NOTIMPLEMENTED);
  EXPECT_THAT(log_.reads, ::testing::ElementsAre(3u, 5u, 4u));

  EXPECT_FALSE(log_.closed);
  EXPECT_EQ(SimDeinitialize(sim), SIM_S_OK);
  EXPECT_TRUE(log_.closed);
}

TEST_F(SimManagerTest, UnreadableRangeFailsAndLeavesTheRecord) {
  UseCard(false, {});
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), SIM_S_OK);
  SIMCAPS caps{0, 0, 99, 98};
  EXPECT_LT(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), 0);
  EXPECT_EQ(caps.dwMinPBIndex, 99u);
  EXPECT_EQ(SimDeinitialize(sim), SIM_S_OK);
}

TEST_F(SimManagerTest, LongTextsAreCutWithinTheirFields) {
  UseCard(true, {{3, std::u16string(300, u'x')}, {4, std::u16string(254, u'y') + u"\U0001F600"}});
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), SIM_S_OK);
  SIMPHONEBOOKENTRY entry{};
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 3, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), std::u16string(255, u'x'));
  // A surrogate pair that does not fit whole is left out, not split.
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 4, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), std::u16string(254, u'y'));
  SimDeinitialize(sim);
}

TEST_F(SimManagerTest, ClosedOrMadeUpHandlesAreRefused) {
  UseCard(true, {{3, u"x"}});
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), SIM_S_OK);
  ASSERT_EQ(SimDeinitialize(sim), SIM_S_OK);
  SIMCAPS caps{};
  SIMPHONEBOOKENTRY entry{};
  EXPECT_LT(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), 0);
  EXPECT_LT(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 3, &entry), 0);
  EXPECT_LT(SimDeinitialize(sim), 0);
  EXPECT_LT(SimDeinitialize(nullptr), 0);
  EXPECT_LT(SimGetDevCaps(reinterpret_cast<HSIM>(&caps), SIM_CAPSTYPE_PBINDEXRANGE, &caps), 0);
}

}  // namespace
