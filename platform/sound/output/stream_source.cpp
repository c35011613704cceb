// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sound/output/stream_source.h"

#include <samplerate.h>

#include <algorithm>

#include "platform/sound/output/sound_file.h"

namespace {

// Frames decoded at a time.
constexpr long kBlockFrames = 1024;

}  // namespace

std::unique_ptr<StreamSource> StreamSource::Open(const char* path, bool mono, bool loop,
                                                 int deviceRate) {
  if (!IsRegularFile(path) || deviceRate <= 0) {
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) {
    return nullptr;
  }
  const double ratio = info.samplerate > 0 ? static_cast<double>(deviceRate) / info.samplerate : 0;
  if (info.frames <= 0 || info.channels <= 0 || !src_is_valid_ratio(ratio)) {
    sf_close(file);
    return nullptr;
  }
  std::unique_ptr<StreamSource> source(new StreamSource(file, info, mono, loop, deviceRate));
  if (ratio != 1.0) {
    int error = 0;
    source->resampler_ = src_callback_new(&StreamSource::SupplyResampler, SRC_SINC_FASTEST,
                                          source->channels_, &error, source.get());
    if (source->resampler_ == nullptr) {
      return nullptr;
    }
  }
  return source;
}

StreamSource::StreamSource(SNDFILE* file, const SF_INFO& info, bool mono, bool loop, int deviceRate)
    : file_(file),
      fileChannels_(info.channels),
      channels_(!mono && info.channels == 2 ? 2 : 1),
      loop_(loop),
      ratio_(static_cast<double>(deviceRate) / info.samplerate),
      fileBlock_(static_cast<std::size_t>(kBlockFrames * info.channels)),
      inputBlock_(static_cast<std::size_t>(kBlockFrames * channels_)) {}

StreamSource::~StreamSource() {
  if (resampler_ != nullptr) {
    src_delete(resampler_);
  }
  sf_close(file_);
}

void StreamSource::Rewind() {
  sf_seek(file_, 0, SEEK_SET);
  if (resampler_ != nullptr) {
    src_reset(resampler_);
  }
  ended_ = false;
}

long StreamSource::SupplyResampler(void* self, float** block) {
  auto* source = static_cast<StreamSource*>(self);
  *block = source->inputBlock_.data();
  return source->ReadFrames(source->inputBlock_.data(), kBlockFrames);
}

long StreamSource::ReadFrames(float* out, long frames) {
  long done = 0;
  bool justRewound = false;
  while (done < frames) {
    const long wanted = std::min(frames - done, kBlockFrames);
    const sf_count_t count = sf_readf_float(file_, fileBlock_.data(), wanted);
    if (count > 0) {
      for (sf_count_t frame = 0; frame < count; ++frame) {
        const float* in = &fileBlock_[static_cast<std::size_t>(frame * fileChannels_)];
        float* target = out + (done + frame) * channels_;
        if (channels_ == 2) {
          target[0] = in[0];
          target[1] = in[1];
        } else {
          float sum = 0;
          for (int channel = 0; channel < fileChannels_; ++channel) {
            sum += in[channel];
          }
          target[0] = sum / static_cast<float>(fileChannels_);
        }
      }
      done += static_cast<long>(count);
      justRewound = false;
      continue;
    }
    // A file that gives nothing even from its start has ended for good, looping or not.
    if (!loop_ || justRewound || sf_seek(file_, 0, SEEK_SET) < 0) {
      break;
    }
    justRewound = true;
  }
  return done;
}

bool StreamSource::MixInto(float* mix, float* scratch, int frames) {
  if (ended_) {
    return false;
  }
  int done = 0;
  while (done < frames) {
    const long wanted = frames - done;
    const long count = resampler_ != nullptr
                           ? src_callback_read(resampler_, ratio_, wanted, scratch)
                           : ReadFrames(scratch, wanted);
    if (count <= 0) {
      ended_ = true;
      break;
    }
    for (long frame = 0; frame < count; ++frame) {
      float* target = mix + (done + frame) * 2;
      if (channels_ == 2) {
        target[0] += scratch[frame * 2];
        target[1] += scratch[frame * 2 + 1];
      } else {
        target[0] += scratch[frame];
        target[1] += scratch[frame];
      }
    }
    done += static_cast<int>(count);
  }
  return !ended_;
}
