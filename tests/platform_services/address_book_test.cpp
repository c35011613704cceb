// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The address book as a directory of vCard files, and the contacts database over it.
#include "platform/contacts/address_book.h"

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/contacts/pocket_outlook.h"
#include "platform/system/text.h"
#include "tests/support/scratch_directory.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Card(const std::string& name) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + name + "\r\nEND:VCARD\r\n";
}

class AddressBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = test_support::MakeScratchDirectory("contacts");
    contacts_ = root_ / "contacts";
    std::filesystem::create_directories(contacts_);
    const char* data = std::getenv("XDG_DATA_HOME");
    savedData_ = data != nullptr ? std::optional<std::string>(data) : std::nullopt;
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    // The data server of the person running the tests has people of its own.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelorin-test-bus", 1);
  }
  void TearDown() override {
    savedData_ ? setenv("XDG_DATA_HOME", savedData_->c_str(), 1) : unsetenv("XDG_DATA_HOME");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::filesystem::permissions(contacts_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(root_);
  }

  void Write(const std::string& file, const std::string& text) const {
    std::ofstream(contacts_ / file, std::ios::binary) << text;
  }

  // The contacts database as the caller picker reads it: "last first" per contact.
  static std::vector<std::string> Contacts(PocketOutlookApp& app) {
    std::unique_ptr<ContactFolder> folder = app.GetDefaultFolder(olFolderContacts);
    if (folder == nullptr) return {"no folder"};
    std::unique_ptr<ContactItems> items = folder->get_Items();
    if (items == nullptr) return {"no items"};
    int count = -1;
    EXPECT_TRUE(items->get_Count(&count));
    EXPECT_EQ(items->Item(0), nullptr);
    EXPECT_EQ(items->Item(count + 1), nullptr);
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
      std::unique_ptr<Contact> contact = items->Item(i);
      std::u16string first;
      std::u16string last;
      EXPECT_TRUE(contact->get_FirstName(&first) && contact->get_LastName(&last));
      names.push_back(ToUtf8(last) + " " + ToUtf8(first));
    }
    return names;
  }

  std::filesystem::path root_;
  std::filesystem::path contacts_;
  std::optional<std::string> savedData_;
};

TEST_F(AddressBookTest, DirectoryComesFromXdgDataHomeElseHome) {
  EXPECT_EQ(AddressBookDirectory(), root_.string() + "/contacts/");
  setenv("XDG_DATA_HOME", "relative/path", 1);  // not absolute: not used
  ASSERT_NE(std::getenv("HOME"), nullptr);
  EXPECT_EQ(AddressBookDirectory(), std::string(std::getenv("HOME")) + "/.local/share/contacts/");
}

TEST_F(AddressBookTest, EveryCardOfEveryVcfFileInNameOrderAndNothingElse) {
  Write("b.vcf", Card("Bee;One") + Card("Bee;Two"));
  Write("a.VCF", Card("Aye;One"));
  Write("c.vcf.bak", Card("Backup;Not"));
  Write(".hidden.vcf", Card("Hidden;Not"));
  Write("\xFF\xFE-latin.vcf", Card("Odd;Name"));  // a file name that is not UTF-8
  std::filesystem::create_directories(contacts_ / "d.vcf");
  ASSERT_EQ(mkfifo((contacts_ / "e.vcf").c_str(), 0600), 0);  // would block a plain read
  std::filesystem::create_symlink(contacts_ / "missing", contacts_ / "f.vcf");
  std::vector<VCardName> cards;
  EXPECT_TRUE(ReadAddressBook(contacts_.string(), &cards));
  std::vector<std::string> names;
  for (const VCardName& card : cards) names.push_back(ToUtf8(card.family + u"|" + card.given));
  EXPECT_THAT(names, ElementsAre("Aye|One", "Bee|One", "Bee|Two", "Odd|Name"));
}

TEST_F(AddressBookTest, MissingDirectoryIsAnEmptyBookAndUnlistableOneFails) {
  std::vector<VCardName> cards{VCardName{u"stale", u"entry", u"card"}};
  EXPECT_TRUE(ReadAddressBook((root_ / "none").string(), &cards));
  EXPECT_THAT(cards, IsEmpty());
  Write("a.vcf", Card("Lee;Ann"));
  EXPECT_FALSE(ReadAddressBook((contacts_ / "a.vcf").string(), &cards));
}

TEST_F(AddressBookTest, ContactsDatabaseOnlyWhileLoggedOnAndReadAfresh) {
  Write("a.vcf", Card("Lee;Ann") + Card(";Ann") + Card(""));
  std::unique_ptr<PocketOutlookApp> app = CreatePocketOutlookApp();
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->GetDefaultFolder(olFolderContacts), nullptr);
  ASSERT_TRUE(app->Logon());
  EXPECT_EQ(app->GetDefaultFolder(olFolderContacts + 1), nullptr);
  EXPECT_THAT(Contacts(*app), ElementsAre("Lee Ann", " Ann", " "));
  Write("b.vcf", Card("Kim;Bo"));
  EXPECT_THAT(Contacts(*app), ElementsAre("Lee Ann", " Ann", " ", "Kim Bo"));
  if (geteuid() != 0) {  // permissions do not stop the superuser
    std::filesystem::permissions(contacts_, std::filesystem::perms::none);
    EXPECT_THAT(Contacts(*app), IsEmpty());  // a source that cannot be read is passed over
    std::filesystem::permissions(contacts_, std::filesystem::perms::owner_all);
  }
  app->Logoff();
  EXPECT_EQ(app->GetDefaultFolder(olFolderContacts), nullptr);
}

}  // namespace
