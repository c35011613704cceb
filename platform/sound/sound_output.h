// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the sound output module (pelorin-sound.so beside the program: SDL2, libsndfile,
// libopenmpt, libsamplerate) gives the FSOUND calls and the system sounds. It is opened the
// first time a sound is asked for, so that screens without sound never map those libraries.
#include "platform/sound/sound_library.h"

struct SoundOutput {
  SoundLibrary* library;  // the real library, made on first use, never freed
  // Plays the click file at `path` (UTF-8) to its end; false without sound.
  bool (*playClickToEnd)(const char* path);
};

inline constexpr char kSoundOutputModule[] = "pelorin-sound.so";
inline constexpr char kSoundOutputEntry[] = "PelorinSoundOutput";

// The module's output, loaded on first use; nullptr (said once on stderr) when it is missing:
// then every sound fails as without an audio device.
const SoundOutput* LoadedSoundOutput();
