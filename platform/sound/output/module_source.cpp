// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/sound/output/module_source.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/sound/fsound.h"
#include "platform/sound/output/sound_file.h"

namespace {

// Larger than any ringtone module; keeps a huge file from being read into memory.
constexpr std::size_t kMaximumModuleBytes = 64u << 20;
constexpr int kFullVolume = 256;
constexpr float kFullSeparationPercent = 200;

int TypeFromName(const char* name) {
  if (name == nullptr) {
    return FMUSIC_TYPE_NONE;
  }
  if (std::strcmp(name, "mod") == 0) {
    return FMUSIC_TYPE_MOD;
  }
  if (std::strcmp(name, "s3m") == 0) {
    return FMUSIC_TYPE_S3M;
  }
  if (std::strcmp(name, "xm") == 0) {
    return FMUSIC_TYPE_XM;
  }
  if (std::strcmp(name, "it") == 0) {
    return FMUSIC_TYPE_IT;
  }
  return FMUSIC_TYPE_NONE;
}

}  // namespace

std::unique_ptr<ModuleSource> ModuleSource::Load(const char* path, int deviceRate) {
  std::vector<char> contents;
  if (!ReadWholeFile(path, kMaximumModuleBytes, &contents)) {
    return nullptr;
  }
  // A look at the header first: an MP3 or WAV is turned away at once, where building a module
  // from it tries every loader libopenmpt has and costs as much as starting the sound device.
  const std::size_t headerSize =
      std::min(contents.size(), openmpt_probe_file_header_get_recommended_size());
  if (openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_MODULES, contents.data(),
                                headerSize, contents.size(), openmpt_log_func_silent, nullptr,
                                openmpt_error_func_ignore, nullptr, nullptr,
                                nullptr) == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE) {
    return nullptr;
  }
  int error = 0;
  openmpt_module* module = openmpt_module_create_from_memory2(
      contents.data(), contents.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, &error, nullptr, nullptr);
  if (module == nullptr) {
    return nullptr;
  }
  const char* typeName = openmpt_module_get_metadata(module, "type");
  const int type = TypeFromName(typeName);
  openmpt_free_string(typeName);
  // Other formats libopenmpt knows stay out: the caller then tries the file as a stream.
  if (type == FMUSIC_TYPE_NONE) {
    openmpt_module_destroy(module);
    return nullptr;
  }
  openmpt_module_set_repeat_count(module, -1);
  return std::unique_ptr<ModuleSource>(new ModuleSource(module, type, deviceRate));
}

ModuleSource::ModuleSource(openmpt_module* module, int type, int deviceRate)
    : module_(module), type_(type), deviceRate_(deviceRate) {}

ModuleSource::~ModuleSource() {
  openmpt_module_destroy(module_);
}

void ModuleSource::SetMasterVolume(int volume) {
  gain_ = static_cast<float>(std::clamp(volume, 0, kFullVolume)) / kFullVolume;
}

void ModuleSource::SetPanSeparation(float separation) {
  if (std::isnan(separation)) {
    return;
  }
  // libopenmpt's 100 % keeps the module's own panning, which for a MOD is a quarter and three
  // quarters of the way; its 200 % takes those channels hard left and right, the Amiga's full
  // stereo. So the 0.0 to 1.0 scale spans libopenmpt's whole 0 to 200 %.
  const auto percent = static_cast<std::int32_t>(
      std::lround(std::clamp(separation, 0.0f, 1.0f) * kFullSeparationPercent));
  openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT, percent);
}

bool ModuleSource::MixInto(float* mix, float* scratch, int frames) {
  int done = 0;
  while (done < frames) {
    const std::size_t rendered = openmpt_module_read_interleaved_float_stereo(
        module_, deviceRate_, static_cast<std::size_t>(frames - done), scratch);
    if (rendered == 0) {
      return false;
    }
    for (std::size_t i = 0; i < rendered * 2; ++i) {
      mix[done * 2 + static_cast<int>(i)] += scratch[i] * gain_;
    }
    done += static_cast<int>(rendered);
  }
  return true;
}
