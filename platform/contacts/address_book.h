// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Address books kept as directories of vCard files: the desktop's, and Plasma Mobile's.
#include <string>
#include <vector>

#include "platform/contacts/vcard_reader.h"

// $XDG_DATA_HOME/contacts/, or ~/.local/share/contacts/ when XDG_DATA_HOME is not set or not an
// absolute path. Empty when there is no home directory to be found.
std::string AddressBookDirectory();

// Plasma Mobile's address book, KPeople's vCard folder: $XDG_DATA_HOME/kpeoplevcard/, found as
// AddressBookDirectory is.
std::string KPeopleDirectory();

// The cards of every ".vcf" file (any letter case, hidden files left out) directly in the
// directory: files in byte order of their names, cards in file order. A directory that does
// not exist is an empty address book. False when the directory exists but cannot be listed.
// Files that cannot be read, and anything that is not a regular file, are passed over; only
// the first 64 MiB of a file are read, so a stray huge file costs bounded time and memory.
// With `withFolders`, the cards of the folders directly in it follow, folders in byte order of
// their names (KDE Connect keeps each paired phone's people in one of KPeople's).
bool ReadAddressBook(const std::string& directory, std::vector<VCardName>* cards,
                     bool withFolders = false);
