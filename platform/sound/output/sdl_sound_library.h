// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The real sound library: one SDL audio device, mixed on SDL's audio thread from the playing
// modules and stream channels.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sound/output/module_source.h"
#include "platform/sound/output/stream_source.h"
#include "platform/sound/sound_library.h"

class SdlSoundLibrary : public SoundLibrary {
 public:
  SdlSoundLibrary() = default;
  ~SdlSoundLibrary() override;

  bool SetBufferSize(int milliseconds) override;
  bool Init(int mixRate, int maxSoftwareChannels, unsigned int flags) override;
  void Close() override;
  FMUSIC_MODULE* LoadSong(const char* name) override;
  int GetType(FMUSIC_MODULE* module) override;
  bool SetMasterVolume(FMUSIC_MODULE* module, int volume) override;
  bool SetPanSeparation(FMUSIC_MODULE* module, float separation) override;
  bool PlaySong(FMUSIC_MODULE* module) override;
  FSOUND_STREAM* StreamOpen(const char* name, unsigned int mode, int offset, int length) override;
  int StreamPlay(int channel, FSOUND_STREAM* stream) override;
  int GetError() override;

 private:
  static void FillDevice(void* self, std::uint8_t* bytes, int length);
  void Mix(std::int16_t* out, int frames);
  // Handles are checked against what this library gave out, so a stale or foreign one is
  // refused instead of followed. Call with the lock held.
  ModuleSource* FindModule(FMUSIC_MODULE* module);
  StreamSource* FindStream(FSOUND_STREAM* stream);
  // The rate a file is decoded for, so that decoding runs without the lock. 0, with the error
  // set, when the library is not started or the request is not `valid`.
  int RateForDecoding(bool valid);
  // Keeps a source decoded from file `name` at `rate` and gives out its handle. nullptr, with
  // the error set, when decoding failed or the library was closed or restarted meanwhile.
  template <typename Handle, typename Source>
  Handle* Keep(std::unique_ptr<Source> source, std::vector<std::unique_ptr<Source>>& kept, int rate,
               const char* name);

  std::mutex mutex_;  // between the program's thread and the audio thread
  int bufferMilliseconds_ = 200;
  std::uint32_t device_ = 0;  // 0 while not started
  int rate_ = 0;
  std::vector<std::unique_ptr<ModuleSource>> modules_;
  std::vector<std::unique_ptr<StreamSource>> streams_;
  std::vector<ModuleSource*> playingModules_;
  std::vector<StreamSource*> channels_;  // null where a channel is free
  std::vector<float> mixBuffer_;
  std::vector<float> scratch_;
  int error_ = FMOD_ERR_NONE;  // of the last Init, LoadSong or StreamOpen
};
