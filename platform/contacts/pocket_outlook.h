// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The contacts database, shaped like the phone's Pocket Outlook object model: an application
// object that logs on and hands out the default contacts folder, whose item collection counts
// its contacts and gives them by position from 1. Every object is owned by whoever received it;
// an empty pointer or false means the call failed.
#include <functional>
#include <memory>
#include <string>

// The folder kind of the default contacts folder.
constexpr int olFolderContacts = 10;

class Contact {
 public:
  virtual ~Contact() = default;
  // The given name. False when it cannot be read; the text is then left as it was.
  virtual bool get_FirstName(std::u16string* name) = 0;
  // The family name. False when it cannot be read; the text is then left as it was.
  virtual bool get_LastName(std::u16string* name) = 0;
  // The name the contact is filed and shown under when it has no name parts. False when it
  // cannot be read; the text is then left as it was.
  virtual bool get_FileAs(std::u16string* name) = 0;
};

class ContactItems {
 public:
  virtual ~ContactItems() = default;
  // False when the count cannot be read.
  virtual bool get_Count(int* count) = 0;
  // The contact at `index`, counted from 1; empty when there is none or it cannot be read.
  virtual std::unique_ptr<Contact> Item(int index) = 0;
};

class ContactFolder {
 public:
  virtual ~ContactFolder() = default;
  // Every contact of the folder, in the database's order; empty when they cannot be read.
  virtual std::unique_ptr<ContactItems> get_Items() = 0;
};

class PocketOutlookApp {
 public:
  virtual ~PocketOutlookApp() = default;
  virtual bool Logon() = 0;
  virtual void Logoff() = 0;
  // Only `olFolderContacts` is offered, and only while logged on.
  virtual std::unique_ptr<ContactFolder> GetDefaultFolder(int kind) = 0;
};

// A new application object, not logged on; empty when none can be made. Over the host, the
// contacts are the cards of the user's address books: the vCard directories of
// platform/contacts/address_book.h and the books of Evolution Data Server
// (platform/contacts/evolution_books.h), read afresh each time a folder's items are asked for;
// the same person in two of them is one contact. N gives the family and first names, FN the
// file-as name.
std::unique_ptr<PocketOutlookApp> CreatePocketOutlookApp();

// Tests put a scripted contacts database in the place of the address book; an empty function
// restores it. The factory may return an empty pointer to make the creation fail.
using PocketOutlookFactory = std::function<std::unique_ptr<PocketOutlookApp>()>;
void SetPocketOutlookFactoryForTesting(PocketOutlookFactory factory);
