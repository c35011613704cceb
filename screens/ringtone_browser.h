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
};
