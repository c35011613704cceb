// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The backlight request of the phone's power manager. Here the screen is kept on by asking the
// desktop's screen saver not to start (org.freedesktop.ScreenSaver.Inhibit over the session
// bus); the request is held until the process ends.
#include <functional>
#include <string>

using HANDLE = void*;
using BOOL = int;

enum CEDEVICE_POWER_STATE { D0 = 0, D1, D2, D3, D4 };
inline constexpr unsigned long POWER_NAME = 0x00000001;

// Asks for the device to be held at the given state. Returns a handle for the request, or
// nullptr when no session bus or screen saver service could take it (nothing else happens then).
HANDLE SetPowerRequirement(const std::u16string& device, CEDEVICE_POWER_STATE state,
                           unsigned long flags, const void* systemState, unsigned long stateFlags);

// Tests put a recorder in the place of the real service; an empty function restores it.
using PowerRequirementService = std::function<HANDLE(const std::u16string&, CEDEVICE_POWER_STATE)>;
void SetPowerRequirementService(PowerRequirementService service);

// Unattended mode: the system keeps running (no suspend, no idle sleep) while the screen may be
// off, for as long as a program holds it (data TRUE), until it lets go (FALSE). Here it is
// logind's inhibitor lock for "sleep:idle" in block mode, on the system bus; asked in the
// background, so the caller never waits. No system bus or no logind: nothing is held.
inline constexpr unsigned long PPN_UNATTENDEDMODE = 0x00000003;
BOOL PowerPolicyNotify(unsigned long message, unsigned long data);

// Tests put a recorder in the place of logind; an empty function restores it.
using PowerPolicyService = std::function<void(unsigned long message, unsigned long data)>;
void SetPowerPolicyService(PowerPolicyService service);
