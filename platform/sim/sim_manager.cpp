// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sim/sim_manager.h"

#include <cstring>
#include <mutex>
#include <set>
#include <utility>

#include "platform/sim/modem_sim.h"
#include "platform/system/text.h"

struct SimSession {
  std::unique_ptr<SimCard> card;
};

namespace {

std::mutex& SessionsLock() {
  static std::mutex lock;
  return lock;
}

// Open sessions, so that a stale or made-up handle is refused instead of followed.
std::set<HSIM>& Sessions() {
  static std::set<HSIM> sessions;
  return sessions;
}

SimCardFactory& FactoryForTesting() {
  static SimCardFactory factory;
  return factory;
}

bool IsOpen(HSIM sim) {
  std::lock_guard<std::mutex> guard(SessionsLock());
  return sim != nullptr && Sessions().count(sim) > 0;
}

}  // namespace

int SimInitialize(std::uint32_t, SIMCALLBACK, std::uint32_t, HSIM* sim) {
  if (sim == nullptr) return SIM_E_FAIL;
  *sim = nullptr;
  std::unique_ptr<SimCard> card;
  int failure = SIM_E_NOSIM;
  if (FactoryForTesting()) {
    card = FactoryForTesting()();
  } else {
    card = OpenModemSimCard(&failure);
  }
  if (!card) return failure;
  auto session = std::make_unique<SimSession>(SimSession{std::move(card)});
  std::lock_guard<std::mutex> guard(SessionsLock());
  *sim = session.release();
  Sessions().insert(*sim);
  return SIM_S_OK;
}

int SimGetDevCaps(HSIM sim, std::uint32_t capsType, SIMCAPS* caps) {
  if (!IsOpen(sim) || caps == nullptr) return SIM_E_FAIL;
  if (capsType != SIM_CAPSTYPE_PBINDEXRANGE) return SIM_E_NOTIMPLEMENTED;
  std::uint32_t lowest = 0;
  std::uint32_t highest = 0;
  if (!sim->card->GetPhonebookIndexRange(&lowest, &highest)) return SIM_E_FAIL;
  caps->cbSize = sizeof(SIMCAPS);
  caps->dwParams = SIM_PARAM_CAPS_PBINDEXRANGE;
  caps->dwMinPBIndex = lowest;
  caps->dwMaxPBIndex = highest;
  return SIM_S_OK;
}

int SimReadPhonebookEntry(HSIM sim, std::uint32_t location, std::uint32_t index,
                          SIMPHONEBOOKENTRY* entry) {
  if (!IsOpen(sim) || entry == nullptr) return SIM_E_FAIL;
  if (location != SIM_PBSTORAGE_SIM) return SIM_E_NOTIMPLEMENTED;
  std::u16string address;
  std::u16string text;
  if (!sim->card->ReadPhonebookEntry(index, &address, &text)) return SIM_E_NOTFOUND;
  std::memset(entry, 0, sizeof(SIMPHONEBOOKENTRY));
  entry->cbSize = sizeof(SIMPHONEBOOKENTRY);
  entry->dwParams = SIM_PARAM_PBE_ADDRESS | SIM_PARAM_PBE_TEXT;
  CopyToField(entry->lpszAddress, MAX_LENGTH_ADDRESS, address);
  CopyToField(entry->lpszText, MAX_LENGTH_PHONEBOOKENTRYTEXT, text);
  return SIM_S_OK;
}

int SimDeinitialize(HSIM sim) {
  {
    std::lock_guard<std::mutex> guard(SessionsLock());
    if (sim == nullptr || Sessions().erase(sim) == 0) return SIM_E_FAIL;
  }
  delete sim;
  return SIM_S_OK;
}

void SetSimCardFactoryForTesting(SimCardFactory factory) {
  FactoryForTesting() = std::move(factory);
}
