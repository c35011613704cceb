// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/contacts/pocket_outlook.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "platform/contacts/address_book.h"
#include "platform/contacts/evolution_books.h"

namespace {

using Cards = std::shared_ptr<const std::vector<VCardName>>;

// The data server is asked when the picker opens, before it shows: one that is slow or hung must
// not keep the screen from coming up for long.
constexpr std::chrono::milliseconds kEvolutionLimit{2000};

// The name the caller picker shows for a card: its name parts; the formatted name when the
// card has neither.
std::u16string ShownName(const VCardName& card) {
  if (card.family.empty() && card.given.empty()) return card.formatted;
  return JoinNameParts(card.family, card.given);
}

// The cards of every source in turn. A card whose shown name an earlier source already gave is
// the same person kept in two places and is left out; within one source every card stays.
std::vector<VCardName> MergeSources(std::vector<std::vector<VCardName>> sources) {
  std::vector<VCardName> cards;
  std::set<std::u16string> earlier;
  for (std::vector<VCardName>& source : sources) {
    std::vector<std::u16string> names;
    for (VCardName& card : source) {
      std::u16string name = ShownName(card);
      if (!name.empty() && earlier.count(name) > 0) continue;
      names.push_back(std::move(name));
      cards.push_back(std::move(card));
    }
    earlier.insert(names.begin(), names.end());
  }
  return cards;
}

class AddressBookContact : public Contact {
 public:
  AddressBookContact(Cards cards, std::size_t position)
      : cards_(std::move(cards)), position_(position) {}

  bool get_FirstName(std::u16string* name) override {
    *name = (*cards_)[position_].given;
    return true;
  }

  bool get_LastName(std::u16string* name) override {
    *name = (*cards_)[position_].family;
    return true;
  }

  bool get_FileAs(std::u16string* name) override {
    *name = (*cards_)[position_].formatted;
    return true;
  }

 private:
  Cards cards_;
  std::size_t position_;
};

// The cards as they were when the items were asked for; later changes to the files are seen
// by the next get_Items.
class AddressBookItems : public ContactItems {
 public:
  explicit AddressBookItems(Cards cards) : cards_(std::move(cards)) {}

  bool get_Count(int* count) override {
    *count =
        static_cast<int>(std::min<std::size_t>(cards_->size(), std::numeric_limits<int>::max()));
    return true;
  }

  std::unique_ptr<Contact> Item(int index) override {
    if (index < 1 || static_cast<std::size_t>(index) > cards_->size()) return nullptr;
    return std::make_unique<AddressBookContact>(cards_, static_cast<std::size_t>(index) - 1);
  }

 private:
  Cards cards_;
};

// The people of every address book on the machine: the desktop's vCard directory, Plasma
// Mobile's vCard folder, then the data server's books. A source that is missing, cannot be read
// or does not answer in time gives nobody and the others still come.
class AddressBookFolder : public ContactFolder {
 public:
  AddressBookFolder(std::string contacts, std::string kpeople)
      : contacts_(std::move(contacts)), kpeople_(std::move(kpeople)) {}

  std::unique_ptr<ContactItems> get_Items() override {
    std::vector<std::vector<VCardName>> sources(2);
    if (!ReadAddressBook(contacts_, &sources[0])) sources[0].clear();
    if (!ReadAddressBook(kpeople_, &sources[1], true)) sources[1].clear();
    for (std::vector<VCardName>& book : ReadEvolutionAddressBooks(kEvolutionLimit)) {
      sources.push_back(std::move(book));
    }
    return std::make_unique<AddressBookItems>(
        std::make_shared<const std::vector<VCardName>>(MergeSources(std::move(sources))));
  }

 private:
  std::string contacts_;
  std::string kpeople_;
};

// There is nothing to log on to: logging on finds the address books' directories, and the
// cards are read when a folder's items are asked for.
class AddressBookApp : public PocketOutlookApp {
 public:
  bool Logon() override {
    contacts_ = AddressBookDirectory();
    kpeople_ = KPeopleDirectory();
    return !contacts_.empty();
  }

  void Logoff() override { contacts_.clear(); }

  std::unique_ptr<ContactFolder> GetDefaultFolder(int kind) override {
    if (kind != olFolderContacts || contacts_.empty()) return nullptr;
    return std::make_unique<AddressBookFolder>(contacts_, kpeople_);
  }

 private:
  std::string contacts_;  // empty while not logged on
  std::string kpeople_;
};

PocketOutlookFactory& FactoryForTesting() {
  static PocketOutlookFactory factory;
  return factory;
}

}  // namespace

std::unique_ptr<PocketOutlookApp> CreatePocketOutlookApp() {
  if (FactoryForTesting()) return FactoryForTesting()();
  return std::make_unique<AddressBookApp>();
}

void SetPocketOutlookFactoryForTesting(PocketOutlookFactory factory) {
  FactoryForTesting() = std::move(factory);
}
