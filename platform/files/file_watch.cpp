// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// File watches over Qt's file system watcher (inotify on Linux).
#include "platform/files/file_watch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <cstdio>
#include <map>
#include <memory>

namespace {

// A save is a burst: the temporary file appears, is written and is renamed over the old one.
constexpr int kSettleMilliseconds = 100;

struct Watch {
  QString path;
  QFileSystemWatcher watcher;
  QTimer settle;
  std::function<void()> changed;
};

std::map<int, std::unique_ptr<Watch>>& Watches() {
  static std::map<int, std::unique_ptr<Watch>> all;
  return all;
}

// A file renamed over the watched one is another file: its watch starts anew.
void WatchFileItself(Watch* watch) {
  if (!watch->watcher.files().contains(watch->path) && QFileInfo::exists(watch->path)) {
    watch->watcher.addPath(watch->path);
  }
}

void NoticeChange(Watch* watch) {
  WatchFileItself(watch);
  watch->settle.start();
}

}  // namespace

int WatchFile(const std::u16string& path, std::function<void()> changed) {
  static int lastNumber = 0;
  auto watch = std::make_unique<Watch>();
  watch->path = QFileInfo(QString::fromStdU16String(path)).absoluteFilePath();
  watch->changed = std::move(changed);
  const QString directory = QFileInfo(watch->path).absolutePath();
  if (!QFileInfo(directory).isDir() || !watch->watcher.addPath(directory)) {
    std::fprintf(stderr, "pelorin: cannot watch '%s' for changes by other programs\n",
                 watch->path.toLocal8Bit().constData());
    return 0;
  }
  WatchFileItself(watch.get());
  watch->settle.setSingleShot(true);
  watch->settle.setInterval(kSettleMilliseconds);
  Watch* raw = watch.get();
  QObject::connect(&raw->watcher, &QFileSystemWatcher::fileChanged, [raw] { NoticeChange(raw); });
  QObject::connect(&raw->watcher, &QFileSystemWatcher::directoryChanged,
                   [raw] { NoticeChange(raw); });
  QObject::connect(&raw->settle, &QTimer::timeout, [raw] { raw->changed(); });
  const int number = ++lastNumber;
  Watches().emplace(number, std::move(watch));
  return number;
}

void StopWatchingFile(int watch) {
  Watches().erase(watch);
}
