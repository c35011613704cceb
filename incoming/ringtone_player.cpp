#include "ringtone_player.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/sound/fsound.h"
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

void PlayAsStream(const char* name) {
  FSOUND_STREAM* stream = FSOUND_Stream_Open(name, kStreamMode, 0, 0);
  if (stream == nullptr) {
    return;
  }
  FSOUND_Stream_Play(FSOUND_FREE, stream);
}

}  // namespace

void PlayRingtone(const char16_t* path) {
  if (path == nullptr || path[0] == u'\0') {
    return;
  }
  FSOUND_SetBufferSize(kBufferMilliseconds);
  if (!StartSoundLibrary()) {
    return;
  }
  char name[kPathBufferSize];
  if (!ConvertPath(path, name)) {
    return;
  }
  if (!PlayAsModule(name)) {
    PlayAsStream(name);
  }
}
