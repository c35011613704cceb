// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/sound/disk_output.h"

#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <thread>

#include "platform/sound/fsound.h"

namespace {

// Ten seconds of wall time for a few seconds of sound at many times real speed.
constexpr auto kPatience = std::chrono::seconds(10);

void Put(std::string& out, std::uint32_t value, int bytes, bool bigEndian = false) {
  for (int i = 0; i < bytes; ++i) {
    const int byte = bigEndian ? bytes - 1 - i : i;
    out += static_cast<char>((value >> (8 * byte)) & 0xFF);
  }
}

std::uint32_t Get32(const std::string& in, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, in.data() + at, 4);  // little-endian host, as the tests' machines are
  return value;
}

}  // namespace

DiskOutput::DiskOutput(std::filesystem::path file, int channels, int rate)
    : file_(std::move(file)), channels_(channels), rate_(rate) {
  std::filesystem::remove(file_);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  // One millisecond between buffers instead of the buffer's own length.
  setenv("SDL_DISKAUDIODELAY", "1", 1);
}

void DiskOutput::RecordFor(double seconds) {
  const auto wanted = static_cast<std::size_t>(seconds * rate_) * channels_;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    std::error_code error;
    if (std::filesystem::file_size(file_, error) / 2 >= wanted && !error) {
      ReadBack();
      if (samples_.size() >= wanted) {
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  FSOUND_Close();
  ReadBack();
}

void DiskOutput::RecordAfterWaiting(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  FSOUND_Close();
  ReadBack();
}

void DiskOutput::ReadBack() {
  const std::string bytes = ReadBytes(file_);
  std::size_t first = 0;
  while (first + 1 < bytes.size() && bytes[first] == 0 && bytes[first + 1] == 0) {
    first += 2;
  }
  // Whole frames only, so channel 0 stays the left side.
  first -= first % (2 * static_cast<std::size_t>(channels_));
  samples_.resize((bytes.size() - first) / 2);
  if (!samples_.empty()) {  // an empty vector's data() may be null, which memcpy must not get
    std::memcpy(samples_.data(), bytes.data() + first, samples_.size() * 2);
  }
  if (samples_.size() < static_cast<std::size_t>(channels_)) {
    samples_.clear();
  }
}

std::vector<std::int16_t> DiskOutput::Channel(double from, double to, int channel) const {
  std::vector<std::int16_t> picked;
  for (auto frame = static_cast<std::size_t>(from * rate_);
       frame < static_cast<std::size_t>(to * rate_); ++frame) {
    const std::size_t index = frame * static_cast<std::size_t>(channels_) + channel;
    if (index >= samples_.size()) {
      break;
    }
    picked.push_back(samples_[index]);
  }
  return picked;
}

double DiskOutput::Level(double from, double to, int channel) const {
  const std::vector<std::int16_t> samples = Channel(from, to, channel);
  double sum = 0;
  for (const double sample : samples) {
    sum += sample * sample;
  }
  return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

int DiskOutput::SignChanges(double from, double to, int channel) const {
  const std::vector<std::int16_t> samples = Channel(from, to, channel);
  int changes = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    changes += (samples[i] >= 0) != (samples[i - 1] >= 0);
  }
  return changes;
}

void WriteToneWav(const std::filesystem::path& path, int rate, int channels, double seconds,
                  double frequency) {
  const auto frames = static_cast<std::uint32_t>(std::lround(seconds * rate));
  std::string data;
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    const double phase = 2 * std::numbers::pi * frequency * frame / rate;
    Put(data, static_cast<std::uint16_t>(std::lround(16000 * std::sin(phase))), 2);
    Put(data, 0, 2 * (channels - 1));
  }
  std::string file = "RIFF";
  Put(file, static_cast<std::uint32_t>(36 + data.size()), 4);
  file += "WAVEfmt ";
  Put(file, 16, 4);
  Put(file, 1, 2);  // PCM
  Put(file, static_cast<std::uint32_t>(channels), 2);
  Put(file, static_cast<std::uint32_t>(rate), 4);
  Put(file, static_cast<std::uint32_t>(rate * channels * 2), 4);
  Put(file, static_cast<std::uint32_t>(channels * 2), 2);
  Put(file, 16, 2);
  file += "data";
  Put(file, static_cast<std::uint32_t>(data.size()), 4);
  WriteBytes(path, file + data);
}

void WriteToneModule(const std::filesystem::path& path) {
  constexpr int kSampleBytes = 32;
  constexpr int kPeriod = 428;  // C-2
  std::string file(20, '\0');   // title
  for (int sample = 1; sample <= 31; ++sample) {
    const bool used = sample == 1;
    file += std::string(22, '\0');                    // name
    Put(file, used ? kSampleBytes / 2 : 0, 2, true);  // length in words
    file += '\0';                                     // finetune
    file += static_cast<char>(used ? 64 : 0);         // volume
    Put(file, 0, 2, true);                            // loop start
    Put(file, used ? kSampleBytes / 2 : 1, 2, true);  // loop length: the whole sample
  }
  file += '\x01';                  // song length: one position
  file += '\x7F';                  // restart byte
  file += std::string(128, '\0');  // every position plays pattern 0
  file += "M.K.";
  std::string pattern(64 * 4 * 4, '\0');
  pattern[0] = static_cast<char>(kPeriod >> 8);  // sample 1's high bits are 0
  pattern[1] = static_cast<char>(kPeriod & 0xFF);
  pattern[2] = static_cast<char>(1 << 4);  // sample 1's low bits
  file += pattern;
  for (int i = 0; i < kSampleBytes; ++i) {
    file += static_cast<char>(std::lround(100 * std::sin(2 * std::numbers::pi * i / kSampleBytes)));
  }
  WriteBytes(path, file);
}

std::vector<std::int16_t> ReadWavSamples(const std::filesystem::path& path) {
  const std::string file = ReadBytes(path);
  if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0) {
    return {};
  }
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const std::uint32_t size = Get32(file, at + 4);
    if (file.compare(at, 4, "data") == 0) {
      std::vector<std::int16_t> samples(std::min<std::size_t>(size, file.size() - at - 8) / 2);
      std::memcpy(samples.data(), file.data() + at + 8, samples.size() * 2);
      return samples;
    }
    at += 8 + size + (size & 1);
  }
  return {};
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::stringstream contents;
  contents << std::ifstream(path, std::ios::binary).rdbuf();
  return contents.str();
}

ScratchDirectory::ScratchDirectory() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("pelorin-sound-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}
