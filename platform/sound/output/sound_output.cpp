// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The click, played through SDL from its file to its end.
#include "platform/sound/sound_output.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/sound/output/sdl_sound_library.h"
#include "platform/sound/output/sound_file.h"

namespace {

// A click is a few milliseconds; anything longer than this is not our click.
constexpr sf_count_t kMaximumClickFrames = 48000;
constexpr Uint16 kDeviceFrames = 256;

struct Clip {
  int rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;
};

bool LoadClick(const char* path, Clip* clip) {
  if (!IsRegularFile(path)) {
    return false;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) {
    return false;
  }
  const bool usable = info.frames > 0 && info.frames <= kMaximumClickFrames && info.channels >= 1 &&
                      info.channels <= 2 && info.samplerate >= 4000 && info.samplerate <= 192000;
  if (usable) {
    clip->rate = info.samplerate;
    clip->channels = info.channels;
    clip->samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_short(file, clip->samples.data(), info.frames);
    clip->samples.resize(static_cast<std::size_t>(std::max<sf_count_t>(read, 0) * info.channels));
  }
  sf_close(file);
  return usable && !clip->samples.empty();
}

// Queues the clip and waits until the device has taken all of it and played one more buffer,
// so the last of the click is out before the device closes.
void PlayToEnd(SDL_AudioDeviceID device, const Clip& clip, const SDL_AudioSpec& obtained) {
  const auto bytes = static_cast<Uint32>(clip.samples.size() * sizeof(std::int16_t));
  if (SDL_QueueAudio(device, clip.samples.data(), bytes) != 0) {
    return;
  }
  SDL_PauseAudioDevice(device, 0);
  const auto clipLength = std::chrono::milliseconds(1000 * static_cast<long>(clip.samples.size()) /
                                                    (clip.rate * clip.channels));
  // A device that stops taking data must not hold the screen.
  const auto deadline = std::chrono::steady_clock::now() + clipLength + std::chrono::seconds(1);
  while (SDL_GetQueuedAudioSize(device) > 0 && std::chrono::steady_clock::now() < deadline) {
    SDL_Delay(1);
  }
  SDL_Delay(static_cast<Uint32>(1000 * obtained.samples / obtained.freq + 1));
}

bool PlayClickToEnd(const char* path) {
  Clip clip;
  if (path == nullptr || !LoadClick(path, &clip)) {
    return false;
  }
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the program's own, as for ringtones
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = clip.rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(clip.channels);
  wanted.samples = kDeviceFrames;
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device != 0) {
    PlayToEnd(device, clip, obtained);
    SDL_CloseAudioDevice(device);
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return device != 0;
}

}  // namespace

// The module's one entry. The library is made on first use; at exit it stops mixing before
// the decoders' own libraries go away, so the audio thread never reads what is gone.
extern "C" __attribute__((visibility("default"))) const SoundOutput* PelorinSoundOutput() {
  static SdlSoundLibrary library;
  static const SoundOutput output{&library, PlayClickToEnd};
  return &output;
}
