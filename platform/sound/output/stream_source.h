// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One MP3 or WAV file decoded by libsndfile, resampled to the device rate by libsamplerate,
// played once or repeated.
#include <sndfile.h>

#include <memory>
#include <vector>

typedef struct SRC_STATE_tag SRC_STATE;

class StreamSource {
 public:
  // Null when the file cannot be decoded or holds no sound. `mono` mixes a stereo file down.
  static std::unique_ptr<StreamSource> Open(const char* path, bool mono, bool loop, int deviceRate);
  ~StreamSource();
  StreamSource(const StreamSource&) = delete;
  StreamSource& operator=(const StreamSource&) = delete;

  // Starts again from the first frame.
  void Rewind();

  // Adds up to `frames` stereo frames to `mix`, using `scratch` (as long) for the decoded
  // frames. False once the sound has ended.
  bool MixInto(float* mix, float* scratch, int frames);

 private:
  StreamSource(SNDFILE* file, const SF_INFO& info, bool mono, bool loop, int deviceRate);
  static long SupplyResampler(void* self, float** block);
  // Frames at the file's rate in the stream's channel layout, going round to the start at
  // the end when the stream repeats. Fewer than asked only at the end of the sound.
  long ReadFrames(float* out, long frames);

  SNDFILE* file_;
  int fileChannels_;
  int channels_;  // 1 or 2: what the stream mixes
  bool loop_;
  double ratio_;                    // device rate over file rate
  SRC_STATE* resampler_ = nullptr;  // none when the rates match
  std::vector<float> fileBlock_;
  std::vector<float> inputBlock_;
  bool ended_ = false;
};
