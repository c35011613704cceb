// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The phone's named system sounds. Only "MouseClick" exists: a short click of the program's
// own, click.wav beside the executable.
#include <cstdint>
#include <string>

// Plays the named sound to its end and then returns (flags 0, no module: the only way the
// program calls it). False, at once and without sound, for another name, a module, other
// flags, a missing click file, or no audio device.
bool PlaySoundW(const char16_t* sound, const void* module, std::uint32_t flags);

// The file that holds the named sound, for playing it through the sound library instead;
// empty for a name that is not a system sound.
std::u16string GetSystemSoundFile(const char16_t* sound);
