#include "platform/contacts/pocket_outlook.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "platform/contacts/address_book.h"

namespace {

using Cards = std::shared_ptr<const std::vector<VCardName>>;

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

class AddressBookFolder : public ContactFolder {
 public:
  explicit AddressBookFolder(std::string directory) : directory_(std::move(directory)) {}

  std::unique_ptr<ContactItems> get_Items() override {
    auto cards = std::make_shared<std::vector<VCardName>>();
    if (!ReadAddressBook(directory_, cards.get())) return nullptr;
    return std::make_unique<AddressBookItems>(std::move(cards));
  }

 private:
  std::string directory_;
};

// There is no server to log on to: logging on finds the address book's directory, and the
// cards are read when a folder's items are asked for.
class AddressBookApp : public PocketOutlookApp {
 public:
  bool Logon() override {
    directory_ = AddressBookDirectory();
    return !directory_.empty();
  }

  void Logoff() override { directory_.clear(); }

  std::unique_ptr<ContactFolder> GetDefaultFolder(int kind) override {
    if (kind != olFolderContacts || directory_.empty()) return nullptr;
    return std::make_unique<AddressBookFolder>(directory_);
  }

 private:
  std::string directory_;  // empty while not logged on
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
