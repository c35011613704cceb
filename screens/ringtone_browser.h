// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Browses the file system for an MP3 or WAV ringtone, from the root on every opening. End code
// 0: the full path is in State().chosenRingtonePath; -1: cancelled.
class RingtoneBrowser {
 public:
  RingtoneBrowser();  // starts at the root
  virtual ~RingtoneBrowser();
  RingtoneBrowser(const RingtoneBrowser&) = delete;
  RingtoneBrowser& operator=(const RingtoneBrowser&) = delete;
  int Run();

  // Rebuilds the list for State().browseDirectory: the up row below the root, then the
  // sub-directories and MP3/WAV files in the order the file system lists them.
  static void FillDirectoryList();
  // Moves State().browseDirectory to its parent and rebuilds the list.
  static void GoUpOneLevel();
};
