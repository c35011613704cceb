#pragma once
// The user's address book as desktop address books keep it: a directory of vCard files.
#include <string>
#include <vector>

#include "platform/contacts/vcard_reader.h"

// $XDG_DATA_HOME/contacts/, or ~/.local/share/contacts/ when XDG_DATA_HOME is not set or not an
// absolute path. Empty when there is no home directory to be found.
std::string AddressBookDirectory();

// The cards of every ".vcf" file (any letter case, hidden files left out) directly in the
// directory: files in byte order of their names, cards in file order. A directory that does
// not exist is an empty address book. False when the directory exists but cannot be listed.
// Files that cannot be read, and anything that is not a regular file, are passed over; only
// the first 64 MiB of a file are read, so a stray huge file costs bounded time and memory.
bool ReadAddressBook(const std::string& directory, std::vector<VCardName>* cards);
