// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sim/modem_sim.h"

#include <dirent.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/contacts/vcard_reader.h"
#include "platform/sim/ofono_reader.h"
#include "platform/system/program_module.h"
#include "platform/system/time_limit.h"

namespace {

// Finding oFono and its modems takes a few messages; a system bus or an oFono that does not
// answer within this is taken as absent.
constexpr std::chrono::milliseconds kFindLimit{1000};

// The control ports a cellular modem shows on Linux: QMI and MBIM devices, the kernel's WWAN
// ports, and USB serial AT ports.
bool HasModemDevice() {
  DIR* devices = opendir("/dev");
  if (devices == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(devices)) {
    const std::string_view name = entry->d_name;
    if (name.starts_with("cdc-wdm") || name.starts_with("wwan") || name.starts_with("ttyUSB")) {
      found = true;
      break;
    }
  }
  closedir(devices);
  return found;
}

// A SIM entry holds one name: the card's FN, else its name parts as the contacts show them.
// An entry without any name cannot be picked and is left out.
std::vector<std::u16string> EntryNames(const std::string& cards) {
  std::vector<std::u16string> names;
  for (const VCardName& card : ReadVCardNames(cards)) {
    if (!card.formatted.empty()) {
      names.push_back(card.formatted);
    } else if (!card.family.empty() || !card.given.empty()) {
      names.push_back(JoinNameParts(card.family, card.given));
    }
  }
  return names;
}

// oFono hands over the whole phone book at once and without the SIM's own record numbers, so
// the entries are numbered from 1 in the order it gives them.
class ImportedSimCard : public SimCard {
 public:
  explicit ImportedSimCard(std::vector<std::u16string> names) : names_(std::move(names)) {}

  bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) override {
    *lowest = 1;
    *highest = static_cast<std::uint32_t>(names_.size());
    return true;
  }

  bool ReadPhonebookEntry(std::uint32_t index, std::u16string* address,
                          std::u16string* text) override {
    if (index < 1 || index > names_.size()) return false;
    address->clear();
    *text = names_[index - 1];
    return true;
  }

 private:
  std::vector<std::u16string> names_;
};

// The module, opened on first use; nullptr (said once on stderr) when it is missing: then
// there is no SIM, as without oFono.
const OfonoReader* LoadedReader() {
  static const OfonoReader* reader =
      OpenProgramModule<OfonoReader>(kOfonoModule, kOfonoEntry, "no SIM phone book");
  return reader;
}

}  // namespace

// oFono is the modem stack on Linux phones that offers the SIM's phone book over D-Bus;
// ModemManager has no such interface, so a phone that runs it shows no SIM entries.
std::unique_ptr<SimCard> OpenModemSimCard(int* failure) {
  const OfonoReader* reader = LoadedReader();
  if (reader == nullptr) {
    *failure = SIM_E_NOBACKEND;
    return nullptr;
  }
  std::shared_ptr<void> modems(reader->newModems(), reader->releaseModems);
  std::shared_ptr<void> cancellable(reader->newCancellable(), reader->release);
  const bool answered = RunWithin(
      kFindLimit,
      [reader, modems, cancellable] {
        reader->findModems(cancellable.get(), static_cast<int>(kFindLimit.count()), modems.get());
      },
      [reader, cancellable] { reader->cancel(cancellable.get()); });
  if (!answered || !reader->connected(modems.get())) {
    *failure = HasModemDevice() ? SIM_E_NOBACKEND : SIM_E_NOSIM;
    return nullptr;
  }
  std::string cards;
  if (!reader->importPhonebook(modems.get(), &cards)) {
    *failure = SIM_E_NOSIM;
    return nullptr;
  }
  return std::make_unique<ImportedSimCard>(EntryNames(cards));
}
