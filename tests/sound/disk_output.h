// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the audio device played, caught with SDL's disk driver: it writes every buffer the
// device plays into a file as raw 16-bit samples, here at many times real speed. The device
// plays silence from the moment it opens, so times here count from the first sound. Also the
// sound files the tests write themselves.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class DiskOutput {
 public:
  // Points the audio device at `file`; `channels` and `rate` are what it will be opened with.
  DiskOutput(std::filesystem::path file, int channels, int rate);

  // Waits until the device has played `seconds` from the first sound on (ten seconds of wall
  // time at most), then closes the sound library and reads what was played.
  void RecordFor(double seconds);
  // Closes the library after `seconds` of wall time and reads what was played.
  void RecordAfterWaiting(double seconds);

  bool HasSound() const { return !samples_.empty(); }
  // Root mean square of one channel between two moments of the output, in seconds.
  double Level(double from, double to, int channel = 0) const;
  // Sign changes of one channel between two moments: twice the frequency of a pure tone.
  int SignChanges(double from, double to, int channel = 0) const;

 private:
  // Keeps what the device played from its first frame that is not silent.
  void ReadBack();
  std::vector<std::int16_t> Channel(double from, double to, int channel) const;

  std::filesystem::path file_;
  int channels_;
  int rate_;
  std::vector<std::int16_t> samples_;
};

// A 16-bit PCM WAV of a sine tone, on the left channel only when stereo. Whole cycles, so it
// loops without a seam.
void WriteToneWav(const std::filesystem::path& path, int rate, int channels, double seconds,
                  double frequency);
// A minimal four-channel ProTracker module: its first row starts a looped sine sample on
// channel 1, which an Amiga plays on the left only.
void WriteToneModule(const std::filesystem::path& path);
// The 16-bit samples of a plain PCM WAV file; empty when it is not one.
std::vector<std::int16_t> ReadWavSamples(const std::filesystem::path& path);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// A fresh directory for one test, removed with it.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};
