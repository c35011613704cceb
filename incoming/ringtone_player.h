// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Plays the ringing call's ringtone: as a tracker module when it is one, else as a looping
// stream (MP3, WAV). Returns as soon as the sound is set going; the sound library plays it on
// its own thread until the process ends. A ringtone that cannot play is replaced by the default
// ringtone beside the program, and that by the click, looped; one line on stderr says which
// file could not be played and why. Starting the library may hold the caller for up to ten
// pauses of 100 ms.
//
// `path` is a zero-terminated full path; null or empty means a muted call, which leaves the
// sound library untouched.
void PlayRingtone(const char16_t* path);
