// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ringtone_player.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sound/fsound.h"
#include "platform/sound/system_sound.h"
#include "platform/system/module_path.h"
#include "platform/system/sleep.h"
#include "platform/system/text.h"

namespace {

constexpr int kBufferMilliseconds = 200;
constexpr int kMixRate = 22050;
constexpr int kSoftwareChannels = 48;
constexpr unsigned int kInitFlags = FSOUND_INIT_GLOBALFOCUS;
constexpr int kInitRetries = 10;
constexpr std::uint32_t kRetryPauseMilliseconds = 100;
constexpr std::size_t kPathBufferSize = 256;
constexpr int kModuleVolume = 128;
constexpr float kModulePanSeparation = 0.85f;
// Beside the program: what the new call screen offers, and the system's click.
constexpr char16_t kDefaultRingtoneFile[] = u"ringtone1.mp3";
constexpr char16_t kClickSound[] = u"MouseClick";
constexpr unsigned int kStreamMode =
    FSOUND_NORMAL | FSOUND_2D | FSOUND_MPEGACCURATE | FSOUND_LOOP_NORMAL;
static_assert(kStreamMode == 0x22132);

// The device may still be held by whatever sounded last (a real call's ring, say), so a
// failed start is retried for about a second.
bool StartSoundLibrary() {
  if (FSOUND_Init(kMixRate, kSoftwareChannels, kInitFlags)) {
    return true;
  }
  for (int retry = 0; retry < kInitRetries; ++retry) {
    Sleep(kRetryPauseMilliseconds);
    if (FSOUND_Init(kMixRate, kSoftwareChannels, kInitFlags)) {
      return true;
    }
  }
  return false;
}

// The library opens files by 8-bit name in a 256-byte buffer. A name that does not fit is
// refused: cut short it would name another file, or none.
bool ConvertPath(const char16_t* path, char (&buffer)[kPathBufferSize]) {
  const std::string narrow = ToUtf8(path);
  if (narrow.size() >= kPathBufferSize) {
    return false;
  }
  std::memcpy(buffer, narrow.data(), narrow.size());
  buffer[narrow.size()] = '\0';
  return true;
}

bool PlayAsModule(const char* name) {
  FMUSIC_MODULE* module = FMUSIC_LoadSong(name);
  if (module == nullptr) {
    return false;
  }
  const int type = FMUSIC_GetType(module);
  // An IT module carries its own mixing volume; the older formats are loud at full volume.
  if (type != FMUSIC_TYPE_IT) {
    FMUSIC_SetMasterVolume(module, kModuleVolume);
  }
  // MOD and S3M pan their channels hard left and right; soften it.
  if (type == FMUSIC_TYPE_MOD || type == FMUSIC_TYPE_S3M) {
    FMUSIC_SetPanSeperation(module, kModulePanSeparation);
  }
  FMUSIC_PlaySong(module);
  return true;
}

bool PlayAsStream(const char* name) {
  FSOUND_STREAM* stream = FSOUND_Stream_Open(name, kStreamMode, 0, 0);
  if (stream == nullptr) {
    return false;
  }
  FSOUND_Stream_Play(FSOUND_FREE, stream);
  return true;
}

const char* DescribeError(int error) {
  switch (error) {
    case FMOD_ERR_FILE_NOTFOUND:
      return "no such file";
    case FMOD_ERR_FILE_BAD:
      return "not a file that can be read (a folder, a device, or no permission)";
    case FMOD_ERR_FILE_FORMAT:
      return "not a sound file (MP3, WAV or a tracker module)";
    case FMOD_ERR_INIT:
      return "no audio device could be opened";
    default:
      return "the sound library refused it";
  }
}

// As a module, else as a looping stream. False, with the reason, when it plays as neither.
bool PlayFile(const std::u16string& path, std::string* reason) {
  char name[kPathBufferSize];
  if (!ConvertPath(path.c_str(), name)) {
    *reason = "its path is longer than 255 bytes";
    return false;
  }
  if (PlayAsModule(name) || PlayAsStream(name)) {
    return true;
  }
  *reason = DescribeError(FSOUND_GetError());
  return false;
}

// Names go to the terminal in quotes, on the one line, whatever characters they hold.
std::string Quoted(const std::u16string& path) {
  std::string text = "'" + ToUtf8(path) + "'";
  for (char& character : text) {
    if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) {
      character = '?';
    }
  }
  return text;
}

}  // namespace

void PlayRingtone(const char16_t* path) {
  if (path == nullptr || path[0] == u'\0') {
    return;
  }
  const std::u16string ringtone(path);
  std::string failures = "pelorin: cannot play the ringtone " + Quoted(ringtone) + ": ";
  FSOUND_SetBufferSize(kBufferMilliseconds);
  if (!StartSoundLibrary()) {
    std::fprintf(stderr, "%s%s; the call rings in silence\n", failures.c_str(),
                 DescribeError(FMOD_ERR_INIT));
    return;
  }
  std::string reason;
  if (PlayFile(ringtone, &reason)) {
    return;
  }
  failures += reason;
  // A call that is not muted must be heard: the default ringtone the new call screen offers,
  // and failing that the click, looped by the library so that it lasts as long as the ring.
  const std::u16string directory = GetApplicationDirectory();
  if (directory.empty()) {
    std::fprintf(stderr, "%s, and the program's own directory is unknown\n", failures.c_str());
    return;
  }
  const std::u16string fallback = directory + kDefaultRingtoneFile;
  if (fallback != ringtone) {
    if (PlayFile(fallback, &reason)) {
      std::fprintf(stderr, "%s; playing %s instead\n", failures.c_str(), Quoted(fallback).c_str());
      return;
    }
    failures += ", nor " + Quoted(fallback) + ": " + reason;
  }
  const std::u16string click = GetSystemSoundFile(kClickSound);
  if (PlayFile(click, &reason)) {
    std::fprintf(stderr, "%s; playing the click instead\n", failures.c_str());
    return;
  }
  failures += ", nor the click " + Quoted(click) + ": " + reason;
  std::fprintf(stderr, "%s; the call rings in silence\n", failures.c_str());
}
