// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The address books of Evolution Data Server, where GNOME Contacts and Phosh's Calls and Chats
// keep the people of a Linux phone, read over the session bus through libebook.
#include <chrono>
#include <vector>

#include "platform/contacts/vcard_reader.h"

// The cards of every enabled address book, one list per book in the registry's order, read
// within `limit` altogether. No books when there is no session bus (none is started for this),
// the data server is not on it, or it did not answer in time; a book that cannot be opened or
// read is passed over. Remote books give what the data server holds of them at the moment.
std::vector<std::vector<VCardName>> ReadEvolutionAddressBooks(std::chrono::milliseconds limit);
