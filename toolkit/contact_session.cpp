// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/contact_session.h"

// The host has no component runtime to start or stop around the application object: it is made
// and released directly, and that is all Open and Close need besides logging on and off.

ContactSession::~ContactSession() = default;

bool ContactSession::Open() {
  application_ = CreatePocketOutlookApp();
  if (application_ == nullptr) {
    return false;
  }
  return application_->Logon();
}

std::unique_ptr<ContactFolder> ContactSession::GetDefaultFolder(int kind) {
  if (application_ == nullptr) {
    return nullptr;
  }
  return application_->GetDefaultFolder(kind);
}

void ContactSession::Close() {
  if (application_ != nullptr) {
    application_->Logoff();
    application_.reset();
  }
}
