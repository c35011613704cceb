// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sound/output/sdl_sound_library.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/sound/output/sound_file.h"

namespace {

constexpr int kMinimumBufferMilliseconds = 10;
constexpr int kMaximumBufferMilliseconds = 2000;
constexpr int kMinimumRate = 4000;
constexpr int kMaximumRate = 192000;
constexpr int kMaximumChannels = 1024;
constexpr int kOutputChannels = 2;

template <typename Handle, typename Source>
Handle* HandleOf(Source* source) {
  return reinterpret_cast<Handle*>(source);
}

std::int16_t ToSample(float value) {
  return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

SdlSoundLibrary::~SdlSoundLibrary() {
  // Runs at process exit, whose end ends the sound anyway. Closing the device would hold the
  // exit for the thread's pause plus two buffers of draining; pausing only waits for a mix in
  // progress, after which SDL's thread never calls back into what is freed here.
  SDL_AudioDeviceID device = 0;
  {
    std::lock_guard lock(mutex_);
    device = device_;
  }
  if (device != 0) {
    SDL_PauseAudioDevice(device, 1);
  }
}

bool SdlSoundLibrary::SetBufferSize(int milliseconds) {
  if (milliseconds < kMinimumBufferMilliseconds || milliseconds > kMaximumBufferMilliseconds) {
    return false;
  }
  std::lock_guard lock(mutex_);
  bufferMilliseconds_ = milliseconds;
  return true;
}

bool SdlSoundLibrary::Init(int mixRate, int maxSoftwareChannels, unsigned int /*flags*/) {
  if (mixRate < kMinimumRate || mixRate > kMaximumRate || maxSoftwareChannels < 1 ||
      maxSoftwareChannels > kMaximumChannels) {
    error_ = FMOD_ERR_INVALID_PARAM;
    return false;
  }
  Close();
  error_ = FMOD_ERR_INIT;
  // SDL's audio brings its event loop, which would take SIGINT and SIGTERM for quit events
  // nobody reads: the program ends on them as it does without sound.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = mixRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = kOutputChannels;
  wanted.samples = static_cast<Uint16>(std::clamp(mixRate * bufferMilliseconds_ / 1000, 64, 65535));
  wanted.callback = &SdlSoundLibrary::FillDevice;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware takes, and the mixer sees
  // exactly the rate and buffer it was asked for.
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    device_ = device;
    rate_ = mixRate;
    channels_.assign(static_cast<std::size_t>(maxSoftwareChannels), nullptr);
    mixBuffer_.assign(static_cast<std::size_t>(obtained.samples) * kOutputChannels, 0.0f);
    scratch_.assign(mixBuffer_.size(), 0.0f);
  }
  // Silence until something plays: a sound then starts with the next buffer.
  SDL_PauseAudioDevice(device, 0);
  error_ = FMOD_ERR_NONE;
  return true;
}

void SdlSoundLibrary::Close() {
  SDL_AudioDeviceID device = 0;
  {
    std::lock_guard lock(mutex_);
    device = device_;
    device_ = 0;
  }
  if (device == 0) {
    return;
  }
  // Closing waits for the audio thread, which takes the lock in its callback: never hold it
  // here.
  SDL_CloseAudioDevice(device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  std::lock_guard lock(mutex_);
  rate_ = 0;
  playingModules_.clear();
  channels_.clear();
  modules_.clear();
  streams_.clear();
}

FMUSIC_MODULE* SdlSoundLibrary::LoadSong(const char* name) {
  const int rate = RateForDecoding(name != nullptr);
  if (rate == 0) {
    return nullptr;
  }
  return Keep<FMUSIC_MODULE>(ModuleSource::Load(name, rate), modules_, rate, name);
}

int SdlSoundLibrary::GetType(FMUSIC_MODULE* module) {
  std::lock_guard lock(mutex_);
  ModuleSource* source = FindModule(module);
  return source != nullptr ? source->Type() : FMUSIC_TYPE_NONE;
}

bool SdlSoundLibrary::SetMasterVolume(FMUSIC_MODULE* module, int volume) {
  std::lock_guard lock(mutex_);
  ModuleSource* source = FindModule(module);
  if (source == nullptr || volume < 0 || volume > 256) {
    return false;
  }
  source->SetMasterVolume(volume);
  return true;
}

bool SdlSoundLibrary::SetPanSeparation(FMUSIC_MODULE* module, float separation) {
  std::lock_guard lock(mutex_);
  ModuleSource* source = FindModule(module);
  if (source == nullptr || !(separation >= 0.0f && separation <= 1.0f)) {
    return false;
  }
  source->SetPanSeparation(separation);
  return true;
}

bool SdlSoundLibrary::PlaySong(FMUSIC_MODULE* module) {
  std::lock_guard lock(mutex_);
  ModuleSource* source = FindModule(module);
  if (source == nullptr) {
    return false;
  }
  if (std::find(playingModules_.begin(), playingModules_.end(), source) == playingModules_.end()) {
    playingModules_.push_back(source);
  }
  return true;
}

FSOUND_STREAM* SdlSoundLibrary::StreamOpen(const char* name, unsigned int mode, int offset,
                                           int length) {
  const int rate = RateForDecoding(name != nullptr && offset == 0 && length == 0);
  if (rate == 0) {
    return nullptr;
  }
  return Keep<FSOUND_STREAM>(
      StreamSource::Open(name, (mode & FSOUND_MONO) != 0, (mode & FSOUND_LOOP_NORMAL) != 0, rate),
      streams_, rate, name);
}

int SdlSoundLibrary::StreamPlay(int channel, FSOUND_STREAM* stream) {
  std::lock_guard lock(mutex_);
  StreamSource* source = FindStream(stream);
  if (source == nullptr ||
      std::find(channels_.begin(), channels_.end(), source) != channels_.end()) {
    return -1;
  }
  if (channel == FSOUND_FREE) {
    const auto free = std::find(channels_.begin(), channels_.end(), nullptr);
    if (free == channels_.end()) {
      return -1;
    }
    channel = static_cast<int>(free - channels_.begin());
  } else if (channel < 0 || channel >= static_cast<int>(channels_.size())) {
    return -1;
  }
  source->Rewind();
  channels_[static_cast<std::size_t>(channel)] = source;
  return channel;
}

int SdlSoundLibrary::GetError() {
  return error_;
}

int SdlSoundLibrary::RateForDecoding(bool valid) {
  int rate = 0;
  {
    std::lock_guard lock(mutex_);
    rate = rate_;
  }
  if (rate == 0 || !valid) {
    error_ = rate == 0 ? FMOD_ERR_UNINITIALIZED : FMOD_ERR_INVALID_PARAM;
    return 0;
  }
  return rate;
}

// Decoding reads and parses the file: done before the lock so the mixer never waits on it.
template <typename Handle, typename Source>
Handle* SdlSoundLibrary::Keep(std::unique_ptr<Source> source,
                              std::vector<std::unique_ptr<Source>>& kept, int rate,
                              const char* name) {
  if (source == nullptr) {
    error_ = FileError(name);
    return nullptr;
  }
  std::lock_guard lock(mutex_);
  if (device_ == 0 || rate_ != rate) {
    error_ = FMOD_ERR_UNINITIALIZED;
    return nullptr;
  }
  error_ = FMOD_ERR_NONE;
  kept.push_back(std::move(source));
  return HandleOf<Handle>(kept.back().get());
}

void SdlSoundLibrary::FillDevice(void* self, std::uint8_t* bytes, int length) {
  const int frames = length / static_cast<int>(sizeof(std::int16_t) * kOutputChannels);
  static_cast<SdlSoundLibrary*>(self)->Mix(reinterpret_cast<std::int16_t*>(bytes), frames);
}

void SdlSoundLibrary::Mix(std::int16_t* out, int frames) {
  std::lock_guard lock(mutex_);
  const std::size_t samples = static_cast<std::size_t>(frames) * kOutputChannels;
  if (mixBuffer_.size() < samples) {
    mixBuffer_.resize(samples);
    scratch_.resize(samples);
  }
  std::fill_n(mixBuffer_.begin(), samples, 0.0f);
  std::erase_if(playingModules_, [&](ModuleSource* module) {
    return !module->MixInto(mixBuffer_.data(), scratch_.data(), frames);
  });
  for (StreamSource*& stream : channels_) {
    if (stream != nullptr && !stream->MixInto(mixBuffer_.data(), scratch_.data(), frames)) {
      stream = nullptr;
    }
  }
  for (std::size_t i = 0; i < samples; ++i) {
    out[i] = ToSample(mixBuffer_[i]);
  }
}

ModuleSource* SdlSoundLibrary::FindModule(FMUSIC_MODULE* module) {
  for (const auto& source : modules_) {
    if (HandleOf<FMUSIC_MODULE>(source.get()) == module) {
      return source.get();
    }
  }
  return nullptr;
}

StreamSource* SdlSoundLibrary::FindStream(FSOUND_STREAM* stream) {
  for (const auto& source : streams_) {
    if (HandleOf<FSOUND_STREAM>(source.get()) == stream) {
      return source.get();
    }
  }
  return nullptr;
}
