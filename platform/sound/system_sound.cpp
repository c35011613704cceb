// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "system_sound.h"

#include <string>
#include <string_view>

#include "platform/sound/sound_output.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"

namespace {

constexpr char16_t kClickName[] = u"MouseClick";
constexpr char16_t kClickFile[] = u"click.wav";

// System sound names compare without regard to letter case, as on the phone.
bool IsClickName(const char16_t* sound) {
  const std::u16string_view name(sound);
  const std::u16string_view click(kClickName);
  if (name.size() != click.size()) {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto lower = [](char16_t character) {
      return character >= u'A' && character <= u'Z' ? character + (u'a' - u'A') : character;
    };
    if (lower(name[i]) != lower(click[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::u16string GetSystemSoundFile(const char16_t* sound) {
  if (sound == nullptr || !IsClickName(sound)) {
    return {};
  }
  return GetApplicationDirectory() + kClickFile;
}

bool PlaySoundW(const char16_t* sound, const void* module, std::uint32_t flags) {
  if (sound == nullptr || module != nullptr || flags != 0 || !IsClickName(sound)) {
    return false;
  }
  const SoundOutput* output = LoadedSoundOutput();
  return output != nullptr && output->playClickToEnd(ToUtf8(GetSystemSoundFile(sound)).c_str());
}
