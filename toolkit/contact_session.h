// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The caller picker's hold on the contacts database: the application object, logged on while the
// picker runs. The picker's constructor makes it, its initialisation opens it, its destructor
// closes and destroys it.
#include <memory>

#include "platform/contacts/pocket_outlook.h"

class ContactSession {
 public:
  ContactSession() = default;
  virtual ~ContactSession();
  ContactSession(const ContactSession&) = delete;
  ContactSession& operator=(const ContactSession&) = delete;

  // Makes the application object and logs on, without an owner window. False at the first step
  // that fails; the object made so far stays for Close.
  bool Open();
  // The default folder of `kind` (olFolderContacts), or empty when there is no application
  // object or the folder cannot be had.
  std::unique_ptr<ContactFolder> GetDefaultFolder(int kind);
  // Logs off and lets go of the application object, if there is one.
  void Close();

 private:
  std::unique_ptr<PocketOutlookApp> application_;
};
