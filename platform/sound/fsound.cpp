// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fsound.h"

#include "platform/sound/sound_output.h"
#include "platform/system/program_module.h"
#include "sound_library.h"

namespace {

SoundLibrary* replacement = nullptr;

// What stands for the output module when it cannot be loaded: no device, as on a machine
// without sound.
class NoOutput : public SoundLibrary {
 public:
  bool SetBufferSize(int) override { return true; }
  bool Init(int, int, unsigned int) override { return false; }
  void Close() override {}
  FMUSIC_MODULE* LoadSong(const char*) override { return nullptr; }
  int GetType(FMUSIC_MODULE*) override { return FMUSIC_TYPE_NONE; }
  bool SetMasterVolume(FMUSIC_MODULE*, int) override { return false; }
  bool SetPanSeparation(FMUSIC_MODULE*, float) override { return false; }
  bool PlaySong(FMUSIC_MODULE*) override { return false; }
  FSOUND_STREAM* StreamOpen(const char*, unsigned int, int, int) override { return nullptr; }
  int StreamPlay(int, FSOUND_STREAM*) override { return -1; }
  int GetError() override { return FMOD_ERR_INIT; }
};

SoundLibrary& RealLibrary() {
  static NoOutput none;
  const SoundOutput* output = LoadedSoundOutput();
  return output != nullptr ? *output->library : none;
}

SoundLibrary& Library() {
  return replacement != nullptr ? *replacement : RealLibrary();
}

}  // namespace

const SoundOutput* LoadedSoundOutput() {
  static const SoundOutput* output =
      OpenProgramModule<SoundOutput>(kSoundOutputModule, kSoundOutputEntry, "no sound");
  return output;
}

void SetSoundLibrary(SoundLibrary* library) {
  replacement = library;
}

bool FSOUND_SetBufferSize(int milliseconds) {
  return Library().SetBufferSize(milliseconds);
}

bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags) {
  return Library().Init(mixRate, maxSoftwareChannels, flags);
}

void FSOUND_Close() {
  Library().Close();
}

int FSOUND_GetError() {
  return Library().GetError();
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
  return Library().LoadSong(name);
}

int FMUSIC_GetType(FMUSIC_MODULE* module) {
  return Library().GetType(module);
}

bool FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume) {
  return Library().SetMasterVolume(module, volume);
}

bool FMUSIC_SetPanSeperation(FMUSIC_MODULE* module, float separation) {
  return Library().SetPanSeparation(module, separation);
}

bool FMUSIC_PlaySong(FMUSIC_MODULE* module) {
  return Library().PlaySong(module);
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length) {
  return Library().StreamOpen(name, mode, offset, length);
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
  return Library().StreamPlay(channel, stream);
}
