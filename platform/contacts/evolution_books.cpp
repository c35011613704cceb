// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/contacts/evolution_books.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/contacts/evolution_reader.h"
#include "platform/system/program_module.h"
#include "platform/system/time_limit.h"

namespace {

using Texts = std::vector<std::vector<std::string>>;

// Connecting to the session bus when none is known makes GLib start one through dbus-launch,
// which would outlive the program and hold no address book.
bool SessionBusIsKnown() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return false;
  struct stat status {};
  return stat((std::string(runtime) + "/bus").c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

// The module, opened on first use; nullptr (said once on stderr) when it is missing: then
// there are no Evolution books, as without the data server.
const EvolutionReader* LoadedReader() {
  static const EvolutionReader* reader = OpenProgramModule<EvolutionReader>(
      kEvolutionModule, kEvolutionEntry, "no Evolution address books");
  return reader;
}

}  // namespace

std::vector<std::vector<VCardName>> ReadEvolutionAddressBooks(std::chrono::milliseconds limit) {
  if (!SessionBusIsKnown()) return {};
  const EvolutionReader* reader = LoadedReader();
  if (reader == nullptr) return {};
  auto texts = std::make_shared<Texts>();
  std::shared_ptr<void> cancellable(reader->newCancellable(), reader->release);
  const bool answered = RunWithin(
      limit, [reader, texts, cancellable] { reader->readBooks(cancellable.get(), texts.get()); },
      [reader, cancellable] { reader->cancel(cancellable.get()); });
  std::vector<std::vector<VCardName>> books;
  if (!answered) return books;
  for (const std::vector<std::string>& book : *texts) {
    std::vector<VCardName>& names = books.emplace_back();
    for (const std::string& card : book) {
      const std::vector<VCardName> read = ReadVCardNames(card);
      names.insert(names.end(), read.begin(), read.end());
    }
  }
  return books;
}
