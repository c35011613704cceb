// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Notice of changes to one file made by any process: written in place, replaced by a new file
// renamed over it, created or removed. Notices arrive from the screens' event loop.
#include <functional>
#include <string>

// Starts watching the file at `path`. `changed` runs once for a burst of changes, a moment
// after the last of them; changes in the file's directory count too, since a save that renames
// a new file over the old one ends the old file's own watch. Returns the watch's number, or 0
// with one line on stderr when the directory cannot be watched.
int WatchFile(const std::u16string& path, std::function<void()> changed);

// Ends the watch; `changed` is not called after this. Does nothing for 0 or an ended watch.
// Not to be called from the watch's own `changed`.
void StopWatchingFile(int watch);
