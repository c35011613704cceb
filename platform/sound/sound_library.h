// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The seam behind the FSOUND_ and FMUSIC_ calls: they forward to one SoundLibrary, the real
// SDL-backed one unless a test puts its own in place.
#include "fsound.h"

class SoundLibrary {
 public:
  virtual ~SoundLibrary() = default;
  virtual bool SetBufferSize(int milliseconds) = 0;
  virtual bool Init(int mixRate, int maxSoftwareChannels, unsigned int flags) = 0;
  virtual void Close() = 0;
  virtual FMUSIC_MODULE* LoadSong(const char* name) = 0;
  virtual int GetType(FMUSIC_MODULE* module) = 0;
  virtual bool SetMasterVolume(FMUSIC_MODULE* module, int volume) = 0;
  virtual bool SetPanSeparation(FMUSIC_MODULE* module, float separation) = 0;
  virtual bool PlaySong(FMUSIC_MODULE* module) = 0;
  virtual FSOUND_STREAM* StreamOpen(const char* name, unsigned int mode, int offset,
                                    int length) = 0;
  virtual int StreamPlay(int channel, FSOUND_STREAM* stream) = 0;
  // A library that cannot tell why gives no reason.
  virtual int GetError() { return FMOD_ERR_NONE; }
};

// Routes the calls to `library` (not owned); null puts the real library back.
void SetSoundLibrary(SoundLibrary* library);
