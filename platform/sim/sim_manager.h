// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The SIM card's phone book, shaped like the phone's SIM manager: a session is opened with
// SimInitialize, asked for its phone-book index range, read one entry at a time by index and
// closed with SimDeinitialize. Every call gives SIM_S_OK (0) on success and a negative code on
// failure.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct SimSession;
using HSIM = SimSession*;

constexpr int SIM_S_OK = 0;
constexpr int SIM_E_FAIL = -1;            // a bad handle, record or argument
constexpr int SIM_E_NOSIM = -2;           // no modem, so no SIM card
constexpr int SIM_E_NOBACKEND = -3;       // a modem, but nothing here that reads its SIM
constexpr int SIM_E_NOTFOUND = -4;        // no entry at that index
constexpr int SIM_E_NOTIMPLEMENTED = -5;  // a capability or storage that is not offered

constexpr std::uint32_t SIM_CAPSTYPE_PBINDEXRANGE = 8;
constexpr std::uint32_t SIM_PBSTORAGE_SIM = 0x10;
constexpr std::uint32_t SIM_PARAM_CAPS_PBINDEXRANGE = 0x1;
constexpr std::uint32_t SIM_PARAM_PBE_ADDRESS = 0x1;
constexpr std::uint32_t SIM_PARAM_PBE_ADDRESS_TYPE = 0x2;
constexpr std::uint32_t SIM_PARAM_PBE_NUMPLAN = 0x4;
constexpr std::uint32_t SIM_PARAM_PBE_TEXT = 0x8;
constexpr std::size_t MAX_LENGTH_ADDRESS = 256;
constexpr std::size_t MAX_LENGTH_PHONEBOOKENTRYTEXT = 256;

struct SIMCAPS {
  std::uint32_t cbSize;
  std::uint32_t dwParams;  // which of the fields below hold values
  std::uint32_t dwMinPBIndex;
  std::uint32_t dwMaxPBIndex;
};

// 1040 bytes, as on the phone. The texts are always terminated within their fields; longer
// texts are cut there.
struct SIMPHONEBOOKENTRY {
  std::uint32_t cbSize;
  std::uint32_t dwParams;  // which of the fields below hold values
  char16_t lpszAddress[MAX_LENGTH_ADDRESS];
  std::uint32_t dwAddressType;
  std::uint32_t dwNumPlan;
  char16_t lpszText[MAX_LENGTH_PHONEBOOKENTRYTEXT];
};

// Notifications are never sent here; the callback is accepted for the phone's signature.
using SIMCALLBACK = void (*)(std::uint32_t notifyCode, const void* data, std::uint32_t dataSize,
                             std::uint32_t parameter);

int SimInitialize(std::uint32_t flags, SIMCALLBACK callback, std::uint32_t parameter, HSIM* sim);
// Only SIM_CAPSTYPE_PBINDEXRANGE is answered: the lowest and highest phone-book index.
int SimGetDevCaps(HSIM sim, std::uint32_t capsType, SIMCAPS* caps);
// Only SIM_PBSTORAGE_SIM is offered. The entry is filled only on success.
int SimReadPhonebookEntry(HSIM sim, std::uint32_t location, std::uint32_t index,
                          SIMPHONEBOOKENTRY* entry);
int SimDeinitialize(HSIM sim);

// What a SIM session reads from: the card in the modem, or a scripted card in tests.
class SimCard {
 public:
  virtual ~SimCard() = default;  // the session is closed
  virtual bool GetPhonebookIndexRange(std::uint32_t* lowest, std::uint32_t* highest) = 0;
  // The entry's number and name. False when the index holds no entry or cannot be read.
  virtual bool ReadPhonebookEntry(std::uint32_t index, std::u16string* address,
                                  std::u16string* text) = 0;
};

// Tests put a scripted card in the place of the modem's; an empty function restores the real
// one. A factory that returns an empty pointer makes SimInitialize fail.
using SimCardFactory = std::function<std::unique_ptr<SimCard>()>;
void SetSimCardFactoryForTesting(SimCardFactory factory);
