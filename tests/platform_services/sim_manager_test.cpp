// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// SIM phone-book sessions over the machine's modem and over a scripted card.
#include "platform/sim/sim_manager.h"

#include <gmock/gmock.h>

#include <map>
#include <memory>
#include <string>

namespace {

class ScriptedCard : public SimCard {
 public:
  ScriptedCard(bool* closed, bool rangeReadable) : closed_(closed), rangeReadable_(rangeReadable) {}
  ~ScriptedCard() override { *closed_ = true; }
  bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) override {
    *lowest = 3;
    *highest = 7;
    return rangeReadable_;
  }
  bool ReadPhonebookEntry(std::uint32_t index, std::u16string* address,
                          std::u16string* text) override {
    static const std::map<std::uint32_t, std::u16string> kEntries = {
        {3, u"Lee Ann"},
        {5, std::u16string(300, u'x')},
        {6, std::u16string(254, u'y') + u"\U0001F600"}};
    const auto found = kEntries.find(index);
    if (found == kEntries.end()) return false;
    *address = u"+442071234567";
    *text = found->second;
    return true;
  }

 private:
  bool* closed_;
  bool rangeReadable_;
};

class SimManagerTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSimCardFactoryForTesting({}); }
  HSIM Open(bool rangeReadable) {
    SetSimCardFactoryForTesting(
        [this, rangeReadable] { return std::make_unique<ScriptedCard>(&closed_, rangeReadable); });
    HSIM sim = nullptr;
    EXPECT_EQ(SimInitialize(0, nullptr, 0, &sim), SIM_S_OK);
    return sim;
  }
  bool closed_ = false;
};

TEST_F(SimManagerTest, WithoutAReachableCardInitialisationFails) {
  HSIM sim = reinterpret_cast<HSIM>(this);
  const int result = SimInitialize(0, nullptr, 0, &sim);  // this machine's modem, if any
  EXPECT_TRUE(result == SIM_E_NOSIM || result == SIM_E_NOBACKEND) << result;
  EXPECT_EQ(sim, nullptr);
  SetSimCardFactoryForTesting([] { return std::unique_ptr<SimCard>(); });
  EXPECT_LT(SimInitialize(0, nullptr, 0, &sim), 0);
  EXPECT_EQ(sim, nullptr);
}

TEST_F(SimManagerTest, SessionReadsRangeAndEntriesCutWithinTheirFields) {
  HSIM sim = Open(true);
  SIMCAPS caps{};
  ASSERT_EQ(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), SIM_S_OK);
  EXPECT_EQ(caps.dwMinPBIndex, 3u);
  EXPECT_EQ(caps.dwMaxPBIndex, 7u);
  static_assert(sizeof(SIMPHONEBOOKENTRY) == 1040);
  SIMPHONEBOOKENTRY entry{};
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 3, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), u"Lee Ann");
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 5, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), std::u16string(255, u'x'));
  // A surrogate pair that does not fit whole is left out, not split.
  ASSERT_EQ(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 6, &entry), SIM_S_OK);
  EXPECT_EQ(std::u16string(entry.lpszText), std::u16string(254, u'y'));
  // A failed read leaves the record as it was.
  entry.lpszText[0] = u'k';
  EXPECT_LT(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 4, &entry), 0);
  EXPECT_EQ(entry.lpszText[0], u'k');
  EXPECT_FALSE(closed_);
  EXPECT_EQ(SimDeinitialize(sim), SIM_S_OK);
  EXPECT_TRUE(closed_);
  // The handle is closed now, and is refused rather than followed.
  EXPECT_LT(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), 0);
  EXPECT_LT(SimReadPhonebookEntry(sim, SIM_PBSTORAGE_SIM, 3, &entry), 0);
  EXPECT_LT(SimDeinitialize(sim), 0);
}

TEST_F(SimManagerTest, UnreadableRangeFailsAndLeavesTheRecord) {
  HSIM sim = Open(false);
  SIMCAPS caps{0, 0, 99, 98};
  EXPECT_LT(SimGetDevCaps(sim, SIM_CAPSTYPE_PBINDEXRANGE, &caps), 0);
  EXPECT_EQ(caps.dwMinPBIndex, 99u);
  EXPECT_EQ(SimDeinitialize(sim), SIM_S_OK);
}

}  // namespace
