// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The sound library the ringtone player drives, with the phone library's names and meanings:
// FSOUND_ calls start the output and play streams (MP3, WAV), FMUSIC_ calls play tracker
// modules (MOD, S3M, XM, IT). Everything plays on the library's own thread; a call returns as
// soon as the sound is set going. Bad input never crashes: it gives null, false or -1.

// Handles the library gives out. They stay valid until FSOUND_Close.
struct FMUSIC_MODULE;
struct FSOUND_STREAM;

// FSOUND_Init flags. The output follows the whole desktop, so the flag changes nothing here.
inline constexpr unsigned int FSOUND_INIT_GLOBALFOCUS = 0x2;

// Stream modes. A stream plays once unless FSOUND_LOOP_NORMAL is set; FSOUND_MONO mixes a
// stereo file down to one channel. The sample-format and accuracy bits are accepted as the
// phone's callers pass them: decoding here is always exact and 16-bit or better.
inline constexpr unsigned int FSOUND_LOOP_OFF = 0x1;
inline constexpr unsigned int FSOUND_LOOP_NORMAL = 0x2;
inline constexpr unsigned int FSOUND_8BITS = 0x8;
inline constexpr unsigned int FSOUND_16BITS = 0x10;
inline constexpr unsigned int FSOUND_MONO = 0x20;
inline constexpr unsigned int FSOUND_STEREO = 0x40;
inline constexpr unsigned int FSOUND_UNSIGNED = 0x80;
inline constexpr unsigned int FSOUND_SIGNED = 0x100;
inline constexpr unsigned int FSOUND_2D = 0x2000;
inline constexpr unsigned int FSOUND_MPEGACCURATE = 0x20000;
inline constexpr unsigned int FSOUND_NORMAL = FSOUND_16BITS | FSOUND_SIGNED | FSOUND_MONO;

// FSOUND_Stream_Play channel: any free channel.
inline constexpr int FSOUND_FREE = -1;

// FMUSIC_GetType results.
inline constexpr int FMUSIC_TYPE_NONE = 0;
inline constexpr int FMUSIC_TYPE_MOD = 1;
inline constexpr int FMUSIC_TYPE_S3M = 2;
inline constexpr int FMUSIC_TYPE_XM = 3;
inline constexpr int FMUSIC_TYPE_IT = 4;

// FSOUND_GetError results, numbered as the phone library numbers them.
inline constexpr int FMOD_ERR_NONE = 0;
inline constexpr int FMOD_ERR_UNINITIALIZED = 2;   // FSOUND_Init has not succeeded
inline constexpr int FMOD_ERR_INIT = 3;            // no audio device could be opened
inline constexpr int FMOD_ERR_FILE_NOTFOUND = 9;   // nothing at the path
inline constexpr int FMOD_ERR_FILE_FORMAT = 10;    // a readable file of no format it plays
inline constexpr int FMOD_ERR_FILE_BAD = 11;       // a folder, a device, or not readable
inline constexpr int FMOD_ERR_INVALID_PARAM = 14;  // a value out of range

// Why the last of FSOUND_Init, FMUSIC_LoadSong and FSOUND_Stream_Open failed, or
// FMOD_ERR_NONE when it succeeded.
int FSOUND_GetError();

// Length of the mixing buffer in milliseconds, taken by the next FSOUND_Init. False when it is
// out of range (10 to 2000 ms); the length then stays as it was (200 ms at first).
bool FSOUND_SetBufferSize(int milliseconds);

// Opens the audio device at `mixRate` Hz, stereo, with room for `maxSoftwareChannels` streams
// at once. False when no audio device can be opened or a value is out of range.
bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);

// Stops every sound, frees every handle and closes the device. The program itself never
// calls it (the end of the process ends the sound); tests and benchmarks do.
void FSOUND_Close();

// Loads a MOD, S3M, XM or IT module from a file; null when the library is not started or the
// file is not such a module. It stays silent until FMUSIC_PlaySong.
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);

// One of the FMUSIC_TYPE_ values; FMUSIC_TYPE_NONE for a handle that is not a module.
int FMUSIC_GetType(FMUSIC_MODULE* module);

// Master volume from 0 (silent) to 256 (full); a new module plays at 256.
bool FMUSIC_SetMasterVolume(FMUSIC_MODULE* module, int volume);

// Stereo separation from 0.0 (mono) to 1.0 (full stereo: a MOD's channels hard left and
// right). A new module keeps the panning its file gives, which for a MOD is 0.5 on this scale.
// The spelling is the phone library's.
bool FMUSIC_SetPanSeperation(FMUSIC_MODULE* module, float separation);

// Starts the module; it repeats until the library is closed.
bool FMUSIC_PlaySong(FMUSIC_MODULE* module);

// Opens an MP3 or WAV file as a stream in the given mode. `offset` and `length` must both be 0
// (the whole file). Null when the library is not started or the file cannot be decoded.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);

// Plays the stream on `channel` (0 to maxSoftwareChannels - 1, replacing what plays there) or
// on a free one (FSOUND_FREE). The channel used, or -1 when none is free or the stream
// already plays.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
