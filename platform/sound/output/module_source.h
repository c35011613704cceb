// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One tracker module (MOD, S3M, XM or IT) decoded by libopenmpt, rendered at the device rate
// and repeated without end.
#include <memory>

struct openmpt_module;

class ModuleSource {
 public:
  // Null when the file is not a module of those four types.
  static std::unique_ptr<ModuleSource> Load(const char* path, int deviceRate);
  ~ModuleSource();
  ModuleSource(const ModuleSource&) = delete;
  ModuleSource& operator=(const ModuleSource&) = delete;

  int Type() const { return type_; }
  // 0 silent to 256 full.
  void SetMasterVolume(int volume);
  // 0.0 mono to 1.0 full stereo.
  void SetPanSeparation(float separation);

  // Adds `frames` stereo frames to `mix`, using `scratch` (as long) for the rendering. False
  // when the module has nothing more to play.
  bool MixInto(float* mix, float* scratch, int frames);

 private:
  ModuleSource(openmpt_module* module, int type, int deviceRate);

  openmpt_module* module_;
  int type_;
  int deviceRate_;
  float gain_ = 1.0f;
};
