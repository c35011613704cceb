#include "fsound.h"

#include "sdl_sound_library.h"
#include "sound_library.h"

namespace {

SoundLibrary* replacement = nullptr;

// Made on first use. At exit it stops mixing before the decoders' own libraries go away, so
// the audio thread never reads what is gone.
SoundLibrary& RealLibrary() {
  static SdlSoundLibrary library;
  return library;
}

SoundLibrary& Library() {
  return replacement != nullptr ? *replacement : RealLibrary();
}

}  // namespace

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
